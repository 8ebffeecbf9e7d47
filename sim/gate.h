#pragma once
// The countdown gate: the countdown's window, and the lock-step between the
// countdown's worker and the simulation.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "engine/countdown.h"
#include "support/fakes.h"

namespace sim {

// and the simulation: each step wait parks the worker until the simulation
// has moved the clock to the step's end and releases it.
class Gate final : public ICountdownWindowFactory {
 public:
  enum class End { kNone, kCompleted, kStopped };

  explicit Gate(const FakeClock& clock) : clock_(clock) {}

  std::unique_ptr<ICountdownWindow> CreateCountdownWindow(CCountdown& countdown) override {
    std::lock_guard<std::mutex> lock(mutex_);
    owner_ = &countdown;
    active_ = true;
    parked_ = false;
    end_ = End::kNone;
    ++created_;
    return std::make_unique<Window>(*this, countdown);
  }

  // The worker's step wait.
  void Wait(int stepMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    const CCountdown* me = owner_;
    deadline_ = clock_.Ms() + stepMs;
    parked_ = true;
    released_ = false;
    changed_.notify_all();
    while (!released_ && !(me && me->IsAbandoned()))
      changed_.wait_for(lock, std::chrono::milliseconds(1));
    parked_ = false;
  }

  // Waits until the worker is parked, has posted its end, or there is none.
  void Settle() {
    std::unique_lock<std::mutex> lock(mutex_);
    const bool settled = changed_.wait_for(lock, std::chrono::seconds(60), [this] {
      return !active_ || parked_ || end_ != End::kNone;
    });
    if (!settled) {
      std::fprintf(stderr, "simulation: the countdown's worker neither waits nor ends\n");
      std::abort();
    }
  }
  bool Parked() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return active_ && parked_;
  }
  int64_t Deadline() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return deadline_;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    parked_ = false;
    changed_.notify_all();
  }
  void Shift(int64_t deltaMs) {
    std::lock_guard<std::mutex> lock(mutex_);
    deadline_ += deltaMs;
  }
  // The end the worker posted, once; the count is over then.
  End TakeEnd() {
    std::lock_guard<std::mutex> lock(mutex_);
    const End end = end_;
    if (end != End::kNone) active_ = false;
    end_ = End::kNone;
    return end;
  }
  int Created() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return created_;
  }

 private:
  class Window final : public ICountdownWindow {
   public:
    Window(Gate& gate, const CCountdown& countdown) : gate_(gate), countdown_(countdown) {}
    ~Window() override { gate_.Gone(&countdown_); }
    void SetProgressRange(int, int) override {}
    void SetProgressPos(int) override {}
    void SetStatusText(const std::string&) override {}
    void PostCompleted() override { gate_.Post(End::kCompleted); }
    void PostStopped() override { gate_.Post(End::kStopped); }
    void SetCaption(const std::string&) override {}
    void Close() override {}

   private:
    Gate& gate_;
    const CCountdown& countdown_;
  };

  void Post(End end) {
    std::lock_guard<std::mutex> lock(mutex_);
    end_ = end;
    changed_.notify_all();
  }
  void Gone(const CCountdown* countdown) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (owner_ != countdown) return;
    owner_ = nullptr;
    active_ = false;
    parked_ = false;
    end_ = End::kNone;
    changed_.notify_all();
  }

  const FakeClock& clock_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  const CCountdown* owner_ = nullptr;
  bool active_ = false;
  bool parked_ = false;
  bool released_ = false;
  int64_t deadline_ = 0;
  End end_ = End::kNone;
  int created_ = 0;
};

// The list view: dialogs are answered by the step the simulated user set up

}  // namespace sim
