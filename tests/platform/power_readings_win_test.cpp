// The Windows readings, read for real (reading changes nothing). What the
// system answers is printed, as it differs between Windows and Wine; the
// checks are the ones that hold on both.
#include "platform/power_readings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

const char* Name(WakeTimerPolicy p) {
  switch (p) {
    case WakeTimerPolicy::kDisabled: return "disabled";
    case WakeTimerPolicy::kEnabled: return "enabled";
    case WakeTimerPolicy::kImportantOnly: return "important only";
    case WakeTimerPolicy::kUnknown: break;
  }
  return "unknown";
}

TEST(Win32PowerReadings, ReadsWhatTheSystemAnswers) {
  const PowerReadings r = SystemPowerReadings().Read();
  std::printf("wake timers: mains %s, battery %s (scheme error %u)\n", Name(r.wakeTimersAc),
              Name(r.wakeTimersDc), static_cast<unsigned>(r.schemeError));
  std::printf("capabilities read %d (error %u): S1 %d S2 %d S3 %d S4 %d hiberfile %d AoAc %d\n",
              r.capabilitiesRead, static_cast<unsigned>(r.capabilitiesError), r.standbyS1,
              r.standbyS2, r.standbyS3, r.hibernateS4, r.hiberFilePresent, r.modernStandby);
  std::printf("source %d, battery %d\n", static_cast<int>(r.source), r.hasBattery);

  // A value that was not read carries the reason.
  if (r.wakeTimersAc == WakeTimerPolicy::kUnknown || r.wakeTimersDc == WakeTimerPolicy::kUnknown)
    EXPECT_NE(r.schemeError, 0u);
  else
    EXPECT_EQ(r.schemeError, 0u);
  if (r.capabilitiesRead)
    EXPECT_EQ(r.capabilitiesError, 0u);
  else
    EXPECT_FALSE(r.CanStandby() || r.CanHibernate());
  // The same machine reads the same twice.
  const PowerReadings again = SystemPowerReadings().Read();
  EXPECT_EQ(again.wakeTimersAc, r.wakeTimersAc);
  EXPECT_EQ(again.CanStandby(), r.CanStandby());
  EXPECT_EQ(again.CanHibernate(), r.CanHibernate());
}

}  // namespace
