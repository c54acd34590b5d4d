#include "QuietWindows.h"

#include "Handles.h"

namespace qv {

bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

std::wstring ProgramOfWindow(HWND window) {
  DWORD id = 0;
  if (window == nullptr || GetWindowThreadProcessId(window, &id) == 0 || id == 0) return std::wstring();
  // Limited information is granted also for programs of a higher level.
  const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) return std::wstring();
  // A long path can hold up to 32,767 characters.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(path.size());
    if (QueryFullProcessImageNameW(process.get(), 0, &path[0], &size)) {
      path.resize(size);
      break;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= 32768) return std::wstring();
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ClassOfWindow(HWND window) {
  wchar_t name[257] = {};  // a class name has at most 256 characters
  const int length = window != nullptr ? GetClassNameW(window, name, 257) : 0;
  return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

namespace {

bool QuietWindow(const QuietList& list, HWND window) {
  if (window == nullptr) return false;
  const std::wstring windowClass = ClassOfWindow(window);
  // The program's name costs a look at its process: only where a program is
  // listed at all.
  bool programs = false;
  for (const std::wstring& entry : list) programs = programs || EndsWithExe(entry);
  return QuietOver(list, programs ? ProgramOfWindow(window) : std::wstring(), windowClass, SameName);
}

}  // namespace

bool QuietWindowOn(const QuietList& list, HMONITOR monitor, POINT pointer) {
  if (list.empty()) return false;
  const HWND under = WindowFromPoint(pointer);
  const HWND underRoot = under != nullptr ? GetAncestor(under, GA_ROOT) : nullptr;
  if (QuietWindow(list, underRoot)) return true;
  const HWND front = GetForegroundWindow();
  return front != nullptr && front != underRoot && MonitorFromWindow(front, MONITOR_DEFAULTTONULL) == monitor &&
         QuietWindow(list, front);
}

namespace {

BOOL CALLBACK AddOpenWindow(HWND window, LPARAM param) {
  auto& windows = *reinterpret_cast<std::vector<OpenWindow>*>(param);
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  if (!IsWindowVisible(window) || id == GetCurrentProcessId() || GetWindow(window, GW_OWNER) != nullptr ||
      (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0)
    return TRUE;
  // The title as the system keeps it: no message to a program that may
  // hang. A long one is shown cut, never inside a pair.
  wchar_t text[256] = {};
  int length = InternalGetWindowText(window, text, 256);
  if (length <= 0) return TRUE;
  if (length == 255 && text[254] >= 0xD800 && text[254] <= 0xDBFF) --length;
  std::wstring title(text, static_cast<std::size_t>(length));
  std::wstring program = ProgramOfWindow(window);
  if (!title.empty() && !program.empty()) windows.push_back(OpenWindow{std::move(title), std::move(program)});
  return TRUE;
}

}  // namespace

std::vector<OpenWindow> OpenWindows() {
  // EnumWindows goes from the top of the order down: the front one first.
  std::vector<OpenWindow> windows;
  EnumWindows(AddOpenWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

bool ReadQuietList(const std::string& keyPath, const char* name, QuietList& list) {
  HKEY opened = nullptr;
  if (keyPath.empty() ||
      RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
    return false;
  const UniqueRegKey key(opened);
  const std::wstring valueName(name, name + strlen(name));  // the program's own ASCII names
  // Room for the longest usable list; anything longer is no list.
  constexpr DWORD kMostBytes = (kMostQuietEntries * (kLongestQuietEntry + 1) + 1) * sizeof(wchar_t);
  std::wstring data(kMostBytes / sizeof(wchar_t) + 1, L'\0');
  DWORD type = 0, size = kMostBytes + sizeof(wchar_t);
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) !=
          ERROR_SUCCESS ||
      type != REG_MULTI_SZ || size > kMostBytes)
    return false;
  QuietList read;
  if (!ParseQuietList(data.data(), size / sizeof(wchar_t), read, SameName)) return false;
  list = std::move(read);
  return true;
}

bool WriteQuietList(const std::string& keyPath, const char* name, const QuietList& list) {
  HKEY created = nullptr;
  if (keyPath.empty() || RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_SET_VALUE, nullptr, &created, nullptr) != ERROR_SUCCESS)
    return false;
  const UniqueRegKey key(created);
  const std::wstring valueName(name, name + strlen(name));
  const std::wstring value = QuietListValue(list);
  return RegSetValueExW(key.get(), valueName.c_str(), 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(value.data()),
                        static_cast<DWORD>(value.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace qv
