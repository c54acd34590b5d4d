// Display scale. The launcher is per-monitor aware: its windows are drawn
// in physical pixels at the scale of the monitor they are on, which may
// change without a new log-on, while the screen's resolution (LOGPIXELSY)
// and the plain system metrics stay those of the log-on.
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

// The system's calls for scales per monitor, looked up once: null where the
// system has none (before Windows 10 1607, or 1703 for the dialog ones).
struct DpiCalls {
  UINT(WINAPI* dpiForWindow)(HWND) = nullptr;
  int(WINAPI* metricForDpi)(int, UINT) = nullptr;
  BOOL(WINAPI* dialogBehavior)(HWND, int, int) = nullptr;         // SetDialogDpiChangeBehavior
  BOOL(WINAPI* controlBehavior)(HWND, int, int) = nullptr;        // SetDialogControlDpiChangeBehavior
};

inline const DpiCalls& SystemDpiCalls() {
  static const DpiCalls calls = [] {
    DpiCalls found;
    if (const HMODULE user32 = GetModuleHandleA("user32.dll")) {
      auto get = [user32](const char* name) { return reinterpret_cast<void*>(GetProcAddress(user32, name)); };
      found.dpiForWindow = reinterpret_cast<decltype(found.dpiForWindow)>(get("GetDpiForWindow"));
      found.metricForDpi = reinterpret_cast<decltype(found.metricForDpi)>(get("GetSystemMetricsForDpi"));
      found.dialogBehavior = reinterpret_cast<decltype(found.dialogBehavior)>(get("SetDialogDpiChangeBehavior"));
      found.controlBehavior =
          reinterpret_cast<decltype(found.controlBehavior)>(get("SetDialogControlDpiChangeBehavior"));
    }
    return found;
  }();
  return calls;
}

// The scale of the monitor that shows `window` now; the screen's where the
// system cannot say (before Windows 10 1607).
inline int WindowDpi(HWND window) {
  const auto dpiForWindow = SystemDpiCalls().dpiForWindow;
  const UINT dpi = dpiForWindow != nullptr ? dpiForWindow(window) : 0;
  return dpi != 0 ? static_cast<int>(dpi) : ScreenDpi();
}

// A pixel size of the log-on scale at `dpi`, rounded as the system rounds.
inline int ScaledForDpi(int pixels, int dpi) { return dpi > 0 ? MulDiv(pixels, dpi, ScreenDpi()) : pixels; }

// A system metric at `dpi`; the plain metric, scaled, before Windows 10 1607.
inline int MetricForDpi(int index, int dpi) {
  const auto metricForDpi = SystemDpiCalls().metricForDpi;
  if (metricForDpi != nullptr && dpi > 0) return metricForDpi(index, static_cast<UINT>(dpi));
  return ScaledForDpi(GetSystemMetrics(index), dpi);
}

// The new scale that WM_DPICHANGED announces (its y, as fonts go by).
constexpr UINT kDpiChangedMessage = 0x02E0;  // WM_DPICHANGED, Windows 8.1 and later
inline int DpiOfChange(WPARAM wParam) { return static_cast<int>(HIWORD(wParam)); }

// A dialog that lays itself out when its scale changes: the dialog manager
// neither resizes it nor gives its controls fonts of its own.
inline void KeepDialogLayout(HWND dialog) {
  constexpr int kDisableAll = 0x0001 | 0x0002 | 0x0004;  // DDC_DISABLE_ALL
  if (const auto behavior = SystemDpiCalls().dialogBehavior) behavior(dialog, kDisableAll, kDisableAll);
}

// A control whose font the dialog sets itself: the dialog manager's
// rescaling would put the dialog's own font back on it.
inline void KeepControlFont(HWND control) {
  constexpr int kFontUpdate = 0x0001;  // DCDC_DISABLE_FONTUPDATE
  if (const auto behavior = SystemDpiCalls().controlBehavior) behavior(control, kFontUpdate, kFontUpdate);
}

}  // namespace qv
