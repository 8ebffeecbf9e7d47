#include "support/blocking_prompt.h"

#include <chrono>

namespace {
// The same limit as WaitUntil: 3000 rounds of 50 ms.
constexpr int kMaxRounds = 3000;
constexpr auto kRound = std::chrono::milliseconds(50);
}  // namespace

bool BlockingGate::Wait(const std::function<bool()>& pump) {
  std::unique_lock<std::mutex> lock(mutex_);
  ++waiting_;
  ++begun_;
  changed_.notify_all();
  bool passed = false;
  for (int round = 0; round < kMaxRounds && !passed; ++round) {
    if (open_) {
      passed = true;
      break;
    }
    if (pump) {
      lock.unlock();
      const bool done = pump();
      lock.lock();
      if (done) {
        passed = true;
        break;
      }
      // A pump is the box's own loop: it runs again without sleeping, up to
      // the limit in rounds.
      continue;
    }
    passed = changed_.wait_for(lock, kRound, [this] { return open_; });
  }
  if (!passed) passed = open_;
  if (!passed) ++timedOut_;
  --waiting_;
  changed_.notify_all();
  return passed;
}

void BlockingGate::Open() {
  std::lock_guard<std::mutex> lock(mutex_);
  open_ = true;
  changed_.notify_all();
}

void BlockingGate::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  open_ = false;
}

bool BlockingGate::WaitForWaiters(int n) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (int round = 0; round < kMaxRounds; ++round)
    if (changed_.wait_for(lock, kRound, [&] { return begun_ >= n; })) return true;
  return begun_ >= n;
}

int BlockingGate::Waiting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return waiting_;
}

int BlockingGate::TimedOut() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return timedOut_;
}

PromptAnswer BlockingPrompt::Show(const std::string& text, const std::string&,
                                  PromptButtons buttons) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_.push_back(text);
  }
  gate_.Wait(whileOpen);
  if (buttons == PromptButtons::kOk) return PromptAnswer::kOk;
  std::lock_guard<std::mutex> lock(mutex_);
  if (answers_.empty()) return PromptAnswer::kNo;
  const PromptAnswer a = answers_.front();
  answers_.pop_front();
  return a;
}

void BlockingPrompt::QueueAnswer(PromptAnswer a) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.push_back(a);
}

std::vector<std::string> BlockingPrompt::Texts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return texts_;
}
