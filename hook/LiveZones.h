// The zones from the desktop as it is now, in the physical pixels that a
// per-monitor-aware launcher sees; shared by the hook library, which keeps
// them for the hook, and the launcher, which checks each request against
// them. Not for the hook procedure itself: this asks the system.
#pragma once

#include <windows.h>

#include "HotZone.h"

namespace qv {

inline ZoneRect ToZone(const RECT& r) { return ZoneRect{r.left, r.top, r.right, r.bottom}; }

// A monitor's scale now, which may differ from the one the session started
// with; 0 where the system cannot say (before Windows 8.1).
inline UINT MonitorDpi(HMONITOR monitor) {
  using MonitorDpiFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  const HMODULE shcore = LoadLibraryA("shcore.dll");
  if (!shcore) return 0;
  const auto monitorDpi =
      reinterpret_cast<MonitorDpiFn>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
  UINT x = 0, y = 0;
  if (!monitorDpi || FAILED(monitorDpi(monitor, 0, &x, &y))) y = 0;
  FreeLibrary(shcore);
  return y;
}

inline UINT PrimaryMonitorDpi() { return MonitorDpi(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)); }

// A title-bar button's width at `dpi` (0: not known).
// (A per-monitor-aware program's plain metrics stay at the log-on scale.)
inline int TitleButtonWidth(UINT dpi) {
  using MetricsForDpiFn = int(WINAPI*)(int, UINT);
  const MetricsForDpiFn metricsForDpi = reinterpret_cast<MetricsForDpiFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetSystemMetricsForDpi")));
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
  UINT commonDpi = 0;    // the scale of every monitor, 0 when they differ or one is not known
};

inline BOOL CALLBACK AddLiveMonitor(HMONITOR handle, HDC, LPRECT, LPARAM data) {
  LiveDesktop& desktop = *reinterpret_cast<LiveDesktop*>(data);
  if (desktop.count >= kMaxMonitors) return FALSE;
  UINT dpi = 0;
  bool primary = false;
  if (!ReadMonitorArea(handle, desktop.monitor[desktop.count], &dpi, &primary)) return TRUE;
  if (primary) desktop.primary = desktop.count;
  if (desktop.count == 0) desktop.commonDpi = dpi;
  else if (dpi != desktop.commonDpi) desktop.commonDpi = 0;
  ++desktop.count;
  return TRUE;
}

// False when no monitor could be read; the zones are then empty.
inline bool ReadLiveDesktop(LiveDesktop& desktop) {
  desktop.count = 0;
  desktop.primary = -1;
  desktop.commonDpi = 0;
  EnumDisplayMonitors(nullptr, nullptr, AddLiveMonitor, reinterpret_cast<LPARAM>(&desktop));
  return desktop.count > 0;
}

}  // namespace qv
