#include "Driver.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <vector>

#include "Png.h"

namespace e2e {

namespace {

std::string WithBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

void PrintFault(const std::string& what) { std::fprintf(stderr, "driver: %s\n", what.c_str()); }

FaultHandler faultHandler = PrintFault;

void Fault(const std::string& what) { faultHandler(what); }

std::string PointText(POINT p) { return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")"; }

// Where the last move was sent; a button goes down there.
bool moved = false;
POINT moveTarget{};

// Whether the system's own pointer is at `p`. Under Wine, GetCursorPos
// answers the X server's pointer once the system's has not changed for a
// while, so a move the system took back (a program acting late on an older
// X event) would look arrived there; the last point of the system's own
// pointer history is the one its windows go by.
bool At(POINT p) {
  const POINT now = CursorPos();
  if (now.x != p.x || now.y != p.y) return false;
  if (!UnderWine()) return true;
  MOUSEMOVEPOINT wanted{};
  wanted.x = p.x;
  wanted.y = p.y;
  MOUSEMOVEPOINT history[64];
  // Counted from the newest entry with this point: all 64 when it is the newest.
  return GetMouseMovePointsEx(sizeof wanted, &wanted, history, 64, GMMP_USE_DISPLAY_POINTS) == 64;
}

// A named function: a lambda has no stdcall form for the 32-bit build.
BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// One window of every thread that has any, the desktop's own first.
std::vector<HWND> WindowPerThread(bool withOwnThread) {
  std::vector<HWND> all = TopLevelWindows(), one;
  all.insert(all.begin(), GetDesktopWindow());
  std::vector<DWORD> threads;
  for (HWND window : all) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (thread == 0 || (!withOwnThread && thread == GetCurrentThreadId()) ||
        std::find(threads.begin(), threads.end(), thread) != threads.end())
      continue;
    threads.push_back(thread);
    one.push_back(window);
  }
  return one;
}

}  // namespace

bool UnderWine() {
  static const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

UINT SystemAnsiCodePage() {
  DWORD codePage = 0;
  if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t)) == 0)
    return 0;
  return codePage;
}

namespace {

BOOL CALLBACK FirstLanguage(HMODULE, LPCSTR, LPCSTR, WORD found, LONG_PTR into) {
  *reinterpret_cast<WORD*>(into) = found;
  return FALSE;
}

}  // namespace

bool DropUtf8CodePage(const std::string& exe) {
  std::string manifest;
  WORD language = 0;
  HMODULE image = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (image == nullptr) return false;
  EnumResourceLanguagesA(image, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), &FirstLanguage,
                         reinterpret_cast<LONG_PTR>(&language));
  if (HRSRC found = FindResourceExA(image, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), language)) {
    if (HGLOBAL loaded = LoadResource(image, found))
      manifest.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(image, found));
  }
  FreeLibrary(image);
  const std::size_t begin = manifest.find("<activeCodePage");
  const std::string endTag = "</activeCodePage>";
  const std::size_t end = manifest.find(endTag, begin);
  if (begin == std::string::npos || end == std::string::npos) return false;
  manifest.erase(begin, end + endTag.size() - begin);
  HANDLE update = BeginUpdateResourceA(exe.c_str(), FALSE);
  if (update == nullptr) return false;
  const bool written = UpdateResourceA(update, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), language, &manifest[0],
                                       static_cast<DWORD>(manifest.size())) != FALSE;
  return EndUpdateResourceA(update, written ? FALSE : TRUE) && written;
}

void SetFaultHandler(FaultHandler handler) { faultHandler = handler != nullptr ? handler : PrintFault; }

void Settle() {
  // This thread's own display events, without taking its posted messages,
  // which the scenarios count.
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
  const std::vector<HWND> windows = WindowPerThread(false);
  // A thread answers a sent message as soon as it looks at its queue, even
  // while other work is queued; by the second round it has mostly been back
  // to waiting, which is when it reads its display events. What still slips
  // through shows as a pointer that is elsewhere, which the moves check.
  for (int round = 0; round < 2; ++round) {
    for (HWND window : windows) {
      DWORD_PTR result = 0;
      SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
    }
  }
}

