// Hot-zone geometry and the hook's decision, free of any platform header so
// that the same code runs inside QVLHOOK.DLL and in the native unit tests.
//
// Everything here is header-only and allocation-free: the hook procedure
// sits on the path of every mouse message of every program on the desktop.
#pragma once

#include <cstdint>

namespace qv {

// Same layout and meaning as the platform's RECT: right and bottom exclusive.
struct ZoneRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

struct ZonePoint {
  int32_t x;
  int32_t y;
};

// The point test of PtInRect: left <= x < right and top <= y < bottom.
constexpr bool Contains(const ZoneRect& r, ZonePoint p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

struct HotZones {
  ZoneRect stay;     // the popup stays up while the pointer is in here
  ZoneRect trigger;  // touching this strip calls the popup
};

// Both zones start at half the work area's right edge (not at the middle of
// the work area), so a task bar on the left does not shift them. The strip is
// the top row without the width of three title-bar buttons at its right end,
// so reaching for a maximised window's close button never calls the popup.
constexpr HotZones ComputeHotZones(const ZoneRect& workArea, int32_t titleButtonWidth) {
  const int32_t half = workArea.right / 2;  // truncates toward zero, as C does
  return HotZones{
      ZoneRect{half, workArea.top, workArea.right, workArea.bottom},
      ZoneRect{half, workArea.top, workArea.right - 3 * titleButtonWidth, workArea.top + 1},
  };
}

// The right end of the strip once the caption buttons of the maximised
// window at the top edge are known: the strip never reaches them, however
// wide the system draws them. `buttonsLeft` is their left edge in screen
// coordinates; the strip keeps its own end when that lies further left.
constexpr ZoneRect StripClearOfCaptionButtons(const ZoneRect& strip, int32_t buttonsLeft) {
  return ZoneRect{strip.left, strip.top, buttonsLeft < strip.right ? buttonsLeft : strip.right, strip.bottom};
}

// Mouse messages that carry a press or a release, in the client area or
// outside it (the numbers of WM_LBUTTONDOWN..WM_MBUTTONDBLCLK,
// WM_XBUTTONDOWN..WM_XBUTTONDBLCLK and their non-client twins).
constexpr bool IsButtonMessage(uint32_t message) {
  return (message >= 0x0201 && message <= 0x0209) || (message >= 0x020B && message <= 0x020D) ||
         (message >= 0x00A1 && message <= 0x00A9) || (message >= 0x00AB && message <= 0x00AD);
}

// A window dragged to the top edge to snap it, or a click on a tab there,
// ends with the pointer resting in the strip: the strip stays quiet from a
// press, a release or a held button in it until the pointer has left it.
constexpr bool NextStripQuiet(bool quiet, bool inStrip, bool buttonActivity) {
  if (!inStrip) return false;
  return quiet || buttonActivity;
}

// Where the hook takes the pointer from. Windows hands every thread points
// in its own DPI space. A per-monitor-aware thread (awareness 2) sees the
// physical points that the zones are in; a thread of any other awareness
// sees them scaled by its own DPI (96 when unaware, the log-on scale when
// system-aware) against the monitor's, so on the primary monitor, where the
// zones are, its points are physical exactly when the two DPIs agree. For
// the others, or when a DPI is not known (0), the pointer is read in
// physical terms instead.
constexpr bool MessagePointIsPhysical(int threadAwareness, uint32_t threadDpi, uint32_t primaryDpi) {
  return threadAwareness == 2 || (threadDpi != 0 && threadDpi == primaryDpi);
}

enum class HookRequest { kNone, kShow, kHide };

// The hook's decision. The probe answers the questions that cost a platform
// call, and is asked only when the answer matters, in this order:
//   bool Registered()     - a launcher window is registered
//   bool AnyButtonDown()  - left, right or middle button held
//   ZonePoint Point()     - the pointer, in the zones' coordinates
//   bool WindowVisible()  - the registered window is visible
// A pointer dragging something must neither show nor hide the popup.
// `quiet` is the strip's state after a button in it (NextStripQuiet); it is
// updated here for every event of a registered window.
template <class Probe>
inline HookRequest DecideHookRequest(Probe& probe, const HotZones& zones, bool buttonMessage, bool& quiet) {
  if (!probe.Registered()) return HookRequest::kNone;
  const bool buttonDown = probe.AnyButtonDown();
  const ZonePoint pt = probe.Point();
  const bool inStrip = Contains(zones.trigger, pt);
  quiet = NextStripQuiet(quiet, inStrip, buttonDown || buttonMessage);
  if (buttonDown) return HookRequest::kNone;
  if (!Contains(zones.stay, pt)) {
    return probe.WindowVisible() ? HookRequest::kHide : HookRequest::kNone;
  }
  if (inStrip && !quiet && !probe.WindowVisible()) return HookRequest::kShow;
  return HookRequest::kNone;
}

// The decision with every input known up front; for tests and benchmarks.
struct KnownHookInputs {
  bool registered;
  bool buttonDown;
  bool visible;
  ZonePoint pt;
  bool Registered() const { return registered; }
  bool AnyButtonDown() const { return buttonDown; }
  ZonePoint Point() const { return pt; }
  bool WindowVisible() const { return visible; }
};

inline HookRequest DecideHookRequest(bool registered, bool buttonDown, ZonePoint pt,
                                     const HotZones& zones, bool visible) {
  KnownHookInputs inputs{registered, buttonDown, visible, pt};
  bool quiet = false;
  return DecideHookRequest(inputs, zones, false, quiet);
}

}  // namespace qv
