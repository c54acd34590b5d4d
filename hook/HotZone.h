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

// The hit-test codes of a title bar's buttons (HTMINBUTTON, HTMAXBUTTON,
// HTCLOSE, HTHELP). A program that draws its own title bar (a browser, a
// terminal, an office program) draws its own buttons, which no system metric
// describes, but answers the hit test with these so that snapping works;
// the hook's message carries that answer.
constexpr bool IsCaptionButtonHit(uint32_t hitTest) {
  return hitTest == 8 || hitTest == 9 || hitTest == 20 || hitTest == 21;
}

// A monitor as the system describes it: its whole rectangle, its work area
// and the width of a title-bar button at its scale.
struct MonitorArea {
  ZoneRect monitor;
  ZoneRect work;
  int32_t titleButtonWidth;
};

constexpr ZoneRect ShiftedRight(const ZoneRect& r, int32_t by) {
  return ZoneRect{r.left + by, r.top, r.right + by, r.bottom};
}

// Every monitor gets the primary's rules as if its own left edge were x = 0;
// on the primary, whose left edge is 0, these are ComputeHotZones' zones.
constexpr HotZones ComputeMonitorHotZones(const MonitorArea& m) {
  const int32_t origin = m.monitor.left;
  const HotZones own = ComputeHotZones(ShiftedRight(m.work, -origin), m.titleButtonWidth);
  return HotZones{ShiftedRight(own.stay, origin), ShiftedRight(own.trigger, origin)};
}

// A fixed bound, so that the hook's shared copy needs no allocation; a
// desktop with more monitors has no edge on the ones beyond it.
constexpr int32_t kMaxMonitors = 16;
constexpr int32_t kMaxEdgePieces = 32;

// One stretch of a strip that is a real edge, with its monitor's stay zone.
struct EdgePiece {
  HotZones zones;
  int32_t monitor;  // index into the monitors the pieces were made from
};

struct DesktopZones {
  int32_t count;
  EdgePiece piece[kMaxEdgePieces];
};

// The pointer stops at a top row only where no monitor lies directly above
// it; elsewhere it runs on into the monitor above, and the row is no edge.
// A monitor's strip is therefore cut where another monitor covers the row
// just above its top. Pieces beyond the bound are dropped.
inline void ComputeDesktopZones(const MonitorArea* monitors, int32_t count, DesktopZones& out) {
  out.count = 0;
  if (count > kMaxMonitors) count = kMaxMonitors;
  for (int32_t i = 0; i < count; ++i) {
    const HotZones zones = ComputeMonitorHotZones(monitors[i]);
    // The strip's free stretches as [left, right) pairs; each monitor above
    // can split one stretch in two, so there are at most `count` of them.
    int32_t left[kMaxMonitors];
    int32_t right[kMaxMonitors];
    int32_t stretches = 0;
    if (zones.trigger.left < zones.trigger.right) {
      left[0] = zones.trigger.left;
      right[0] = zones.trigger.right;
      stretches = 1;
    }
    const int32_t above = monitors[i].monitor.top - 1;
    for (int32_t j = 0; j < count && stretches > 0; ++j) {
      const ZoneRect& other = monitors[j].monitor;
      if (j == i || above < other.top || above >= other.bottom) continue;
      int32_t kept = 0;
      int32_t keptLeft[kMaxMonitors];
      int32_t keptRight[kMaxMonitors];
      for (int32_t s = 0; s < stretches; ++s) {
        if (left[s] < other.left && kept < kMaxMonitors) {
          keptLeft[kept] = left[s];
          keptRight[kept++] = right[s] < other.left ? right[s] : other.left;
        }
        if (right[s] > other.right && kept < kMaxMonitors) {
          keptLeft[kept] = left[s] > other.right ? left[s] : other.right;
          keptRight[kept++] = right[s];
        }
      }
      for (int32_t s = 0; s < kept; ++s) {
        left[s] = keptLeft[s];
        right[s] = keptRight[s];
      }
      stretches = kept;
    }
    for (int32_t s = 0; s < stretches && out.count < kMaxEdgePieces; ++s) {
      const ZoneRect strip{left[s], zones.trigger.top, right[s], zones.trigger.bottom};
      out.piece[out.count++] = EdgePiece{HotZones{zones.stay, strip}, i};
    }
  }
}