std::string FileFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return WindowsPath(value != nullptr ? value : "");
}

std::string FolderFromEnvironment(const char* name) { return WithBackslash(FileFromEnvironment(name)); }

ProgramFolder::ProgramFolder() {
  // Numbered folders under C:\QV: no "DEBUG" or "RELEASE" anywhere in them.
  static int counter = 0;
  CreateDirectoryA("C:\\QV", nullptr);
  for (;;) {
    char name[64];
    std::snprintf(name, sizeof name, "C:\\QV\\P%03d-%lu\\", ++counter, GetCurrentProcessId());
    if (CreateDirectoryA(name, nullptr)) {
      path_ = name;
      break;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) std::abort();
  }
  const std::string bin = FolderFromEnvironment("QV_BIN_DIR");
  for (const char* file : {"QUORVEL.EXE", "QVLHOOK.DLL"}) {
    if (!CopyFileA((bin + file).c_str(), File(file).c_str(), FALSE)) {
      std::fprintf(stderr, "cannot copy %s%s (QV_BIN_DIR)\n", bin.c_str(), file);
      std::abort();
    }
  }
  // A 64-bit launcher's companion for 32-bit programs, from the 32-bit build.
  if (sizeof(void*) == 8) {
    const std::string other = FolderFromEnvironment("QV_OTHER_BIN_DIR");
    for (const char* file : {"QVLHOOK32.EXE", "QVLHOOK32.DLL"})
      CopyFileA((other + file).c_str(), File(file).c_str(), FALSE);
  }
}

Process::Process(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_)) {
    startError_ = GetLastError();
    info_ = PROCESS_INFORMATION{};
  }
}

Process::~Process() {
  Kill();
  if (info_.hThread != nullptr) CloseHandle(info_.hThread);
  if (info_.hProcess != nullptr) CloseHandle(info_.hProcess);
}

bool Process::Running() const {
  return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Process::WaitForIdle(DWORD timeoutMs) const {
  return info_.hProcess != nullptr && WaitForInputIdle(info_.hProcess, timeoutMs) == 0;
}

bool Process::WaitForExit(DWORD timeoutMs) {
  if (info_.hProcess == nullptr) return true;
  return PumpUntil(timeoutMs, [this] { return !Running(); });
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (info_.hProcess != nullptr) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void Process::Kill() {
  if (Running()) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
}

void Pump(DWORD ms, const std::function<bool()>& until) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      if (until && until()) return;
    }
    if (until && until()) return;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return;
    const DWORD left = ms - elapsed;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 5 ? left : 5, QS_ALLINPUT);
  }
}

bool PumpUntil(DWORD timeoutMs, const std::function<bool()>& condition) {
  bool met = condition();
  if (!met) {
    Pump(timeoutMs, [&] { return met = condition(); });
  }
  return met;
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

DWORD ProcessOf(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return id;
}

HWND FindTopLevel(DWORD processId, const std::string& title, const char* className) {
  for (HWND window : TopLevelWindows()) {
    if (processId != 0 && ProcessOf(window) != processId) continue;
    if (WindowText(window) != title) continue;
    if (className != nullptr && ClassName(window) != className) continue;
    return window;
  }
  return nullptr;
}

HWND WaitForTopLevel(DWORD processId, const std::string& title, DWORD timeoutMs, const char* className) {
  HWND found = nullptr;
  PumpUntil(timeoutMs, [&] { return (found = FindTopLevel(processId, title, className)) != nullptr; });
  return found;
}

HWND WaitForLauncher(const Process& launcher, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  HWND window = WaitForTopLevel(launcher.id(), "<QUORVEL>", timeoutMs);
  if (window == nullptr) return nullptr;
  // The title comes early in the start-up; a sent message is answered only
  // once the start-up is over (or a box of it runs its loop).
  const DWORD spent = GetTickCount() - start;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, spent < timeoutMs ? timeoutMs - spent : 1, &answer))
    return IsWindow(window) ? nullptr : window;
  return window;
}

