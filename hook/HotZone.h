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

enum class HookRequest { kNone, kShow, kHide };

// The hook's decision. The probe answers the three questions that cost a
// platform call, and is asked only when the answer matters, in this order:
//   bool Registered()     - a launcher window is registered
//   bool AnyButtonDown()  - left, right or middle button held
//   bool WindowVisible()  - the registered window is visible
// A pointer dragging something must neither show nor hide the popup.
template <class Probe>
inline HookRequest DecideHookRequest(Probe& probe, ZonePoint pt, const HotZones& zones) {
  if (!probe.Registered() || probe.AnyButtonDown()) return HookRequest::kNone;
  if (!Contains(zones.stay, pt)) {
    return probe.WindowVisible() ? HookRequest::kHide : HookRequest::kNone;
  }
  if (Contains(zones.trigger, pt) && !probe.WindowVisible()) return HookRequest::kShow;
  return HookRequest::kNone;
}

// The decision with every input known up front; for tests and benchmarks.
struct KnownHookInputs {
  bool registered;
  bool buttonDown;
  bool visible;
  bool Registered() const { return registered; }
  bool AnyButtonDown() const { return buttonDown; }
  bool WindowVisible() const { return visible; }
};

inline HookRequest DecideHookRequest(bool registered, bool buttonDown, ZonePoint pt,
                                     const HotZones& zones, bool visible) {
  KnownHookInputs inputs{registered, buttonDown, visible};
  return DecideHookRequest(inputs, pt, zones);
}

}  // namespace qv
