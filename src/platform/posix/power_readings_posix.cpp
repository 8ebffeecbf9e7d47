#include "platform/power.h"
#include "platform/power_readings.h"

// Linux has no power back-end (see power_posix.cpp): nothing is read, and the
// readiness check says so instead of guessing.
IPowerReadings& SystemPowerReadings() {
  static FixedPowerReadings readings([] {
    PowerReadings r;
    r.schemeError = kErrorNotSupported;
    r.capabilitiesError = kErrorNotSupported;
    return r;
  }());
  return readings;
}