MessageBoxView ReadMessageBox(HWND box) {
  MessageBoxView view;
  view.window = box;
  view.title = WindowText(box);
  view.owner = GetWindow(box, GW_OWNER);
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::string cls = ClassName(child);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (cls == "Button") {
      const int id = GetDlgCtrlID(child);
      view.buttons.push_back(id);
      if ((style & 0x0F) == BS_DEFPUSHBUTTON) view.defaultButton = id;
    } else if (cls == "Static") {
      if ((style & SS_TYPEMASK) != SS_ICON && GetDlgCtrlID(child) == 0xFFFF) view.text = ControlText(child);
    }
  }
  return view;
}

HWND WaitForDialog(DWORD processId, const std::string& title, DWORD timeoutMs, const char* className) {
  const DWORD start = GetTickCount();
  HWND found = nullptr;
  // Found by its title, a dialog may still be making its controls; it
  // shows itself only once its initialisation is over.
  if (!PumpUntil(timeoutMs, [&] {
        found = FindTopLevel(processId, title, className);
        return found != nullptr && IsWindowVisible(found);
      }))
    return nullptr;
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, ProcessOf(found));
  if (process != nullptr) {
    const DWORD spent = GetTickCount() - start;
    WaitForInputIdle(process, spent < timeoutMs ? timeoutMs - spent : 0);
    CloseHandle(process);
  }
  Settle();
  return IsWindow(found) ? found : nullptr;
}

MessageBoxView WaitForMessageBox(DWORD processId, const std::string& title, DWORD timeoutMs) {
  HWND box = WaitForDialog(processId, title, timeoutMs);
  return box != nullptr ? ReadMessageBox(box) : MessageBoxView{};
}

void ClickButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (button == nullptr || !PostMessageA(button, BM_CLICK, 0, 0)) {
    Fault("no button " + std::to_string(id) + " to click in \"" + WindowText(dialog) + "\"");
    return;
  }
  Settle();
}

bool Dismiss(HWND dialog, int id, DWORD timeoutMs) {
  if (!IsWindow(dialog)) return false;
  ClickButton(dialog, id);
  return PumpUntil(timeoutMs, [dialog] { return !IsWindow(dialog); });
}

bool SendMove(int x, int y) {
  // Absolute input is in 1/65536 of the primary screen, or of the whole
  // desktop where there are several monitors; round up so that the
  // system's truncation lands on the intended pixel.
  int left = 0, top = 0;
  int cx = GetSystemMetrics(SM_CXSCREEN);
  int cy = GetSystemMetrics(SM_CYSCREEN);
  DWORD flags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  if (GetSystemMetrics(SM_CMONITORS) > 1) {
    left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    cx = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    cy = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    flags |= MOUSEEVENTF_VIRTUALDESK;
  }
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((static_cast<long long>(x - left) * 65536 + cx - 1) / cx);
  input.mi.dy = static_cast<LONG>((static_cast<long long>(y - top) * 65536 + cy - 1) / cy);
  input.mi.dwFlags = flags;
  return SendInput(1, &input, sizeof input) == 1;
}

bool MoveMouse(int x, int y) {
  const POINT target{x, y};
  moved = true;
  moveTarget = target;
  // What the desktop still owes from earlier steps lands first, so that it
  // cannot land after this move.
  Settle();
  const DWORD start = GetTickCount();
  for (int sent = 0;;) {
    if (sent == 0 || !At(target)) {
      if (!SendMove(x, y)) {
        Fault("the system took no move to " + PointText(target) + ", error " + std::to_string(GetLastError()));
        return false;
      }
      ++sent;
    }
    Settle();
    if (At(target)) return true;
    if (GetTickCount() - start > 5000) {
      Fault("the pointer is at " + PointText(CursorPos()) + ", not at " + PointText(target) + ", after " +
            std::to_string(sent) + " moves there");
      return false;
    }
  }
}

void MouseButton(DWORD downOrUpFlag) {
  if (moved && !At(moveTarget) && !MoveMouse(moveTarget.x, moveTarget.y)) return;
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = downOrUpFlag;
  if (SendInput(1, &input, sizeof input) != 1) {
    Fault("the system took no button input " + std::to_string(downOrUpFlag) + " at " + PointText(CursorPos()));
    return;
  }
  Settle();
}

