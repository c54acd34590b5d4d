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
};

TEST(HookProbe, AsksOnlyWhatTheDecisionNeeds) {
  const HotZones zones = ComputeHotZones({0, 0, 1024, 740}, 18);
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
    DecideHookRequest(c.probe, zones, false, quiet);
    EXPECT_EQ(c.probe.asked, c.asked) << "at (" << c.probe.pt.x << ", " << c.probe.pt.y << ")";
  }
}

// A snap to the top edge ends with the button released in the strip; the
// strip wakes again only once the pointer has left it.
TEST(HookRelease, AButtonInTheStripQuietsItUntilThePointerLeaves) {
  const HotZones zones = ComputeHotZones({0, 0, 1024, 740}, 18);
  bool quiet = false;
  const auto event = [&](ZonePoint pt, bool held, bool buttonMessage = false) {
    KnownHookInputs in{true, held, false, pt};
    return DecideHookRequest(in, zones, buttonMessage, quiet);
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

TEST(HotZones, AThreadSeesPhysicalPointsWhenItsScaleIsTheMonitors) {
  EXPECT_TRUE(MessagePointIsPhysical(2, 96, 144)) << "per-monitor aware: always";
  EXPECT_TRUE(MessagePointIsPhysical(0, 96, 96)) << "unaware at 100%";
  EXPECT_FALSE(MessagePointIsPhysical(0, 96, 144)) << "unaware at 150%: scaled down";
  EXPECT_TRUE(MessagePointIsPhysical(1, 144, 144)) << "system-aware at its log-on scale";
  EXPECT_FALSE(MessagePointIsPhysical(1, 144, 96)) << "system-aware after a change to 100%";
  EXPECT_FALSE(MessagePointIsPhysical(-1, 0, 96)) << "not known";
  EXPECT_FALSE(MessagePointIsPhysical(1, 0, 0));
}

TEST(HotZones, TheStripStopsAtTheRealCaptionButtons) {
  // Windows 10 at 100%: SM_CXSIZE 36 keeps 108 free, the buttons take 138.
  const HotZones z = ComputeHotZones({0, 0, 1920, 1040}, 36);
  EXPECT_EQ(z.trigger.right, 1812);
  EXPECT_EQ(StripClearOfCaptionButtons(z.trigger, 1782), (ZoneRect{960, 0, 1782, 1}));
  EXPECT_EQ(StripClearOfCaptionButtons(z.trigger, 1900).right, 1812) << "narrower buttons keep the room";
}

}  // namespace
}  // namespace qv
