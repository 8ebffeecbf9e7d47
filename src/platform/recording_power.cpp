#include "platform/recording_power.h"

#include <algorithm>

bool RecordingPower::OpenWakeTimer(const std::string& name, SystemError* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back({"open", name, 0, {}});
  if (failOpen_) {
    *error = openError_;
    return false;
  }
  // A named timer that exists already is not taken.
  const bool exists =
      !name.empty() && ((held_ && name == heldName_) ||
                        std::find(elsewhere_.begin(), elsewhere_.end(), name) != elsewhere_.end());
  if (exists) {
    *error = SystemError{SystemCause::kAlreadyExists, 183};
    return false;
  }
  *error = SystemError{};
  armedAt_ = 0;
  held_ = true;
  heldName_ = name;
  return true;
}

bool RecordingPower::ArmWakeTimer(int64_t wakeSeconds, const std::string& reason,
                                  SystemError* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back({"arm", "", wakeSeconds, reason});
  *error = armError_;
  if (armOk_ && held_) armedAt_ = wakeSeconds;
  return armOk_ && held_;
}

bool RecordingPower::CancelWakeTimer() {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back({"cancel", "", 0, {}});
  const bool was = held_;
  held_ = false;
  heldName_.clear();
  armedAt_ = 0;
  return was;
}

bool RecordingPower::HasWakeTimer() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return held_;
}

bool RecordingPower::Suspend(SleepMode mode) {
  Record({"suspend", "", mode == SleepMode::kHibernate ? 1 : 0, {}});
  return true;
}

ShutdownResult RecordingPower::Shutdown() {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back({"shutdown", "", 0, {}});
  return shutdownResult_;
}

void RecordingPower::KeepAwake(bool on, const std::string& reason) {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back({"awake", "", on ? 1 : 0, reason});
  awake_ = on;
}

void RecordingPower::EndKeepAwakeBySleep() {
  std::lock_guard<std::mutex> lock(mutex_);
  awake_ = false;
}

void RecordingPower::FailOpen(SystemError error) {
  std::lock_guard<std::mutex> lock(mutex_);
  failOpen_ = true;
  openError_ = error;
}

void RecordingPower::HoldElsewhere(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  elsewhere_.push_back(name);
}

void RecordingPower::SetArmResult(bool ok, SystemError error) {
  std::lock_guard<std::mutex> lock(mutex_);
  armOk_ = ok;
  armError_ = error;
}

void RecordingPower::SetShutdownResult(ShutdownResult r) {
  std::lock_guard<std::mutex> lock(mutex_);
  shutdownResult_ = r;
}

std::vector<RecordingPower::Call> RecordingPower::Calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

std::vector<RecordingPower::Call> RecordingPower::Calls(const std::string& what) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Call> out;
  for (const Call& c : calls_)
    if (c.what == what) out.push_back(c);
  return out;
}

bool RecordingPower::KeepingAwake() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return awake_;
}

int64_t RecordingPower::ArmedAt() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return armedAt_;
}

void RecordingPower::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.clear();
}

void RecordingPower::Record(Call call) {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back(std::move(call));
}
