#include "EdgeRule.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qv {
namespace {

FrontProcess Ordinary() {
  FrontProcess front;
  front.window = true;
  front.modulesRead = true;
  front.hookLoaded = true;
  return front;
}

TEST(EdgeRule, ThePointerIsWatchedOnlyWhereTheHookCannotRun) {
  EXPECT_EQ(DecidePointerWatch(Ordinary()), PointerWatch::kNone);
  FrontProcess none;
  EXPECT_EQ(DecidePointerWatch(none), PointerWatch::kNone) << "nothing in front (a secure desktop)";

  // An administrator's window: the system refuses messages and the hook,
  // and hides its module list; what a list seen earlier said does not count.
  FrontProcess elevated = Ordinary();
  elevated.messagesRefused = true;
  EXPECT_EQ(DecidePointerWatch(elevated), PointerWatch::kWatch);
  elevated = Ordinary();
  elevated.higherLevel = true;
  EXPECT_EQ(DecidePointerWatch(elevated), PointerWatch::kWatch);

  FrontProcess unread = Ordinary();
  unread.modulesRead = false;
  unread.hookLoaded = false;
  EXPECT_EQ(DecidePointerWatch(unread), PointerWatch::kRecheck);

  // Not loaded (yet): watched, and looked at again.
  FrontProcess fresh = Ordinary();
  fresh.hookLoaded = false;
  EXPECT_EQ(DecidePointerWatch(fresh), PointerWatch::kRecheck);
  // The launcher's own windows and its companion's run the hook or need
  // none, whatever else is said of them.
  fresh.ownProcess = true;
  fresh.messagesRefused = true;
  EXPECT_EQ(DecidePointerWatch(fresh), PointerWatch::kNone);
}

TEST(EdgeRule, TheTipNamesTheWorstStateAndFitsTheOldestShells) {
  EdgeStatus s;
  s.hookInstalled = true;
  EXPECT_STREQ(EdgeTip(s), "Quorvel! - ready");
  s.companionNeeded = true;
  EXPECT_STREQ(EdgeTip(s), "Quorvel! - ready (the 32-bit helper is not running)");
  s.watching = true;
  EXPECT_STREQ(EdgeTip(s), "Quorvel! - ready (watching the pointer over this window)");
  s.hookAnswering = false;
  EXPECT_STREQ(EdgeTip(s), "Quorvel! - the top edge is being armed again");
  s.hookInstalled = false;
  EXPECT_STREQ(EdgeTip(s), "Quorvel! - the top edge is not armed; restart Quorvel!");
  // Every state, each under the first notification area's 63 characters.
  for (int bits = 0; bits < 32; ++bits) {
    const EdgeStatus any{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0, (bits & 16) != 0};
    EXPECT_LE(std::strlen(EdgeTip(any)), 63u) << EdgeTip(any);
  }
}

}  // namespace
}  // namespace qv
