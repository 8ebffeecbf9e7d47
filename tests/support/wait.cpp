#include "support/wait.h"

#include <chrono>
#include <thread>

bool WaitUntil(const std::function<bool()>& done) {
  constexpr int kMaxPolls = 3000;
  for (int i = 0; i < kMaxPolls; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}
