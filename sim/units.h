#pragma once
// The simulation's time: milliseconds of the PC clock's calendar time.
#include <cstdint>

namespace sim {

constexpr int64_t kNever = INT64_MAX;
constexpr int64_t kSecond = 1000;
constexpr int64_t kMinute = 60 * kSecond;
constexpr int64_t kHour = 60 * kMinute;
constexpr int64_t kDayMs = 24 * kHour;

}  // namespace sim