namespace {

void SendKeys(INPUT* keys, UINT count) {
  for (UINT i = 0; i < count; ++i) keys[i].type = INPUT_KEYBOARD;
  if (SendInput(count, keys, sizeof(INPUT)) != count)
    Fault("the system took no key " + std::to_string(keys[0].ki.wVk) + ", error " + std::to_string(GetLastError()));
}

}  // namespace

void PressKey(WORD virtualKey) {
  INPUT input[2]{};
  input[0].ki.wVk = input[1].ki.wVk = virtualKey;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendKeys(input, 2);
  Settle();
}

void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> input(keys.size() * 2);
  std::size_t n = 0;
  for (WORD key : keys) input[n++].ki.wVk = key;
  for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) {
    input[n].ki.wVk = *key;
    input[n++].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  SendKeys(input.data(), static_cast<UINT>(input.size()));
  Settle();
}

void TypeText(const std::string& text) {
  for (char c : text) {
    const SHORT key = VkKeyScanA(c);
    if (key == -1) {
      Fault(std::string("no key types '") + c + "'");
      continue;
    }
    INPUT input[4]{};
    UINT count = 0;
    const bool shift = (key & 0x100) != 0;
    if (shift) input[count++].ki.wVk = VK_SHIFT;
    input[count].ki.wVk = input[count + 1].ki.wVk = static_cast<WORD>(key & 0xFF);
    input[count + 1].ki.dwFlags = KEYEVENTF_KEYUP;
    count += 2;
    if (shift) {
      input[count].ki.wVk = VK_SHIFT;
      input[count++].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendKeys(input, count);
  }
  Settle();
}

void TypeCharacters(const std::string& text) {
  for (const wchar_t unit : Widen(text)) {
    INPUT input[2]{};
    input[0].ki.wScan = input[1].ki.wScan = unit;
    input[0].ki.dwFlags = KEYEVENTF_UNICODE;
    input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendKeys(input, 2);
  }
  Settle();
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

POINT CursorPos() {
  POINT pt{};
  GetCursorPos(&pt);
  return pt;
}

void ClickAt(int x, int y, DWORD down, DWORD up) {
  if (!MoveMouse(x, y)) return;
  MouseButton(down);
  MouseButton(up);
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF color = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return color;
}

RECT RectIn(HWND window, HWND reference) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::vector<ListItem> ReadListItems(HWND list) {
  // The control answers with pointers into its own process, so the
  // exchange buffers live there.
  std::vector<ListItem> items;
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(list));
  if (process == nullptr) return items;
  struct Exchange {
    LVITEMA item;
    RECT bounds;
    char text[512];
  };
  auto* remote = static_cast<Exchange*>(
      VirtualAllocEx(process, nullptr, sizeof(Exchange), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  const int count = remote != nullptr ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
  for (int i = 0; i < count; ++i) {
    Exchange local{};
    local.item.mask = LVIF_TEXT | LVIF_IMAGE;
    local.item.iItem = i;
    local.item.iSubItem = 0;
    local.item.pszText = remote->text;
    local.item.cchTextMax = sizeof local.text;
    local.bounds.left = LVIR_BOUNDS;
    SIZE_T done = 0;
    WriteProcessMemory(process, remote, &local, sizeof local, &done);
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&remote->item));
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&remote->bounds));
    ReadProcessMemory(process, remote, &local, sizeof local, &done);
    ListItem item;
    local.text[sizeof local.text - 1] = '\0';
    item.text = local.text;
    item.image = local.item.iImage;
    item.selected = (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED) & LVIS_SELECTED) != 0;
    item.bounds = local.bounds;
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&item.bounds), 2);
    items.push_back(item);
  }
  if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return items;
}

std::vector<std::string> ListTexts(HWND list) {
  std::vector<std::string> texts;
  for (const ListItem& item : ReadListItems(list)) texts.push_back(item.text);
  return texts;
}


std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0], size, nullptr, nullptr);
  return text;
}

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
  return wide;
}

bool SetControlText(HWND control, const std::string& text) {
  const std::wstring wide = Widen(text);
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG, 2000,
                             &result) != 0;
}

