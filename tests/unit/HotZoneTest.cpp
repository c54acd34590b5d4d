#include "HotZone.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv {

// Found by argument-dependent lookup, so they live beside ZoneRect.
bool operator==(const ZoneRect& a, const ZoneRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
std::ostream& operator<<(std::ostream& os, const ZoneRect& r) {
  return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

TEST(HotZones, TaskBarAtTheBottom) {
  const HotZones z = ComputeHotZones({0, 0, 1024, 740}, 18);
  EXPECT_EQ(z.stay, (ZoneRect{512, 0, 1024, 740}));
  EXPECT_EQ(z.trigger, (ZoneRect{512, 0, 970, 1}));
}

TEST(HotZones, OddRightEdgeRoundsTheMiddleDown) {
  EXPECT_EQ(ComputeHotZones({0, 0, 1023, 740}, 18).stay.left, 511);
}

TEST(HotZones, TaskBarOnTheLeftDoesNotMoveTheZones) {
  const HotZones z = ComputeHotZones({60, 0, 1024, 768}, 18);
  EXPECT_EQ(z.stay.left, 512) << "not the work area's middle (542)";
  EXPECT_EQ(z.trigger.left, 512);
}

TEST(HotZones, TaskBarAtTheTopMovesTheStripDown) {
  const HotZones z = ComputeHotZones({0, 30, 1024, 768}, 18);
  EXPECT_EQ(z.trigger, (ZoneRect{512, 30, 970, 31}));
  EXPECT_EQ(z.stay.top, 30);
}

TEST(HotZones, NegativeRightEdgeTruncatesTowardZero) {
  // A work area left of the primary screen: -3 / 2 is -1, as C divides.
  EXPECT_EQ(ComputeHotZones({-1024, 0, -3, 740}, 18).stay.left, -1);
}

TEST(HotZones, PointTestExcludesRightAndBottom) {
  const ZoneRect r{10, 20, 30, 40};
  EXPECT_TRUE(Contains(r, {10, 20}));
  EXPECT_TRUE(Contains(r, {29, 39}));
  EXPECT_FALSE(Contains(r, {30, 20}));
  EXPECT_FALSE(Contains(r, {10, 40}));
  EXPECT_FALSE(Contains(r, {9, 25}));
  EXPECT_FALSE(Contains(ZoneRect{5, 5, 5, 6}, {5, 5})) << "an empty rectangle holds nothing";
}

// The decision table, with the 1024x740 work area.
class HookDecision : public ::testing::Test {
 protected:
  HookRequest Decide(ZonePoint pt, bool visible, bool registered = true, bool buttonDown = false) const {
    return DecideHookRequest(registered, buttonDown, pt, zones, visible);
  }
  const HotZones zones = ComputeHotZones({0, 0, 1024, 740}, 18);
};

TEST_F(HookDecision, HiddenWindowIsShownFromTheStripOnly) {
  EXPECT_EQ(Decide({512, 0}, false), HookRequest::kShow);
  EXPECT_EQ(Decide({969, 0}, false), HookRequest::kShow);
  EXPECT_EQ(Decide({970, 0}, false), HookRequest::kNone) << "title-bar buttons' corner";
  EXPECT_EQ(Decide({700, 1}, false), HookRequest::kNone) << "row below the strip";
  EXPECT_EQ(Decide({511, 0}, false), HookRequest::kNone) << "left half";
  EXPECT_EQ(Decide({511, 300}, false), HookRequest::kNone) << "outside, already hidden";
}

TEST_F(HookDecision, VisibleWindowIsHiddenOutsideTheStayZone) {
  EXPECT_EQ(Decide({511, 300}, true), HookRequest::kHide);
  EXPECT_EQ(Decide({700, 740}, true), HookRequest::kHide) << "task bar below the work area";
  EXPECT_EQ(Decide({1024, 0}, true), HookRequest::kHide) << "right of the work area";
  EXPECT_EQ(Decide({700, 739}, true), HookRequest::kNone);
  EXPECT_EQ(Decide({700, 0}, true), HookRequest::kNone) << "strip while visible";
}

TEST_F(HookDecision, HeldButtonOrNoWindowMeansNoRequest) {
  for (bool visible : {false, true}) {
    for (ZonePoint pt : {ZonePoint{700, 0}, ZonePoint{100, 300}, ZonePoint{700, 740}}) {
      EXPECT_EQ(Decide(pt, visible, true, true), HookRequest::kNone);
      EXPECT_EQ(Decide(pt, visible, false, false), HookRequest::kNone);
    }
  }
}

TEST(HookDecisionEmptyStrip, WideTitleButtonsNeverShowButStillHide) {
  // R - 3w <= h: the strip is empty.
  const HotZones zones = ComputeHotZones({0, 0, 1024, 740}, 171);
  for (int x = 0; x < 1024; ++x) {
    ASSERT_EQ(DecideHookRequest(true, false, {x, 0}, zones, false), HookRequest::kNone) << x;
  }
  EXPECT_EQ(DecideHookRequest(true, false, {100, 0}, zones, true), HookRequest::kHide);
}

// The live hook answers its questions with system calls; each must be
// asked only when its answer matters, in the documented order.
struct CountingProbe {
  bool registered = true, buttonDown = false, visible = false;
  ZonePoint pt{};
  std::string asked;
  bool Registered() {
    asked += 'r';
    return registered;
  }
  bool AnyButtonDown() {
    asked += 'b';
    return buttonDown;
  }
  ZonePoint Point() {
    asked += 'p';
    return pt;
  }
  bool WindowVisible() {
    asked += 'v';
    return visible;
  }
  bool Waiting() const { return false; }
};

TEST(HookProbe, AsksOnlyWhatTheDecisionNeeds) {
  const DesktopZones zones = SingleMonitorZones(ComputeHotZones({0, 0, 1024, 740}, 18));
  struct Case {
    CountingProbe probe;
    const char* asked;
  } cases[] = {
      {{false, false, false, {700, 0}, ""}, "r"},       // no window: nothing else
      {{true, true, false, {700, 0}, ""}, "rbp"},       // button down: no visibility query
      {{true, false, false, {700, 300}, ""}, "rbp"},    // stay zone, off the strip
      {{true, false, false, {700, 0}, ""}, "rbpv"},     // strip
      {{true, false, true, {100, 300}, ""}, "rbpv"},    // outside
  };
  for (Case& c : cases) {
    bool quiet = false;
    int32_t shown = -1;
    DecideHookRequest(c.probe, zones, shown, false, quiet);
    EXPECT_EQ(c.probe.asked, c.asked) << "at (" << c.probe.pt.x << ", " << c.probe.pt.y << ")";
  }
}

// A snap to the top edge ends with the button released in the strip; the
// strip wakes again only once the pointer has left it.
TEST(HookRelease, AButtonInTheStripQuietsItUntilThePointerLeaves) {
  const DesktopZones zones = SingleMonitorZones(ComputeHotZones({0, 0, 1024, 740}, 18));
  bool quiet = false;
  const auto event = [&](ZonePoint pt, bool held, bool buttonMessage = false) {
    KnownHookInputs in{true, held, false, pt, false};
    int32_t shown = -1;
    return DecideHookRequest(in, zones, shown, buttonMessage, quiet);
  };
  EXPECT_EQ(event({300, 200}, true), HookRequest::kNone);   // the drag starts outside the strip
  EXPECT_FALSE(quiet);
  EXPECT_EQ(event({700, 0}, true), HookRequest::kNone);     // dragged up to the edge
  EXPECT_EQ(event({700, 0}, false, true), HookRequest::kNone) << "the release";
  EXPECT_EQ(event({720, 0}, false), HookRequest::kNone) << "a move along the edge after the release";
  EXPECT_EQ(event({720, 1}, false), HookRequest::kNone);    // off the strip, in the stay zone
  EXPECT_FALSE(quiet);
  EXPECT_EQ(event({720, 0}, false), HookRequest::kShow) << "back at the edge";
  // A release alone, without a held button seen, quiets it too (a click on a
  // tab at the edge), and so does a press.
  EXPECT_EQ(event({730, 0}, false, true), HookRequest::kNone);
  EXPECT_EQ(event({740, 0}, false), HookRequest::kNone);
  EXPECT_EQ(event({300, 0}, false), HookRequest::kNone);    // left half: leaves the strip
  EXPECT_EQ(event({740, 0}, false), HookRequest::kShow);

  EXPECT_TRUE(IsButtonMessage(0x0202) && IsButtonMessage(0x00A2) && IsButtonMessage(0x020C));
  EXPECT_FALSE(IsButtonMessage(0x0200) || IsButtonMessage(0x00A0) || IsButtonMessage(0x020A));
}

// While the launcher waits out its delay, the pointer leaving the strip or a
// button ends the wait; a move along the strip asks again, which the
// launcher's wait ignores.
TEST(HookDelay, TheWaitEndsWhereTheTouchWouldCallNothing) {
  const DesktopZones zones = SingleMonitorZones(ComputeHotZones({0, 0, 1024, 740}, 18));
  const auto event = [&](ZonePoint pt, bool held, bool buttonMessage, bool waiting) {
    KnownHookInputs in{true, held, false, pt, waiting};
    bool quiet = false;
    int32_t shown = -1;
    return DecideHookRequest(in, zones, shown, buttonMessage, quiet);
  };
  EXPECT_EQ(event({720, 0}, false, false, true), HookRequest::kShow) << "along the strip";
  EXPECT_EQ(event({720, 1}, false, false, true), HookRequest::kCancel) << "off the strip, in the stay zone";
  EXPECT_EQ(event({720, 0}, true, false, true), HookRequest::kCancel) << "a button held";
  EXPECT_EQ(event({720, 0}, false, true, true), HookRequest::kCancel) << "a button released";
  EXPECT_EQ(event({720, 1}, false, false, false), HookRequest::kNone) << "no wait, nothing to end";
}

TEST(HotZones, TheStripStopsAtTheRealCaptionButtons) {
  // Windows 10 at 100%: SM_CXSIZE 36 keeps 108 free, the buttons take 138.
  const HotZones z = ComputeHotZones({0, 0, 1920, 1040}, 36);
  EXPECT_EQ(z.trigger.right, 1812);
  EXPECT_EQ(StripClearOfCaptionButtons(z.trigger, 1782), (ZoneRect{960, 0, 1782, 1}));
  EXPECT_EQ(StripClearOfCaptionButtons(z.trigger, 1900).right, 1812) << "narrower buttons keep the room";
}

// A program that draws its own title bar reports its own buttons only in
// its hit test; over them the strip calls nothing and sends nothing away.
TEST(HotZones, CaptionButtonsOfAnyProgramNeverCallThePopup) {
  for (uint32_t hit : {8u, 9u, 20u, 21u}) EXPECT_TRUE(IsCaptionButtonHit(hit)) << hit;
  for (uint32_t hit : {0u, 1u, 2u, 3u, 5u, 12u, 22u}) EXPECT_FALSE(IsCaptionButtonHit(hit)) << hit;

  const DesktopZones zones = SingleMonitorZones(ComputeHotZones({0, 0, 1024, 740}, 18));
  const auto decide = [&](ZonePoint pt, bool visible, bool overButton) {
    KnownHookInputs in{true, false, visible, pt, false};
    bool quiet = false;
    int32_t shown = -1;
    return DecideHookRequest(in, zones, shown, false, quiet, overButton);
  };
  EXPECT_EQ(decide({700, 0}, false, true), HookRequest::kNone);
  EXPECT_EQ(decide({700, 0}, true, true), HookRequest::kNone) << "still in the stay zone";
  EXPECT_EQ(decide({300, 0}, true, true), HookRequest::kHide) << "a button left of the stay zone";
  EXPECT_EQ(decide({700, 0}, false, false), HookRequest::kShow);
}


// Several monitors: each gets the primary's rules from its own left edge,
// and a top row under another monitor is no edge.
std::vector<ZoneRect> Strips(std::initializer_list<MonitorArea> monitors, int32_t of) {
  const std::vector<MonitorArea> list(monitors);
  DesktopZones zones{};
  ComputeDesktopZones(list.data(), static_cast<int32_t>(list.size()), zones);
  std::vector<ZoneRect> strips;
  for (int32_t i = 0; i < zones.count; ++i)
    if (zones.piece[i].monitor == of) strips.push_back(zones.piece[i].zones.trigger);
  return strips;
}

constexpr MonitorArea kPrimary{{0, 0, 1024, 768}, {0, 0, 1024, 740}, 18};

TEST(DesktopZones, AMonitorAboveTakesTheRowUnderItAndHasAnEdgeOfItsOwn) {
  const MonitorArea upper{{-512, -800, 768, 0}, {-512, -800, 768, 0}, 18};
  EXPECT_EQ(Strips({kPrimary, upper}, 0), (std::vector<ZoneRect>{{768, 0, 970, 1}}));
  EXPECT_EQ(Strips({kPrimary, upper}, 1), (std::vector<ZoneRect>{{128, -800, 714, -799}}))
      << "the right half measured from the monitor's own left edge";
  EXPECT_EQ(ComputeMonitorHotZones(upper).stay, (ZoneRect{128, -800, 768, 0}));
  // One in the middle of the strip cuts it in two; one that overlaps the
  // primary's top rows covers the row above them all the same.
  EXPECT_EQ(Strips({kPrimary, {{600, -600, 900, 0}, {600, -600, 900, 0}, 18}}, 0),
            (std::vector<ZoneRect>{{512, 0, 600, 1}, {900, 0, 970, 1}}));
  EXPECT_EQ(Strips({kPrimary, {{700, -300, 1300, 100}, {700, -300, 1300, 100}, 18}}, 0),
            (std::vector<ZoneRect>{{512, 0, 700, 1}}));
  EXPECT_TRUE(Strips({kPrimary, {{0, -768, 1024, 0}, {0, -768, 1024, 0}, 18}}, 0).empty());
}

TEST(DesktopZones, MonitorsBesideThePrimaryKeepEveryEdge) {
  const MonitorArea left{{-1280, 0, 0, 1024}, {-1280, 0, 0, 984}, 18};
  EXPECT_EQ(Strips({kPrimary, left}, 1), (std::vector<ZoneRect>{{-640, 0, -54, 1}}));
  EXPECT_EQ(Strips({kPrimary, left}, 0), (std::vector<ZoneRect>{{512, 0, 970, 1}}));
  // Taller and higher on the right: beside the primary's top row, not above it.
  const MonitorArea right{{1024, -200, 2944, 880}, {1024, -200, 2944, 840}, 24};
  EXPECT_EQ(Strips({kPrimary, right}, 1), (std::vector<ZoneRect>{{1984, -200, 2872, -199}}));
  EXPECT_EQ(Strips({kPrimary, right}, 0), (std::vector<ZoneRect>{{512, 0, 970, 1}}));
}

TEST(DesktopZones, ThePopupHidesWhenThePointerCrossesToAnotherMonitor) {
  const MonitorArea monitors[] = {kPrimary, {{-512, -800, 768, 0}, {-512, -800, 768, 0}, 18}};
  DesktopZones zones{};
  ComputeDesktopZones(monitors, 2, zones);
  int32_t shown = -1;
  bool quiet = false;
  const auto event = [&](ZonePoint pt, bool visible) {
    KnownHookInputs in{true, false, visible, pt, false};
    return DecideHookRequest(in, zones, shown, false, quiet);
  };
  EXPECT_EQ(event({600, 0}, false), HookRequest::kNone) << "under the upper monitor";
  EXPECT_EQ(event({600, -800}, false), HookRequest::kShow);
  EXPECT_EQ(zones.piece[shown].monitor, 1);
  EXPECT_EQ(event({600, -1}, true), HookRequest::kNone);
  EXPECT_EQ(event({600, 10}, true), HookRequest::kHide) << "down into the primary's right half";
  EXPECT_EQ(event({800, 0}, false), HookRequest::kShow);
  EXPECT_EQ(zones.piece[shown].monitor, 0);
  EXPECT_EQ(event({700, -1}, true), HookRequest::kHide) << "up into the upper monitor's right half";
}

}  // namespace
}  // namespace qv
