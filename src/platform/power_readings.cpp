#include "platform/power_readings.h"

WakeTimerPolicy WakeTimerPolicyFromValue(uint32_t value) {
  switch (value) {
    case 0:
      return WakeTimerPolicy::kDisabled;
    case 1:
      return WakeTimerPolicy::kEnabled;
    case 2:
      return WakeTimerPolicy::kImportantOnly;
    default:
      return WakeTimerPolicy::kUnknown;
  }
}
