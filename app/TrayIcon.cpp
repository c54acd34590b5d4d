#include "TrayIcon.h"

#include <shellapi.h>

#include <cstring>

#include "resource.h"

namespace qv {

namespace {

// The record of the first shell that had a notification area.
static_assert(NOTIFYICONDATAA_V1_SIZE == (sizeof(void*) == 4 ? 88 : 104), "first NOTIFYICONDATA layout");

NOTIFYICONDATAA BaseRecord(HWND window, UINT id) {
  NOTIFYICONDATAA data;
  std::memset(&data, 0, sizeof data);
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window;
  data.uID = id;
  return data;
}

void PutTip(NOTIFYICONDATAA& data, const char* tip) {
  // The first layout's tip holds 63 characters and the terminator.
  constexpr std::size_t kTipLength = 63;
  if (tip == nullptr) return;
  data.uFlags |= NIF_TIP;
  const std::size_t length = strnlen(tip, kTipLength);
  std::memcpy(data.szTip, tip, length);
  data.szTip[length] = '\0';
}

}  // namespace

bool AddTrayIcon(HWND window, UINT id, HICON icon, UINT callbackMessage, const char* tip) {
  NOTIFYICONDATAA data = BaseRecord(window, id);
  data.uFlags = NIF_ICON;
  if (callbackMessage != 0) data.uFlags |= NIF_MESSAGE;
  data.uCallbackMessage = callbackMessage;
  data.hIcon = icon;
  PutTip(data, tip);
  return Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

bool SetTrayTip(HWND window, UINT id, const char* tip) {
  NOTIFYICONDATAA data = BaseRecord(window, id);
  PutTip(data, tip);
  return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

bool RemoveTrayIcon(HWND window, UINT id) {
  NOTIFYICONDATAA data = BaseRecord(window, id);
  return Shell_NotifyIconA(NIM_DELETE, &data) != FALSE;
}

UniqueMenu LoadTrayMenu(HINSTANCE module, HMENU& popup, bool paused) {
  UniqueMenu menu(LoadMenuA(module, MAKEINTRESOURCEA(IDM_TRAY)));
  popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
  if (popup == nullptr) return UniqueMenu();
  SetMenuDefaultItem(popup, IDM_TRAY_SETUP, FALSE);
  // A pause to choose, or the one chosen to end.
  if (paused) {
    DeleteMenu(popup, IDM_TRAY_PAUSE_HOUR, MF_BYCOMMAND);
    DeleteMenu(popup, IDM_TRAY_PAUSE, MF_BYCOMMAND);
  } else {
    DeleteMenu(popup, IDM_TRAY_RESUME, MF_BYCOMMAND);
  }
  return menu;
}

}  // namespace qv
