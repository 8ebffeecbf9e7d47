#pragma once
// The clock service: the only way the core learns the time, so that tests can
// walk a schedule second by second without sleeping.
#include <cstdint>

#include "platform/system_time.h"

class IClock {
 public:
  virtual ~IClock() = default;
  // The local wall-clock time now (day of week filled in).
  virtual SystemTime LocalNow() const = 0;
  // Calendar seconds since 1970-01-01 00:00 UTC now.
  virtual int64_t SecondsNow() const = 0;
};

// The real clock of the machine.
IClock& SystemClock();
