#pragma once
// The C runtime's local-time conversions (time zone and daylight saving as the
// platform knows them), behind one thread-safe pair of functions.
#include <cstdint>
#include <ctime>

// Local broken-down time of t; false when the platform cannot convert it.
bool LocalTimeOf(int64_t t, std::tm* out);
// Calendar seconds of a local broken-down time with automatic daylight-saving
// detection (mktime); -1 when it cannot be represented.
int64_t MakeLocalSeconds(std::tm* local);
