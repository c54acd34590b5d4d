#include <gtest/gtest.h>

#include "EdgePause.h"

namespace qv {
namespace {

constexpr std::uint64_t kStart = 133000000000000000ULL;  // a day in 2022

TEST(EdgePause, AnHourEndsAtItsTimeAndTheTipCountsTheMinutesDown) {
  EdgePause pause;
  EXPECT_FALSE(pause.Update(kStart));
  EXPECT_EQ(PauseTip(pause, kStart), "");

  pause.For(kStart, kClockHour);
  EXPECT_TRUE(pause.Update(kStart));
  EXPECT_EQ(PauseTip(pause, kStart), "Quorvel! - paused, 60 minutes left");
  EXPECT_EQ(pause.MillisecondsToNextMinute(kStart), 60000u);
  // A second into it: still sixty begun, and 59 s until the count changes.
  EXPECT_EQ(pause.MinutesLeft(kStart + 10000000), 60u);
  EXPECT_EQ(pause.MillisecondsToNextMinute(kStart + 10000000), 59000u);
  EXPECT_EQ(PauseTip(pause, kStart + 59 * kClockMinute + 1), "Quorvel! - paused, 1 minute left");

  // Woken from a sleep past its end: over at the first look.
  EXPECT_FALSE(pause.Update(kStart + 3 * kClockHour));
  EXPECT_FALSE(pause.paused());
  EXPECT_EQ(pause.MillisecondsToNextMinute(kStart + 3 * kClockHour), 0u);
}

TEST(EdgePause, AClockSetBackNeverLengthensIt) {
  EdgePause pause;
  pause.For(kStart, kClockHour);
  // Ten minutes in, the clock goes back a day: an hour at most is left.
  EXPECT_TRUE(pause.Update(kStart + 10 * kClockMinute - 24 * kClockHour));
  EXPECT_EQ(pause.MinutesLeft(kStart - 24 * kClockHour + 10 * kClockMinute), 60u);
  EXPECT_FALSE(pause.Update(kStart - 24 * kClockHour + 11 * kClockMinute + kClockHour));
}

TEST(EdgePause, UntilResumedHasNoEndAndResumeEndsEither) {
  EdgePause pause;
  pause.UntilResumed();
  EXPECT_TRUE(pause.Update(kStart + 1000 * kClockHour));
  EXPECT_EQ(PauseTip(pause, kStart), "Quorvel! - paused until you resume");
  EXPECT_EQ(pause.MillisecondsToNextMinute(kStart), 0u);
  pause.Resume();
  EXPECT_FALSE(pause.Update(kStart));

  // A new choice replaces the last one.
  pause.UntilResumed();
  pause.For(kStart, kClockHour);
  EXPECT_FALSE(pause.untilResumed());
  EXPECT_FALSE(pause.Update(kStart + kClockHour));
}

}  // namespace
}  // namespace qv
