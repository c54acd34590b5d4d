// The zones from the desktop as it is now, in the physical pixels that a
// per-monitor-aware launcher sees; shared by the hook library, which keeps
// them for the hook, and the launcher, which checks each request against
// them. Not for the hook procedure itself: this asks the system.
#pragma once

#include <windows.h>

#include "HotZone.h"

namespace qv {

// The primary monitor's scale now, which may differ from the one the
// session started with; 0 where the system cannot say (before Windows 8.1).
inline UINT PrimaryMonitorDpi() {
  using MonitorDpiFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  const HMODULE shcore = LoadLibraryA("shcore.dll");
  if (!shcore) return 0;
  const auto monitorDpi =
      reinterpret_cast<MonitorDpiFn>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
  UINT x = 0, y = 0;
  if (!monitorDpi || FAILED(monitorDpi(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), 0, &x, &y))) y = 0;
  FreeLibrary(shcore);
  return y;
}

// A title-bar button's width at `dpi` (0: not known).
// (A per-monitor-aware program's plain metrics stay at the log-on scale.)
inline int TitleButtonWidth(UINT dpi) {
  using MetricsForDpiFn = int(WINAPI*)(int, UINT);
  const MetricsForDpiFn metricsForDpi = reinterpret_cast<MetricsForDpiFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetSystemMetricsForDpi")));
  if (metricsForDpi && dpi != 0) return metricsForDpi(SM_CXSIZE, dpi);
  return GetSystemMetrics(SM_CXSIZE);
}

// False when the work area cannot be read. `primaryDpi`, when asked for,
// gets the primary monitor's scale that the zones were made at.
inline bool CurrentHotZones(HotZones& zones, UINT* primaryDpi = nullptr) {
  RECT work{};
  const bool read = SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) != FALSE;
  const UINT dpi = PrimaryMonitorDpi();
  zones = ComputeHotZones(ZoneRect{work.left, work.top, work.right, work.bottom}, TitleButtonWidth(dpi));
  if (primaryDpi != nullptr) *primaryDpi = dpi;
  return read;
}

}  // namespace qv
