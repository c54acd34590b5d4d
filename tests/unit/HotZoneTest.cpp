#include "HotZone.h"

#include <gtest/gtest.h>

#include <string>

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
  std::string asked;
  bool Registered() {
    asked += 'r';
    return registered;
  }
  bool AnyButtonDown() {
    asked += 'b';
    return buttonDown;
  }
  bool WindowVisible() {
    asked += 'v';
    return visible;
  }
};

TEST(HookProbe, AsksOnlyWhatTheDecisionNeeds) {
  const HotZones zones = ComputeHotZones({0, 0, 1024, 740}, 18);
  struct Case {
    CountingProbe probe;
    ZonePoint pt;
    const char* asked;
  } cases[] = {
      {{false, false, false, ""}, {700, 0}, "r"},          // no window: nothing else
      {{true, true, false, ""}, {700, 0}, "rb"},           // button down: no visibility query
      {{true, false, false, ""}, {700, 300}, "rb"},        // stay zone, off the strip
      {{true, false, false, ""}, {700, 0}, "rbv"},         // strip
      {{true, false, true, ""}, {100, 300}, "rbv"},        // outside
  };
  for (Case& c : cases) {
    DecideHookRequest(c.probe, c.pt, zones);
    EXPECT_EQ(c.probe.asked, c.asked) << "at (" << c.pt.x << ", " << c.pt.y << ")";
  }
}

}  // namespace
}  // namespace qv
