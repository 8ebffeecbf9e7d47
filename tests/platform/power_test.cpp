// The wake time as the system's timers take it, and the recording power
// service's answers that the engine tests rely on.
#include "platform/power.h"

#include <gtest/gtest.h>

#include "platform/recording_power.h"
#include "schedule/time_rules.h"
#include "support/fakes.h"

namespace {

TEST(Power, LocalWakeTimeBecomesAnAbsoluteUtcFileTime) {
  EXPECT_EQ(CalendarSecondsToFileTime(0), 116444736000000000LL);
  // 09:00 in Japan is midnight UTC.
  EXPECT_EQ(CalendarSecondsToFileTime(TimeToSeconds(MakeSystemTime(2024, 1, 1, 9, 0, 0))),
            133485408000000000LL);
}

TEST(RecordingPower, NameCollisionAndCancel) {
  RecordingPower p;
  uint32_t error = 99;
  ASSERT_TRUE(p.OpenWakeTimer("t", &error));
  EXPECT_EQ(error, 0u);
  ASSERT_TRUE(p.ArmWakeTimer(100, &error));
  ASSERT_TRUE(p.OpenWakeTimer("t", &error));
  EXPECT_EQ(error, kErrorAlreadyExists);
  EXPECT_EQ(p.ArmedAt(), 100);
  EXPECT_TRUE(p.CancelWakeTimer());
  EXPECT_FALSE(p.CancelWakeTimer());
  // Unnamed timers never collide.
  ASSERT_TRUE(p.OpenWakeTimer("", &error));
  ASSERT_TRUE(p.OpenWakeTimer("", &error));
  EXPECT_EQ(error, 0u);
}

}  // namespace
