#pragma once
// What the system says about its readiness to wake by timer: the active power
// scheme's "Allow wake timers" setting on mains and on battery, the sleep
// states the machine offers, and where its power comes from. Only readings:
// what they mean for the user is decided elsewhere. Anything that could not
// be read stays "unknown" and carries the cause.
#include <cstdint>
#include <memory>

#include "platform/system_cause.h"

class CDebugLog;

// The sleep subgroup's "Allow wake timers" value.
enum class WakeTimerPolicy {
  kUnknown,        // not read
  kDisabled,       // 0
  kEnabled,        // 1
  kImportantOnly,  // 2: only timers the system counts as important, not ours
};

// The policy for a stored value; kUnknown for values the system does not define.
WakeTimerPolicy WakeTimerPolicyFromValue(uint32_t value);

enum class PowerSource { kUnknown, kMains, kBattery };

struct PowerReadings {
  // The active scheme's setting; schemeCause says why the scheme or a value
  // could not be read (kNone when both were).
  WakeTimerPolicy wakeTimersAc = WakeTimerPolicy::kUnknown;
  WakeTimerPolicy wakeTimersDc = WakeTimerPolicy::kUnknown;
  SystemCause schemeCause = SystemCause::kNone;

  // The machine's capabilities; when they could not be read the flags below
  // are all false and capabilitiesCause says why.
  bool capabilitiesRead = false;
  SystemCause capabilitiesCause = SystemCause::kNone;
  bool standbyS1 = false;
  bool standbyS2 = false;
  bool standbyS3 = false;
  bool hibernateS4 = false;      // the machine supports hibernation
  bool hiberFilePresent = false; // and hibernation is switched on
  bool modernStandby = false;    // standby is low-power idle, not a sleep state

  PowerSource source = PowerSource::kUnknown;
  bool hasBattery = false;

  // The sleep subgroup's "System unattended sleep timeout": how long a PC
  // that woke with nobody at it stays on before it sleeps again, in seconds
  // (0: never); -1 when not read, with unattendedCause saying why.
  int32_t unattendedSleepAc = -1;
  int32_t unattendedSleepDc = -1;
  SystemCause unattendedCause = SystemCause::kNone;

  bool CanStandby() const { return standbyS1 || standbyS2 || standbyS3 || modernStandby; }
  bool CanHibernate() const { return hibernateS4 && hiberFilePresent; }
};

class IPowerReadings {
 public:
  virtual ~IPowerReadings() = default;
  // Reads everything afresh (the user may change the settings any time).
  virtual PowerReadings Read() const = 0;
};

// Readings given in advance, for tests and for the front-ends that have no
// power back-end.
class FixedPowerReadings final : public IPowerReadings {
 public:
  FixedPowerReadings() = default;
  explicit FixedPowerReadings(const PowerReadings& r) : readings_(r) {}
  PowerReadings Read() const override { return readings_; }
  void Set(const PowerReadings& r) { readings_ = r; }

 private:
  PowerReadings readings_;
};

// The machine's own readings (on Linux: nothing read). A reading that fails
// is written to log with the system's number, once until it changes.
std::unique_ptr<IPowerReadings> MakeSystemPowerReadings(CDebugLog& log);
