// The zones from the desktop as it is now, in the physical pixels that a
// per-monitor-aware launcher sees; shared by the hook library, which keeps
// them for the hook, and the launcher, which checks each request against
// them. Not for the hook procedure itself: this asks the system.
#pragma once

#include <windows.h>

#include "HotZone.h"

namespace qv {

inline ZoneRect ToZone(const RECT& r) { return ZoneRect{r.left, r.top, r.right, r.bottom}; }

// A function of a system library, looked up the first time it is asked
// for and kept for the process: the launcher asks at every showing, hiding
// and stay tick, and a look-up each time would wait for the loader lock
// that icon workers hold while the shell loads its extensions. A library
// loaded here stays loaded while its function is kept. `slot` is a
// constant-initialised static (the hook library has no run-time library to
// guard a dynamic one); threads that race only look up the same answer.
// Never on the hook procedure's path, which runs in other programs.
inline void* SystemFunction(void* volatile* slot, const char* library, const char* name, bool load) {
  // Kept where the system has no such function: the slot's own address.
  void* const missing = const_cast<void**>(slot);
  void* known = InterlockedCompareExchangePointer(slot, nullptr, nullptr);
  if (known == nullptr) {
    const HMODULE module = load ? LoadLibraryA(library) : GetModuleHandleA(library);
    void* const found = module != nullptr ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
    known = InterlockedCompareExchangePointer(slot, found != nullptr ? found : missing, nullptr);
    const bool kept = known == nullptr && found != nullptr;
    if (load && module != nullptr && !kept) FreeLibrary(module);
    if (known == nullptr) known = found != nullptr ? found : missing;
  }
  return known != missing ? known : nullptr;
}

// A monitor's scale now, which may differ from the one the session started
// with; 0 where the system cannot say (before Windows 8.1).
inline UINT MonitorDpi(HMONITOR monitor) {
  using MonitorDpiFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static void* volatile function = nullptr;
  const auto monitorDpi =
      reinterpret_cast<MonitorDpiFn>(SystemFunction(&function, "shcore.dll", "GetDpiForMonitor", true));
  UINT x = 0, y = 0;
  if (!monitorDpi || FAILED(monitorDpi(monitor, 0, &x, &y))) y = 0;
  return y;
}

inline UINT PrimaryMonitorDpi() { return MonitorDpi(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)); }

// A title-bar button's width at `dpi` (0: not known).
// (A per-monitor-aware program's plain metrics stay at the log-on scale.)
inline int TitleButtonWidth(UINT dpi) {
  using MetricsForDpiFn = int(WINAPI*)(int, UINT);
  static void* volatile function = nullptr;
  const auto metricsForDpi =
      reinterpret_cast<MetricsForDpiFn>(SystemFunction(&function, "user32.dll", "GetSystemMetricsForDpi", false));
  if (metricsForDpi && dpi != 0) return metricsForDpi(SM_CXSIZE, dpi);
  return GetSystemMetrics(SM_CXSIZE);
}

// One monitor's rectangles and button width; false when it is gone.
// `dpi`, when asked for, gets its scale.
inline bool ReadMonitorArea(HMONITOR monitor, MonitorArea& area, UINT* dpi = nullptr, bool* primary = nullptr) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (monitor == nullptr || !GetMonitorInfoA(monitor, &info)) return false;
  // The primary's work area as the system-wide setting has it, which is
  // where a bar docked by another program is first known (under Wine, the
  // only place a process's own setting shows).
  if ((info.dwFlags & MONITORINFOF_PRIMARY) != 0) SystemParametersInfoA(SPI_GETWORKAREA, 0, &info.rcWork, 0);
  const UINT scale = MonitorDpi(monitor);
  area = MonitorArea{ToZone(info.rcMonitor), ToZone(info.rcWork), TitleButtonWidth(scale)};
  if (dpi != nullptr) *dpi = scale;
  if (primary != nullptr) *primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
  return true;
}

// The primary alone, from the system-wide settings, for when no monitor
// answers: its work area as the system reports it (empty when it cannot).
inline MonitorArea PrimaryAreaFromSettings(UINT dpi) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return MonitorArea{ZoneRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, ToZone(work),
                     TitleButtonWidth(dpi)};
}

// Every monitor of the desktop, up to the bound.
struct LiveDesktop {
  MonitorArea monitor[kMaxMonitors];
  int32_t count = 0;
  int32_t primary = -1;  // index of the primary monitor; -1 when none answered
};

inline BOOL CALLBACK AddLiveMonitor(HMONITOR handle, HDC, LPRECT, LPARAM data) {
  LiveDesktop& desktop = *reinterpret_cast<LiveDesktop*>(data);
  if (desktop.count >= kMaxMonitors) return FALSE;
  bool primary = false;
  if (!ReadMonitorArea(handle, desktop.monitor[desktop.count], nullptr, &primary)) return TRUE;
  if (primary) desktop.primary = desktop.count;
  ++desktop.count;
  return TRUE;
}

// False when no monitor could be read; the zones are then empty.
inline bool ReadLiveDesktop(LiveDesktop& desktop) {
  desktop.count = 0;
  desktop.primary = -1;
  EnumDisplayMonitors(nullptr, nullptr, AddLiveMonitor, reinterpret_cast<LPARAM>(&desktop));
  return desktop.count > 0;
}

}  // namespace qv
