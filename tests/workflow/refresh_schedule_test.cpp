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
    schedule.SetOn(true);
    schedule.Restart();
    for (int tick = 1; tick <= 11; ++tick) ASSERT_EQ(schedule.Tick(false), Verdict::Counted) << tick;
    EXPECT_EQ(schedule.Tick(true), Verdict::Counted);
    schedule.SetBlocked(true);
    EXPECT_EQ(schedule.Tick(false), Verdict::Counted);
    schedule.SetBlocked(false);
    EXPECT_EQ(schedule.Tick(false), Verdict::Due);
    EXPECT_FALSE(timer.IsActive());
    EXPECT_EQ(schedule.Count(), 0);
    schedule.SetOn(false);
    EXPECT_EQ(schedule.Tick(false), Verdict::Stopped);
}

}  // namespace
}  // namespace dezadav
