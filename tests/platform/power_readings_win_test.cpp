// The Windows readings, read for real (reading changes nothing). What the
// system answers is printed, as it differs between Windows and Wine; the
// checks are the ones that hold on both.
#include "platform/power_readings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "platform/debug_log.h"

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
  CDebugLog log;
  const std::unique_ptr<IPowerReadings> readings = MakeSystemPowerReadings(log);
  const PowerReadings r = readings->Read();
  std::printf("wake timers: mains %s, battery %s (scheme: %s)\n", Name(r.wakeTimersAc),
              Name(r.wakeTimersDc), SystemCauseText(r.schemeCause));
  std::printf("capabilities read %d (%s): S1 %d S2 %d S3 %d S4 %d hiberfile %d AoAc %d\n",
              r.capabilitiesRead, SystemCauseText(r.capabilitiesCause), r.standbyS1,
              r.standbyS2, r.standbyS3, r.hibernateS4, r.hiberFilePresent, r.modernStandby);
  std::printf("source %d, battery %d\n", static_cast<int>(r.source), r.hasBattery);

  // A value that was not read carries the reason.
  if (r.wakeTimersAc == WakeTimerPolicy::kUnknown || r.wakeTimersDc == WakeTimerPolicy::kUnknown)
    EXPECT_NE(r.schemeCause, SystemCause::kNone);
  else
    EXPECT_EQ(r.schemeCause, SystemCause::kNone);
  if (r.capabilitiesRead)
    EXPECT_EQ(r.capabilitiesCause, SystemCause::kNone);
  else
    EXPECT_FALSE(r.CanStandby() || r.CanHibernate());
  // The same machine reads the same twice.
  const PowerReadings again = readings->Read();
  EXPECT_EQ(again.wakeTimersAc, r.wakeTimersAc);
  EXPECT_EQ(again.CanStandby(), r.CanStandby());
  EXPECT_EQ(again.CanHibernate(), r.CanHibernate());
}

}  // namespace
