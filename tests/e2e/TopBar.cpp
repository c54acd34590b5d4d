// Loaded into a launcher by a scenario: gives that process a work area with
// a bar of the given height at the top or width at the left, as a task bar
// docked there would (under Wine a work area set by one process stays that
// process's own); tells the code page it runs on; and reads what only the
// launcher's own process can: a window's font and a list's icon size.
#include <windows.h>

#include <commctrl.h>

extern "C" __declspec(dllexport) DWORD WINAPI SetTopBar(void* height) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  work.top = static_cast<LONG>(reinterpret_cast<INT_PTR>(height));
  return SystemParametersInfoA(SPI_SETWORKAREA, 0, &work, 0) ? 0 : 1;
}

extern "C" __declspec(dllexport) DWORD WINAPI SetLeftBar(void* width) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  work.left = static_cast<LONG>(reinterpret_cast<INT_PTR>(width));
  return SystemParametersInfoA(SPI_SETWORKAREA, 0, &work, 0) ? 0 : 1;
}

// The height in pixels of the font a window draws its text in; 0 for none.
extern "C" __declspec(dllexport) DWORD WINAPI FontHeightOf(void* window) {
  const auto font = reinterpret_cast<HFONT>(SendMessageW(static_cast<HWND>(window), WM_GETFONT, 0, 0));
  LOGFONTW made{};
  if (font == nullptr || GetObjectW(font, sizeof made, &made) != sizeof made) return 0;
  return static_cast<DWORD>(made.lfHeight < 0 ? -made.lfHeight : made.lfHeight);
}

// The width of the large icons a list view shows; 0 without an image list.
extern "C" __declspec(dllexport) DWORD WINAPI IconSizeOf(void* list) {
  const auto images =
      reinterpret_cast<HIMAGELIST>(SendMessageW(static_cast<HWND>(list), LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
  int cx = 0, cy = 0;
  return images != nullptr && ImageList_GetIconSize(images, &cx, &cy) ? static_cast<DWORD>(cx) : 0;
}

// 0 when the process runs on this ANSI code page.
extern "C" __declspec(dllexport) DWORD WINAPI IsCodePage(void* codePage) {
  return GetACP() == static_cast<UINT>(reinterpret_cast<UINT_PTR>(codePage)) ? 0 : 1;
}

namespace {

BOOL CALLBACK FindLauncherTip(HWND window, LPARAM found) {
  WCHAR name[32] = {};
  GetClassNameW(window, name, 32);
  if (lstrcmpiW(name, TOOLTIPS_CLASSW) != 0) return TRUE;
  // The tool of a notification-area icon, with its text copied out here.
  WCHAR text[256] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.lpszText = text;
  if (!SendMessageW(window, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool))) return TRUE;
  if (wcsncmp(text, L"Quorvel!", 8) != 0) return TRUE;
  *reinterpret_cast<ATOM*>(found) = GlobalAddAtomW(text);
  return FALSE;
}

}  // namespace

// Loaded into the shell that shows the notification area: the launcher's
// icon's tip, as a global atom the caller reads and deletes; 0 for none.
extern "C" __declspec(dllexport) DWORD WINAPI LauncherTipAtom(void*) {
  ATOM found = 0;
  EnumWindows(FindLauncherTip, reinterpret_cast<LPARAM>(&found));
  return found;
}
