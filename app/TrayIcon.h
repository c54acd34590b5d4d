// The launcher's icon in the task bar's notification area and its menu.
#pragma once

#include <windows.h>

#include "Handles.h"

namespace qv {

// Adds the icon with the first published record layout, which every shell
// version accepts. A tip longer than 63 characters is cut. The callback
// message is sent only when it is not 0.
bool AddTrayIcon(HWND window, UINT id, HICON icon, UINT callbackMessage, const char* tip);
bool RemoveTrayIcon(HWND window, UINT id);
// A new tip for the icon, cut as above.
bool SetTrayTip(HWND window, UINT id, const char* tip);

// The notification-area menu (resource 131) of `module`, with "&Setup..."
// as its default item and the pause's items that apply while `paused` or
// not. `popup` is its first sub-menu, owned by the result.
UniqueMenu LoadTrayMenu(HINSTANCE module, HMENU& popup, bool paused);

}  // namespace qv
