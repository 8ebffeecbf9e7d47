#include "platform/power_readings.h"

// Linux has no power back-end (see power_posix.cpp): nothing is read, and the
// readiness check says so instead of guessing.
std::unique_ptr<IPowerReadings> MakeSystemPowerReadings(CDebugLog&) {
  PowerReadings r;
  r.schemeCause = SystemCause::kNotSupported;
  r.capabilitiesCause = SystemCause::kNotSupported;
  return std::make_unique<FixedPowerReadings>(r);
}
