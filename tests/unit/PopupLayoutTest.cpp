#include "PopupLayout.h"

#include <gtest/gtest.h>

#include "HotZone.h"

namespace qv {
namespace {

// The popup on a monitor whose left edge is `monitorLeft`, from the stay
// zone the hook computes there.
PopupLayoutInput Input(Box work, std::vector<int> names = {}, int textHeight = 16, int monitorLeft = 0) {
  PopupLayoutInput in;
  in.workArea = work;
  const ZoneRect zone{work.left, work.top, work.right, work.bottom};
  const MonitorArea area{ZoneRect{monitorLeft, 0, work.right, work.bottom}, zone, 18};
  in.stayLeft = ComputeMonitorHotZones(area).stay.left;
  in.okWidth = 75;
  in.okHeight = 23;
  in.nameWidths = std::move(names);
  in.textHeight = in.nameWidths.empty() ? 0 : textHeight;
  return in;
}

TEST(PopupLayout, HangsFromTheTopOverTheRightHalfOfTheWorkArea) {
  const PopupLayout bottomBar = ComputePopupLayout(Input(Box{0, 0, 1024, 740}));
  EXPECT_EQ(bottomBar.window, (Placement{491, 0, 532, 739}));

  // A task bar on the left moves the popup with the stay zone, which starts
  // at half the right edge: the rows stay inside it, and the popup still
  // reaches the work area's right edge.
  const Box leftWork{60, 0, 1024, 768};
  const PopupLayout leftBar = ComputePopupLayout(Input(leftWork, {40}));
  EXPECT_EQ(leftBar.window, (Placement{491, 0, 532, 767}));
  const ZoneRect leftZone{leftWork.left, leftWork.top, leftWork.right, leftWork.bottom};
  EXPECT_EQ(leftBar.window.x + leftBar.rows[0].left, ComputeHotZones(leftZone, 18).stay.left + 1);
  // Under a bar at the top the popup hangs from the bar's lower edge, so its
  // first row lies in the stay zone, which starts there too.
  const PopupLayout topBar = ComputePopupLayout(Input(Box{0, 30, 1024, 768}));
  EXPECT_EQ(topBar.window, (Placement{491, 30, 532, 737}));
  EXPECT_EQ(topBar.rows.empty() ? 0 : topBar.rows[0].top, 0) << "rows are in client coordinates";

  // An odd width drops the half pixel.
  EXPECT_EQ(ComputePopupLayout(Input(Box{0, 0, 801, 600})).window.x, 379);

  // Another monitor is laid out as the primary from its own left edge.
  const PopupLayoutInput upper = Input(Box{-512, -800, 768, 0}, {}, 16, -512);
  EXPECT_EQ(ComputePopupLayout(upper).window, (Placement{-512 + 619, -800, 660, 799}));
}

TEST(PopupLayout, EmptyGroupListStillGetsItsButtons) {
  const PopupLayout out = ComputePopupLayout(Input(Box{0, 0, 1024, 740}));
  EXPECT_EQ(out.columnWidth, 155);
  EXPECT_TRUE(out.rows.empty());
  EXPECT_EQ(out.groupArea, (Box{0, 0, 177, 0}));
  EXPECT_EQ(out.setup, (Placement{22, 689, 78, 23}));
  EXPECT_EQ(out.refresh, (Placement{101, 689, 78, 23}));
  EXPECT_EQ(out.about, (Placement{22, 712, 78, 23}));
  EXPECT_EQ(out.exit, (Placement{101, 712, 78, 23}));
  EXPECT_EQ(out.list, (Placement{178, 0, 354, 740}));
}

TEST(PopupLayout, AWideNameWidensColumnButtonsAndListStartAlike) {
  const Box work{0, 0, 1024, 740};
  const PopupLayout narrow = ComputePopupLayout(Input(work, {40, 150}));
  const PopupLayout wide = ComputePopupLayout(Input(work, {40, 250, 100}));
  EXPECT_EQ(narrow.columnWidth, 155) << "names narrower than two buttons keep the button width";
  EXPECT_EQ(wide.columnWidth, 255);
  EXPECT_EQ(wide.refresh.x - narrow.refresh.x, 50);
  EXPECT_EQ(wide.refresh.width - narrow.refresh.width, 50);
  EXPECT_EQ(wide.list.x - narrow.list.x, 100);
  EXPECT_EQ(wide.list.x + wide.list.width, narrow.list.x + narrow.list.width);
  EXPECT_EQ(wide.window, narrow.window);
  EXPECT_EQ(wide.rows[1], (Box{22, 26, 277, 52}));
}

TEST(PopupLayout, RowsStopAboveTheLowerButtonRow) {
  // The lower buttons start at 740 - 25 - 5 = 710; rows are 71 high, so the
  // tenth would end exactly there and gets none, nor does any after it.
  PopupLayoutInput in = Input(Box{0, 0, 1024, 740}, std::vector<int>(12, 30), 61);
  in.okHeight = 25;
  const PopupLayout out = ComputePopupLayout(in);
  ASSERT_EQ(out.rows.size(), 12u);
  EXPECT_EQ(out.rows[8], (Box{22, 568, 177, 639}));
  for (std::size_t i = 9; i < 12; ++i) EXPECT_FALSE(out.rows[i].HasRow()) << i;
  EXPECT_EQ(out.groupArea, (Box{0, 0, 177, 639}));

  // One pixel less and the tenth fits.
  in.workArea.bottom = 741;
  EXPECT_TRUE(ComputePopupLayout(in).rows[9].HasRow());
}

TEST(PopupLayout, PointsFindTheFirstRowThatHoldsThem) {
  const PopupLayout out = ComputePopupLayout(Input(Box{0, 0, 1024, 740}, {40, 40, 40}));
  EXPECT_EQ(GroupRowAt(out, 22, 0), 0);
  EXPECT_EQ(GroupRowAt(out, 176, 25), 0);
  EXPECT_EQ(GroupRowAt(out, 30, 26), 1) << "a row's bottom edge belongs to the next";
  EXPECT_EQ(GroupRowAt(out, 30, 77), 2);
  EXPECT_EQ(GroupRowAt(out, 30, 78), -1) << "below the last row";
  EXPECT_EQ(GroupRowAt(out, 10, 30), -1) << "the strip";
  EXPECT_EQ(GroupRowAt(out, 177, 30), -1) << "the list's side";

  PopupLayout none = out;
  none.rows[1].left = -1;
  EXPECT_EQ(GroupRowAt(none, 30, 30), -1);
}

TEST(HoverModel, AGroupIsFramedAtOnceAndDisplayedWhenTheTimerRunsOut) {
  HoverModel hover;
  EXPECT_FALSE(hover.PointerOnRow(-1).Changed()) << "off the rows nothing changes";
  HoverModel::Step step = hover.PointerOnRow(0);
  EXPECT_EQ(step.unframe, -1);
  EXPECT_EQ(step.frame, 0);
  EXPECT_TRUE(step.startTimer);
  EXPECT_FALSE(hover.PointerOnRow(0).Changed()) << "the same row keeps the timer running";
  EXPECT_FALSE(hover.PointerOnRow(-1).Changed()) << "leaving the rows keeps the frame";
  EXPECT_EQ(hover.displayed(), -1);
  EXPECT_EQ(hover.TimerExpired(), 0);

  step = hover.PointerOnRow(2);
  EXPECT_EQ(step.unframe, 0);
  EXPECT_EQ(step.frame, 2);
  EXPECT_EQ(hover.displayed(), 0) << "the list changes only when the timer runs out";

  hover.Reset();
  EXPECT_EQ(hover.hovered(), -1);
  EXPECT_EQ(hover.displayed(), -1);
}

TEST(HoverModel, SweepingAcrossAnotherRowIntoTheListKeepsTheDisplayedGroup) {
  HoverModel hover;
  EXPECT_FALSE(hover.PointerOnList().Changed()) << "nothing displayed yet";
  hover.PointerOnRow(0);
  EXPECT_FALSE(hover.PointerOnList().Changed()) << "a pending first group is not cancelled";
  hover.TimerExpired();
  hover.PointerOnRow(1);
  const HoverModel::Step back = hover.PointerOnList();
  EXPECT_EQ(back.unframe, 1);
  EXPECT_EQ(back.frame, 0);
  EXPECT_TRUE(back.stopTimer);
  EXPECT_EQ(hover.hovered(), 0);
  EXPECT_EQ(hover.displayed(), 0);
  EXPECT_FALSE(hover.PointerOnList().Changed());
}

TEST(LaunchRule, DialUpShortcutsAreFoundAnywhereInAnyCase) {
  EXPECT_TRUE(IsDialUpShortcut("C:\\Q\\Net\\Office.RNK"));
  EXPECT_TRUE(IsDialUpShortcut("C:\\Q\\Net\\office.rNk"));
  EXPECT_TRUE(IsDialUpShortcut("C:\\Q\\Old.Rnk files\\Office.lnk")) << "inside a folder name too";
  EXPECT_TRUE(IsDialUpShortcut(".rnk"));
  EXPECT_FALSE(IsDialUpShortcut("C:\\Q\\Net\\Office.lnk"));
  EXPECT_FALSE(IsDialUpShortcut("C:\\Q\\RNK\\Office_rnk.lnk"));
  EXPECT_FALSE(IsDialUpShortcut(".RN"));
  EXPECT_FALSE(IsDialUpShortcut(""));
}

}  // namespace
}  // namespace qv
