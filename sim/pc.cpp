#include "sim/pc.h"

bool SimPc::OpenWakeTimer(const std::string&, SystemError* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  // A second open of the program's own named timer finds it existing, as the
  // system reports it.
  *error = held_ ? SystemError{SystemCause::kAlreadyExists, 183} : SystemError{};
  held_ = true;
  return true;
}

bool SimPc::ArmWakeTimer(int64_t wakeSeconds, const std::string&, SystemError* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++armings_;
  const Outcome out = decide_ ? decide_() : Outcome{};
  *error = out.error;
  // A call that fails arms nothing; one that succeeds with "resume not
  // supported" sets a timer that will not wake the PC.
  armedAt_.reset();
  if (out.ok && out.error.cause == SystemCause::kNone) armedAt_ = wakeSeconds;
  return out.ok;
}

bool SimPc::CancelWakeTimer() {
  std::lock_guard<std::mutex> lock(mutex_);
  const bool had = held_;
  held_ = false;
  armedAt_.reset();
  return had;
}

bool SimPc::HasWakeTimer() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return held_;
}

bool SimPc::Suspend(SleepMode) {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.emplace_back(Request::kSuspend, clock_.Ms());
  return true;
}

ShutdownResult SimPc::Shutdown() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.emplace_back(Request::kShutdown, clock_.Ms());
  return ShutdownResult::kOk;
}

void SimPc::KeepAwake(bool on, const std::string&) {
  std::lock_guard<std::mutex> lock(mutex_);
  keepAwake_ = on;
}

void SimPc::SetArmOutcome(std::function<Outcome()> decide) {
  std::lock_guard<std::mutex> lock(mutex_);
  decide_ = std::move(decide);
}

std::optional<std::pair<SimPc::Request, int64_t>> SimPc::TakeRequest() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (requests_.empty()) return std::nullopt;
  auto r = requests_.front();
  requests_.pop_front();
  return r;
}

std::optional<int64_t> SimPc::ArmedAt() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return armedAt_;
}

void SimPc::TimerFired() {
  std::lock_guard<std::mutex> lock(mutex_);
  armedAt_.reset();
}

bool SimPc::KeepingAwake() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return keepAwake_;
}

void SimPc::ProcessEnded() {
  std::lock_guard<std::mutex> lock(mutex_);
  held_ = false;
  armedAt_.reset();
  keepAwake_ = false;
  requests_.clear();
}

int SimPc::Armings() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return armings_;
}
