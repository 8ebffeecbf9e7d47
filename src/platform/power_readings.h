#pragma once
// What the system says about its readiness to wake by timer: the active power
// scheme's "Allow wake timers" setting on mains and on battery, the sleep
// states the machine offers, and where its power comes from. Only readings:
// what they mean for the user is decided elsewhere. Anything that could not
// be read stays "unknown" and carries the system's code.
#include <cstdint>

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
  // The active scheme's setting; schemeError is the system's code when the
  // scheme or a value could not be read (0 when both were).
  WakeTimerPolicy wakeTimersAc = WakeTimerPolicy::kUnknown;
  WakeTimerPolicy wakeTimersDc = WakeTimerPolicy::kUnknown;
  uint32_t schemeError = 0;

  // The machine's capabilities; when they could not be read the flags below
  // are all false and capabilitiesError holds the system's code.
  bool capabilitiesRead = false;
  uint32_t capabilitiesError = 0;
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
  // (0: never); -1 when not read, with unattendedError the system's code.
  int32_t unattendedSleepAc = -1;
  int32_t unattendedSleepDc = -1;
  uint32_t unattendedError = 0;

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

// The machine's own readings (on Linux: nothing read).
IPowerReadings& SystemPowerReadings();