// Asked in wide characters: that is the form in which Wine carries these
// requests to another process and back.
std::string ControlText(HWND control) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return std::string();
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, 2000,
                      &got);
  text.resize(got <= length ? got : 0);
  return Narrow(text);
}

std::vector<std::string> ListBoxTexts(HWND box) {
  std::vector<std::string> texts;
  const LRESULT count = SendMessageW(box, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(box, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
    const LRESULT got = SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 && got <= length ? static_cast<std::size_t>(got) : 0);
    texts.push_back(Narrow(text));
  }
  return texts;
}

int ListBoxSelection(HWND box) { return static_cast<int>(SendMessageA(box, LB_GETCURSEL, 0, 0)); }

bool WriteTextFile(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                  written == text.size();
  CloseHandle(file);
  return ok;
}

std::string ReadTextFile(const std::string& path) {
  std::string text;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return text;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return std::string();
  std::string folder = path;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

bool MakeShellLink(const std::string& link, const std::string& target, const std::string& iconFile,
                   int iconIndex) {
  const HRESULT init = CoInitialize(nullptr);
  bool saved = false;
  IShellLinkA* shellLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&shellLink)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->SetPath(target.c_str())) &&
        (iconFile.empty() || SUCCEEDED(shellLink->SetIconLocation(iconFile.c_str(), iconIndex))) &&
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      std::wstring wide(link.size() + 1, L'\0');
      const int n = MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
      saved = n > 0 && SUCCEEDED(file->Save(wide.c_str(), TRUE));
      file->Release();
    }
    shellLink->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return saved;
}

bool MakeLinkGroup(const std::string& groupFolder, int count, int kinds) {
  if (!CreateDirectoryA(groupFolder.c_str(), nullptr)) return false;
  auto name = [&groupFolder](int n) {
    char text[32];
    std::snprintf(text, sizeof text, "\\Link %03d.LNK", n);
    return groupFolder + text;
  };
  // Copies of one link per kind: writing each through the shell takes long.
  for (int n = 0; n < count; ++n) {
    const bool made = n < kinds ? MakeShellLink(name(n), "C:\\windows\\notepad.exe",
                                                "C:\\windows\\system32\\shell32.dll", 3 + n)
                                : CopyFileA(name(n % kinds).c_str(), name(n).c_str(), TRUE) != FALSE;
    if (!made) return false;
  }
  return true;
}

LinkView ReadShellLink(const std::string& link) {
  LinkView view;
  const HRESULT init = CoInitialize(nullptr);
  IShellLinkA* shellLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&shellLink)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      const std::wstring wide = Widen(link);
      if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
        char text[1024] = {};
        view.read = true;
        if (SUCCEEDED(shellLink->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH))) view.target = text;
        text[0] = '\0';
        if (SUCCEEDED(shellLink->GetDescription(text, sizeof text))) view.description = text;
        text[0] = '\0';
        int index = -1;
        if (SUCCEEDED(shellLink->GetIconLocation(text, sizeof text, &index))) {
          view.iconFile = text;
          view.iconIndex = index;
        }
        shellLink->GetHotkey(&view.hotKey);
      }
      file->Release();
    }
    shellLink->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return view;
}

bool DropFiles(HWND window, const std::vector<std::string>& paths, POINT clientPoint) {
  std::vector<char> block(sizeof(DROPFILES));
  for (const std::string& path : paths) block.insert(block.end(), path.c_str(), path.c_str() + path.size() + 1);
  block.push_back('\0');
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.pt = clientPoint;
  header.fNC = FALSE;
  header.fWide = FALSE;
  memcpy(block.data(), &header, sizeof header);

  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, ProcessOf(window));
  if (process == nullptr) return false;
  // Fixed memory: its address is the handle the receiver's DragQueryFile
  // locks. The receiver's DragFinish cannot free it; a test leaves it.
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  bool posted = remote != nullptr && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr) &&
                PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
  CloseHandle(process);
  return posted;
}

bool SendDpiChanged(HWND window, int dpi, const RECT& suggested) {
  // The proposed rectangle is read through a pointer, so it lives in the
  // receiving process.
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, ProcessOf(window));
  if (process == nullptr) return false;
  void* remote = VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  DWORD_PTR result = 0;
  const bool sent = remote != nullptr && WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr) &&
                    SendMessageTimeoutA(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi),
                                        reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &result) != 0;
  if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return sent;
}

