#pragma once
// The C runtime's local-time conversions (time zone and daylight saving as the
// platform knows them), behind one thread-safe pair of functions, and the
// refresh of the zone they use.
#include <cstdint>
#include <ctime>

// Local broken-down time of t; false when the platform cannot convert it.
bool LocalTimeOf(int64_t t, std::tm* out);
// Calendar seconds of a local broken-down time with automatic daylight-saving
// detection (mktime); -1 when it cannot be represented.
int64_t MakeLocalSeconds(std::tm* local);

// The C runtime reads the zone once and keeps it: a zone changed while the
// program runs (the user's Date and Time settings) is taken only after this.
// On the interface thread, when the system says the time changed.
void RefreshTimeZone();
