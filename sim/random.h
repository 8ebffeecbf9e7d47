#pragma once
// The random source of every fault and of the user's choices.
#include <cmath>
#include <cstdint>

#include "sim/units.h"

namespace sim {

// A small generator of our own, so that a seed gives the same run on every
// platform and standard library.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // 0 <= result < n (n > 0).
  int64_t Below(int64_t n) { return static_cast<int64_t>(Next() % static_cast<uint64_t>(n)); }
  double Real() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  bool Chance(double p) { return Real() < p; }
  // Milliseconds to the next event of a process with `perDay` events a day.
  int64_t Gap(double perDay) {
    return static_cast<int64_t>(-std::log(1.0 - Real()) / perDay * static_cast<double>(kDayMs));
  }

 private:
  uint64_t state_;
};


}  // namespace sim