// The piece of strip under the point among the first `count`; -1 for none.
inline int32_t EdgePieceAt(const DesktopZones& zones, int32_t count, ZonePoint pt) {
  for (int32_t i = 0; i < count; ++i)
    if (Contains(zones.piece[i].zones.trigger, pt)) return i;
  return -1;
}

// kCancel: the pointer left the strip, or a button went down, while the
// launcher waits out its delay at the edge.
enum class HookRequest { kNone, kShow, kHide, kCancel };

// The hook's decision. The probe answers the questions that cost a platform
// call, and is asked only when the answer matters, in this order:
//   bool Registered()     - a launcher window is registered
//   bool AnyButtonDown()  - left, right or middle button held
//   ZonePoint Point()     - the pointer, in the zones' coordinates
//   bool WindowVisible()  - the registered window is visible
//   bool Waiting()        - the launcher waits out its delay at the edge
//                           (a word it keeps in shared memory: asked first)
// A pointer dragging something must neither show nor hide the popup.
// `quiet` is the strip's state after a button in it (NextStripQuiet); it is
// updated here for every event of a registered window. `shown` is the piece
// whose edge called the popup last: the popup stays up while the pointer is
// in that piece's stay zone (in any stay zone when it names none), and a
// show request records the piece that asks. Over a caption button
// (IsCaptionButtonHit) the strip calls nothing, and the pointer there is
// still in the stay zone.
template <class Probe>
inline HookRequest DecideHookRequest(Probe& probe, const DesktopZones& zones, int32_t& shown, bool buttonMessage,
                                     bool& quiet, bool overCaptionButton = false) {
  if (!probe.Registered()) return HookRequest::kNone;
  const bool buttonDown = probe.AnyButtonDown();
  const ZonePoint pt = probe.Point();
  // Read once: another process may be remaking the table.
  const int32_t count = zones.count < kMaxEdgePieces ? zones.count : kMaxEdgePieces;
  const int32_t piece = EdgePieceAt(zones, count, pt);
  quiet = NextStripQuiet(quiet, piece >= 0, buttonDown || buttonMessage);
  // The wait ends where the touch would call nothing any more.
  if (probe.Waiting() && (buttonDown || piece < 0 || quiet || overCaptionButton)) return HookRequest::kCancel;
  if (buttonDown) return HookRequest::kNone;
  bool inStay = false;
  if (shown >= 0 && shown < count) {
    inStay = Contains(zones.piece[shown].zones.stay, pt);
  } else {
    for (int32_t i = 0; i < count && !inStay; ++i) inStay = Contains(zones.piece[i].zones.stay, pt);
  }
  const bool callable = piece >= 0 && !quiet && !overCaptionButton;
  if (inStay && !callable) return HookRequest::kNone;
  if (probe.WindowVisible()) return inStay ? HookRequest::kNone : HookRequest::kHide;
  if (!callable) return HookRequest::kNone;
  shown = piece;
  return HookRequest::kShow;
}

// One monitor's zones as a desktop of their own.
inline DesktopZones SingleMonitorZones(const HotZones& zones) {
  DesktopZones desktop{};
  desktop.count = 1;  // an empty strip holds no point, but its stay zone still counts
  desktop.piece[0] = EdgePiece{zones, 0};
  return desktop;
}

// The decision with every input known up front; for tests and benchmarks.
struct KnownHookInputs {
  bool registered;
  bool buttonDown;
  bool visible;
  ZonePoint pt;
  bool waiting;
  bool Registered() const { return registered; }
  bool AnyButtonDown() const { return buttonDown; }
  ZonePoint Point() const { return pt; }
  bool WindowVisible() const { return visible; }
  bool Waiting() const { return waiting; }
};

inline HookRequest DecideHookRequest(bool registered, bool buttonDown, ZonePoint pt,
                                     const HotZones& zones, bool visible) {
  KnownHookInputs inputs{registered, buttonDown, visible, pt, false};
  bool quiet = false;
  int32_t shown = -1;
  return DecideHookRequest(inputs, SingleMonitorZones(zones), shown, false, quiet);
}

}  // namespace qv
