#include "workflow/refresh_schedule.h"

#include <gtest/gtest.h>

#include "support/scripted_user_port.h"

namespace dezadav {
namespace {

using Verdict = RefreshSchedule::TickVerdict;

TEST(RefreshScheduleTest, DueOnTheTickAfterTheIntervalUnlessBlockedOrHeldOff) {
    testing::ManualTickTimer timer;
    RefreshSchedule schedule(timer);
    schedule.SetIntervalSeconds(10);
    EXPECT_EQ(schedule.Tick(false), Verdict::Stopped);
    EXPECT_FALSE(timer.IsActive());

    schedule.SetOn(true);
    schedule.Restart();
    EXPECT_EQ(timer.PeriodMs(), kRefreshTickMs);
    for (int tick = 1; tick <= 11; ++tick) ASSERT_EQ(schedule.Tick(false), Verdict::Counted) << tick;
    // Held off or blocked, a due refresh waits and the ticks go on counting.
    EXPECT_EQ(schedule.Tick(true), Verdict::Counted);
    schedule.SetBlocked(true);
    EXPECT_EQ(schedule.Tick(false), Verdict::Counted);
    EXPECT_EQ(schedule.Count(), 13);
    schedule.SetBlocked(false);
    EXPECT_EQ(schedule.Tick(false), Verdict::Due);
    EXPECT_FALSE(timer.IsActive());
    EXPECT_EQ(schedule.Count(), 0);
    schedule.Resume();
    EXPECT_TRUE(timer.IsActive());

    schedule.SetOn(false);
    schedule.StartIfOn();
    EXPECT_EQ(schedule.Tick(false), Verdict::Stopped);
    EXPECT_FALSE(timer.IsActive());
}

}  // namespace
}  // namespace dezadav