namespace {

// A thread of the process at `start`; its exit code, or ~0 when it did not
// run to its end in time.
DWORD RunRemoteThread(HANDLE process, void* start, void* argument) {
  HANDLE thread = CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(start),
                                     argument, 0, nullptr);
  if (thread == nullptr) return ~DWORD{0};
  DWORD code = ~DWORD{0};
  // Pumped meanwhile: the thread may send to this process's windows.
  if (!PumpUntil(10000, [thread] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }) ||
      !GetExitCodeThread(thread, &code)) {
    code = ~DWORD{0};
  }
  CloseHandle(thread);
  return code;
}

}  // namespace

bool AskInProcess(DWORD processId, const std::string& dllPath, const char* function, void* argument, DWORD& answer) {
  // The library is loaded here too, to find the function's offset in it.
  HMODULE local = LoadLibraryA(dllPath.c_str());
  FARPROC localFunction = local != nullptr ? GetProcAddress(local, function) : nullptr;
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId);
  bool called = false;
  if (localFunction != nullptr && process != nullptr) {
    void* path = VirtualAllocEx(process, nullptr, dllPath.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    // kernel32 lies at the same address in every process of a width.
    void* loadLibrary = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA"));
    if (path != nullptr && WriteProcessMemory(process, path, dllPath.c_str(), dllPath.size() + 1, nullptr) &&
        RunRemoteThread(process, loadLibrary, path) != 0) {
      HMODULE modules[512];
      DWORD bytes = 0;
      if (EnumProcessModules(process, modules, sizeof modules, &bytes)) {
        for (DWORD i = 0; i < bytes / sizeof modules[0] && !called; ++i) {
          char name[MAX_PATH] = {};
          if (GetModuleFileNameExA(process, modules[i], name, MAX_PATH) == 0 ||
              lstrcmpiA(name, dllPath.c_str()) != 0) {
            continue;
          }
          const auto offset = reinterpret_cast<const char*>(localFunction) - reinterpret_cast<const char*>(local);
          answer = RunRemoteThread(process, reinterpret_cast<char*>(modules[i]) + offset, argument);
          called = answer != ~DWORD{0};
        }
      }
    }
    if (path != nullptr) VirtualFreeEx(process, path, 0, MEM_RELEASE);
  }
  if (process != nullptr) CloseHandle(process);
  if (local != nullptr) FreeLibrary(local);
  return called;
}

bool CallInProcess(DWORD processId, const std::string& dllPath, const char* function, void* argument) {
  DWORD answer = 0;
  return AskInProcess(processId, dllPath, function, argument, answer) && answer == 0;
}

