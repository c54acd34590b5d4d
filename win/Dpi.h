// Display scale. The launcher is per-monitor aware: its windows are drawn
// in physical pixels at the scale of the monitor they are on, which may
// change without a new log-on, while the screen's resolution (LOGPIXELSY)
// stays that of the log-on.
#pragma once

#include <windows.h>

namespace qv {

// The screen's pixels per logical inch, as the common dialogs measure fonts
// with them; 96 when the screen cannot be asked.
inline int ScreenDpi() {
  int logPixelsY = 0;
  if (HDC screen = GetDC(nullptr)) {
    logPixelsY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  return logPixelsY > 0 ? logPixelsY : 96;
}

// The scale of the monitor that shows `window` now; the screen's where the
// system cannot say (before Windows 10 1607).
inline int WindowDpi(HWND window) {
  using WindowDpiFn = UINT(WINAPI*)(HWND);
  const auto windowDpi = reinterpret_cast<WindowDpiFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  const UINT dpi = windowDpi != nullptr ? windowDpi(window) : 0;
  return dpi != 0 ? static_cast<int>(dpi) : ScreenDpi();
}

}  // namespace qv
