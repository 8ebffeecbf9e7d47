// The wake time as the system's timers take it, and the recording power
// service's answers that the engine tests rely on.
#include "platform/power.h"

#include <gtest/gtest.h>

#include "platform/recording_power.h"

namespace {

TEST(Power, LocalWakeTimeBecomesAnAbsoluteUtcFileTime) {
  EXPECT_EQ(CalendarSecondsToFileTime(0), 116444736000000000LL);
  // 2024-01-01 00:00 UTC (09:00 in Japan).
  EXPECT_EQ(CalendarSecondsToFileTime(1704067200), 133485408000000000LL);
}

TEST(RecordingPower, NameCollisionAndCancel) {
  RecordingPower p;
  SystemError error;
  ASSERT_TRUE(p.OpenWakeTimer("t", &error));
  EXPECT_EQ(error.cause, SystemCause::kNone);
  ASSERT_TRUE(p.ArmWakeTimer(100, "", &error));
  EXPECT_FALSE(p.OpenWakeTimer("t", &error));  // exists: not taken, ours stays armed
  EXPECT_EQ(error.cause, SystemCause::kAlreadyExists);
  EXPECT_EQ(p.ArmedAt(), 100);
  EXPECT_TRUE(p.CancelWakeTimer());
  EXPECT_FALSE(p.CancelWakeTimer());
  // Unnamed timers never collide.
  ASSERT_TRUE(p.OpenWakeTimer("", &error));
  ASSERT_TRUE(p.OpenWakeTimer("", &error));
  EXPECT_EQ(error.cause, SystemCause::kNone);
}

}  // namespace
