// The launcher on a desktop of two monitors: the primary, and a larger one
// above it, with a bar at its top, that reaches over the left part of the
// primary's top row.
#include <gtest/gtest.h>

#include <vector>

#include "LauncherTest.h"

namespace e2e {
namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) reinterpret_cast<std::vector<MONITORINFO>*>(data)->push_back(info);
  return TRUE;
}

class Monitors : public LauncherTest {
 protected:
  void SetUp() override {
    std::vector<MONITORINFO> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    ASSERT_EQ(monitors.size(), 2u) << "this suite runs on a desktop of two monitors";
    upper = (monitors[0].dwFlags & MONITORINFOF_PRIMARY) ? monitors[1] : monitors[0];
    ASSERT_EQ(upper.rcMonitor.bottom, 0) << "the second monitor lies directly above the primary";
    ASSERT_GT(upper.rcMonitor.right, WorkArea().right / 2) << "and over part of the primary's right half";
    ASSERT_GT(upper.rcWork.top, upper.rcMonitor.top) << "with a bar at its top";
  }

  // Three quarters across the upper monitor, on the top row of its work
  // area: its right half, under its bar.
  POINT UpperEdge() const {
    const RECT& m = upper.rcMonitor;
    return POINT{m.left + (m.right - m.left) * 3 / 4, upper.rcWork.top};
  }
  RECT Placed() const {
    RECT placed{};
    GetWindowRect(window, &placed);
    return placed;
  }
  static bool PlacedAs(const RECT& placed, const qv::Placement& want) {
    return placed.left == want.x && placed.top == want.y && placed.right - placed.left == want.width &&
           placed.bottom - placed.top == want.height;
  }

  MONITORINFO upper{};
};

TEST_F(Monitors, EachMonitorHasAnEdgeWhereNoMonitorLiesAboveAndThePopupStaysOnItsOwn) {
  Group("Apps", {"a.txt", "b.txt"});
  ASSERT_NO_FATAL_FAILURE(Start());
  const int primaryHalf = WorkArea().right / 2;
  EXPECT_EQ(strip.left, upper.rcMonitor.right) << "the primary's strip starts where the upper monitor ends";

  // Under the upper monitor the pointer runs on upwards: no edge there.
  MoveMouse((primaryHalf + upper.rcMonitor.right) / 2, 0);
  Pump(500);
  EXPECT_FALSE(Visible()) << "shown from the primary's top row under the upper monitor";

  // The primary's free part of the edge; up into the upper monitor hides it.
  ASSERT_TRUE(Show());
  EXPECT_TRUE(PlacedAs(Placed(), Expected({"Apps"}).window));
  EXPECT_TRUE(HiddenAfterMoveTo(upper.rcMonitor.right - 20, -20)) << "kept up over the upper monitor";

  // The upper monitor's edge: the popup hangs from there, laid out for it,
  // and works as on the primary.
  Rest();
  MoveTo(UpperEdge());
  ASSERT_TRUE(PumpUntil(5000, [this] { return Visible(); })) << "no popup from the upper monitor's edge";
  const qv::PopupLayout onUpper = ExpectedOn(upper.rcWork, upper.rcMonitor.left, {"Apps"});
  const RECT placed = Placed();
  EXPECT_TRUE(PlacedAs(placed, onUpper.window))
      << placed.left << "," << placed.top << " " << placed.right - placed.left << "x" << placed.bottom - placed.top;
  MoveTo(RowPoint(onUpper, 0));
  EXPECT_TRUE(PumpUntil(3000, [this] { return ListTexts(list) == std::vector<std::string>{"a", "b"}; }));
  // Down into the primary's right half, a stay zone of another monitor.
  EXPECT_TRUE(HiddenAfterMoveTo(primaryHalf + 20, 20)) << "kept up over the primary";

  // A film covering the upper monitor quiets its edge, not the primary's.
  {
    OwnWindow film("film", upper.rcMonitor, WS_POPUP);
    ShowWindow(film.hwnd(), SW_SHOW);
    SetForegroundWindow(film.hwnd());
    ASSERT_TRUE(PumpUntil(3000, [&] { return GetForegroundWindow() == film.hwnd(); }));
    Rest();
    MoveTo(UpperEdge());
    Pump(500);
    EXPECT_FALSE(Visible()) << "shown over the full-screen window on the upper monitor";
    EXPECT_TRUE(Show()) << "the primary's edge was quiet too";
    Rest();
    ASSERT_TRUE(PumpUntil(3000, [this] { return !Visible(); }));
  }

  // A new display layout remakes the zones at once.
  const RECT stripAsIs = hook.triggerStrip();
  hook.triggerStrip() = RECT{0, 0, 0, 0};
  SendMessageA(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  EXPECT_TRUE(EqualRect(&hook.triggerStrip(), &stripAsIs)) << "the zones did not follow the display";
}

}  // namespace
}  // namespace e2e
