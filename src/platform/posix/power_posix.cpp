#include "platform/power.h"
#include "platform/recording_power.h"

// There is no real power back-end on Linux: the Linux front-ends are for
// development and tests, and nothing there may sleep or switch off the host.
IPower& SystemPower() {
  static RecordingPower power;
  return power;
}
