#pragma once
// The sleep state the user chose for the PC between schedules.

enum class SleepMode {
  kStandby,
  kHibernate,
};

// Its name in the debug log.
inline const char* SleepModeName(SleepMode mode) {
  return mode == SleepMode::kHibernate ? "hibernation" : "standby";
}