RECT WorkArea() {
  RECT area{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

bool SaveScreenshot(const std::string& path) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool saved = false;
  if (memory != nullptr && bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    SelectObject(memory, old);
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    const auto* bgra = static_cast<const unsigned char*>(bits);
    for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
      rgb[i * 3 + 0] = bgra[i * 4 + 2];
      rgb[i * 3 + 1] = bgra[i * 4 + 1];
      rgb[i * 3 + 2] = bgra[i * 4 + 0];
    }
    saved = WritePng(path, width, height, rgb);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memory != nullptr) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

std::string OutputFile(const std::string& name) {
  std::string folder = FolderFromEnvironment("QV_OUTPUT_DIR");
  if (folder == "\\") folder.clear();
  const std::string path = folder + name;
  // Make the file's folder and its parents.
  for (size_t i = folder.empty() ? 0 : 3; i < path.size(); ++i) {
    if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
  return path;
}

bool Snapshot(const std::string& name) {
  Pump(400);
  return SaveScreenshot(OutputFile(name));
}

namespace {

std::string Handle(HWND window) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", static_cast<void*>(window));
  return text;
}

std::string ProcessName(DWORD id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (process == nullptr) return "?";
  char path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  const bool named = QueryFullProcessImageNameA(process, 0, path, &size) != FALSE;
  CloseHandle(process);
  if (!named) return "?";
  const char* slash = std::strrchr(path, '\\');
  return slash != nullptr ? slash + 1 : path;
}

}  // namespace

std::string DescribeDesktop() {
  std::string text = "pointer " + PointText(CursorPos()) + ", foreground " + Handle(GetForegroundWindow()) + "\n";
  text += "\nwindow, title, class, process, visible, enabled, rectangle\n";
  for (HWND window : TopLevelWindows()) {
    RECT r{};
    GetWindowRect(window, &r);
    const DWORD process = ProcessOf(window);
    text += Handle(window) + " \"" + WindowText(window) + "\" " + ClassName(window) + " " + std::to_string(process) +
            ":" + ProcessName(process) + (IsWindowVisible(window) ? " visible" : " hidden") +
            (IsWindowEnabled(window) ? " enabled " : " disabled ") + PointText(POINT{r.left, r.top}) + "-" +
            PointText(POINT{r.right, r.bottom}) + "\n";
  }
  text += "\nthread: active, focus, capture\n";
  for (HWND window : WindowPerThread(true)) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (!GetGUIThreadInfo(thread, &info) || (!info.hwndActive && !info.hwndFocus && !info.hwndCapture)) continue;
    text += std::to_string(thread) + ": " + Handle(info.hwndActive) + ", " + Handle(info.hwndFocus) + ", " +
            Handle(info.hwndCapture) + "\n";
  }
  return text;
}

std::string SaveFailureArtefacts(const std::string& base) {
  const std::string picture = OutputFile("failures\\" + base + ".png");
  const std::string list = OutputFile("failures\\" + base + ".txt");
  const bool shot = SaveScreenshot(picture);
  const bool listed = WriteTextFile(list, DescribeDesktop());
  // Named as the person running the tests finds them.
  const char* unixFolder = std::getenv("QV_OUTPUT_DIR");
  const std::string shown = unixFolder != nullptr && unixFolder[0] == '/' ? std::string(unixFolder) + "/failures/" + base
                                                                        : OutputFile("failures\\" + base);
  return shown + (shot ? ".png" : ".png (not saved)") + " and " + shown + (listed ? ".txt" : ".txt (not saved)");
}

HookLibrary::HookLibrary(const std::string& dllPath) {
  module_ = LoadLibraryA(dllPath.c_str());
  if (module_ == nullptr) return;
  auto get = [this](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module_, name)); };
  install_ = reinterpret_cast<int (*)()>(get("QVLInstallHook"));
  uninstall_ = reinterpret_cast<int (*)()>(get("QVLUninstallHook"));
  register_ = reinterpret_cast<void (*)(HWND)>(get("QVLRegisterWindow"));
  calcArea_ = reinterpret_cast<void (*)()>(get("QVLCalcArea"));
  registered_ = reinterpret_cast<HWND (*)()>(get("QVLRegisteredWindow"));
  hook_ = static_cast<HHOOK*>(get("m_hHook"));
  window_ = static_cast<HWND*>(get("m_hWnd"));
  moduleVar_ = static_cast<HINSTANCE*>(get("m_hModule"));
  rect1_ = static_cast<RECT*>(get("m_rect1"));
  rect2_ = static_cast<RECT*>(get("m_rect2"));
  if (!install_ || !uninstall_ || !register_ || !calcArea_ || !registered_ || !hook_ || !window_ || !moduleVar_ || !rect1_ ||
      !rect2_) {
    FreeLibrary(module_);
    module_ = nullptr;
  }
}

HookLibrary::~HookLibrary() {
  if (module_ != nullptr) FreeLibrary(module_);
}

OwnWindow::OwnWindow(const std::string& title, RECT where, DWORD style) {
  static const char* const kClass = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "QvDriverWindow";
    RegisterClassA(&wc);
    return "QvDriverWindow";
  }();
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClass, title.c_str(), style, where.left, where.top,
                            where.right - where.left, where.bottom - where.top, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
}

OwnWindow::~OwnWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

void OwnWindow::Show() const {
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  Pump(50);
}

void OwnWindow::Hide() const {
  ShowWindow(window_, SW_HIDE);
  Pump(50);
}

}  // namespace e2e
