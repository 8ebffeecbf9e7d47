// The PC's states as the simulation drives them: on, asleep, off, resuming,
// with the awake stretches and outages the measure reads.
#include <algorithm>

#include "sim/world.h"

namespace sim {

void Simulation::GoDown(Sleeper by, bool off) {
  CloseAwake();
  Outage o(Outage::kAsleep, clock_.Ms(), kNever);
  o.by = by;
  o.armFailed = armFailed_;
  const auto armed = pc_.ArmedAt();
  if (armed) o.timerAt = *armed * kSecond;
  Trace("%s by %d, wake timer %s", off ? "off" : "asleep", static_cast<int>(by),
        armed ? Stamp(LocalTime(*armed)).c_str() : "none");
  outages_.push_back(o);
  openOutage_ = static_cast<int>(outages_.size()) - 1;
  wakeAt_.reset();
  if (armed) wakeAt_ = std::max(*armed * kSecond, clock_.Ms());  // a past time fires at once
  if (off) EndProcess(false);
  state_ = off ? PcState::kOff : PcState::kAsleep;
  present_ = false;
  unattended_ = false;
  idleSince_ = kNever;
  stopAt_ = kNever;
}

void Simulation::Wake(bool byTimer) {
  CloseOutage();
  if (byTimer) pc_.TimerFired();
  wakeAt_.reset();
  booting_ = state_ == PcState::kOff;
  int64_t delay = booting_ ? config_.bootSeconds * kSecond : 0;
  if (rng_.Chance(config_.resumeDelayChance)) {
    Note(report_.faults, "slow resume");
    delay += kSecond + rng_.Below(180 * kSecond);
  }
  unattended_ = byTimer;
  present_ = !byTimer;
  if (delay > 0) {
    outages_.emplace_back(Outage::kResuming, clock_.Ms(), kNever);
    openOutage_ = static_cast<int>(outages_.size()) - 1;
    state_ = PcState::kResuming;
    resumeEnd_ = clock_.Ms() + delay;
  } else {
    BecomeOn();
  }
}

void Simulation::BecomeOn() {
  CloseOutage();
  state_ = PcState::kOn;
  resumeEnd_ = kNever;
  OpenAwake();
  tickSoon_ = true;
  idleSince_ = kNever;
  if (booting_) {
    booting_ = false;
    StartProgram();
  } else if (sched_) {
    // The frame hears the resume broadcast.
    Call(false, [this] { sched_->OnResume(); });
  }
  UpdateIdle();
}

void Simulation::Jump(int64_t delta) {
  CloseAwake();
  const int64_t from = clock_.Ms();
  if (delta > 0) outages_.emplace_back(Outage::kJumped, from, from + delta);
  clock_.SetMs(from + delta);
  OpenAwake();
  gate_.Shift(delta);
  for (int64_t* t : {&idleSince_, &stopAt_, &restartAt_})
    if (*t != kNever) *t += delta;
  tickSoon_ = true;
  lastTick_ = clock_.Ms() - 1;
}

void Simulation::UpdateIdle() {
  if (state_ != PcState::kOn || pc_.KeepingAwake()) {
    idleSince_ = kNever;
  } else if (idleSince_ == kNever) {
    idleSince_ = clock_.Ms();
  }
}

}  // namespace sim
