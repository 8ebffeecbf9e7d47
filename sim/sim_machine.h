#pragma once
// The simulated machine under the program: a clock that only moves when the
// simulation moves it, a prompt that answers from a script and keeps a tally
// of what it was asked, and a PC that takes the power service's requests and
// leaves the sleeping and waking to the simulation. All three are called
// from the interface thread and from the countdown's worker.
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/power.h"
#include "platform/prompt.h"

// The PC's clock in milliseconds of calendar time. A clock jump is a Set.
class SimClock final : public IClock {
 public:
  int64_t Ms() const { return ms_.load(); }
  void SetMs(int64_t ms) { ms_.store(ms); }
  SystemTime LocalNow() const override;
  int64_t SecondsNow() const override { return FloorSeconds(Ms()); }
  static int64_t FloorSeconds(int64_t ms) { return ms >= 0 ? ms / 1000 : (ms - 999) / 1000; }

 private:
  std::atomic<int64_t> ms_{0};
};

class SimPrompt final : public IPrompt {
 public:
  PromptAnswer Show(const std::string& text, const std::string& caption,
                    PromptButtons buttons) override;
  // Answers for the coming Yes/No questions, in order; No when none is left.
  void Answer(std::vector<PromptAnswer> answers);
  // Every text shown so far with how often.
  std::map<std::string, int> Asked() const;
  // How often text was shown.
  int Count(const std::string& text) const;
  // Called with every text shown.
  void OnShow(std::function<void(const std::string&)> hook) { onShow_ = std::move(hook); }

 private:
  mutable std::mutex mutex_;
  std::deque<PromptAnswer> answers_;
  std::map<std::string, int> asked_;
  std::function<void(const std::string&)> onShow_;
};

// The power service of the simulated PC. The program's requests to sleep or
// shut down are queued for the simulation, which decides what the PC does.
class SimPc final : public IPower {
 public:
  enum class Request { kSuspend, kShutdown };
  struct Outcome {
    bool ok = true;
    uint32_t error = 0;
  };

  explicit SimPc(const SimClock& clock) : clock_(clock) {}

  bool OpenWakeTimer(const std::string& name, uint32_t* error) override;
  bool ArmWakeTimer(int64_t wakeSeconds, uint32_t* error) override;
  bool CancelWakeTimer() override;
  bool HasWakeTimer() const override;
  bool Suspend(int mode) override;
  ShutdownResult Shutdown() override;
  void KeepAwake(bool on) override;

  // Decides each arming's result (a fault injector); none: every arming works.
  void SetArmOutcome(std::function<Outcome()> decide);
  // The oldest power request not yet taken, with the clock's time it came at.
  std::optional<std::pair<Request, int64_t>> TakeRequest();
  // Calendar seconds the held timer will wake the PC at; none when no timer
  // is armed.
  std::optional<int64_t> ArmedAt() const;
  // The armed timer fired: it is no longer armed (the handle stays held).
  void TimerFired();
  bool KeepingAwake() const;
  // The program's process ended: the system closes its timer and drops its
  // keep-awake request.
  void ProcessEnded();
  int Armings() const;

 private:
  const SimClock& clock_;
  mutable std::mutex mutex_;
  bool held_ = false;
  std::optional<int64_t> armedAt_;
  bool keepAwake_ = false;
  int armings_ = 0;
  std::function<Outcome()> decide_;
  std::deque<std::pair<Request, int64_t>> requests_;
};
