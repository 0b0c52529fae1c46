#include "platform/tick_schedule.h"

#include <gtest/gtest.h>

namespace keldar {
namespace {

constexpr uint64_t kStart = 1'000'000;

TEST(TickSchedule, TheFirstPointIsOnePeriodAfterTheStartAndTheWaitRoundsUp) {
  TickSchedule tick;
  EXPECT_EQ(tick.waitMs(kStart), -1);
  tick.start(50, 7, kStart);
  EXPECT_EQ(tick.id(), 7);
  EXPECT_EQ(tick.waitMs(kStart), 50);
  EXPECT_EQ(tick.waitMs(kStart + 49'001), 1);
  EXPECT_FALSE(tick.due(kStart + 49'999));
  EXPECT_TRUE(tick.reached(kStart + 50'000));
  EXPECT_EQ(tick.waitMs(kStart + 50'000), 0);
  EXPECT_TRUE(tick.due(kStart + 50'000));
  EXPECT_FALSE(tick.due(kStart + 50'000));
  EXPECT_EQ(tick.waitMs(kStart + 50'000), 50);
}

TEST(TickSchedule, PointsMissedMergeIntoOneTickAndTheRhythmStays) {
  TickSchedule tick;
  tick.start(50, 1, kStart);
  // A phrase held the handler for 180 ms: points at 50, 100 and 150 passed.
  EXPECT_TRUE(tick.due(kStart + 180'000));
  EXPECT_FALSE(tick.due(kStart + 180'000));
  EXPECT_EQ(tick.waitMs(kStart + 180'000), 20);
  EXPECT_TRUE(tick.due(kStart + 200'000));
}

TEST(TickSchedule, OnlyItsOwnIdStopsItAndAPeriodOfNoneStartsNothing) {
  TickSchedule tick;
  tick.start(0, 1, kStart);
  EXPECT_FALSE(tick.running());
  tick.start(50, 1, kStart);
  tick.start(-5, 2, kStart);
  EXPECT_EQ(tick.id(), 1);
  tick.stop(2);
  EXPECT_TRUE(tick.running());
  tick.stop(1);
  EXPECT_FALSE(tick.running());
  EXPECT_FALSE(tick.due(kStart + 60'000));
  EXPECT_EQ(tick.waitMs(kStart + 60'000), -1);
}

}  // namespace
}  // namespace keldar
