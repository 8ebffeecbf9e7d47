#pragma once
// Test doubles of the platform services: a clock that a test sets and steps,
// and a prompt that records every message and answers from a script. Both may
// be used from the countdown's worker and the test's thread at once.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/prompt.h"
#include "schedule/time_rules.h"

// Every test that includes this runs in Japan time, written in the POSIX form
// that both glibc and the Windows C runtime read the same way.
struct JapanTimeZone {
  JapanTimeZone() {
    static char tz[] = "TZ=JST-9";
    putenv(tz);
    tzset();
  }
};
inline const JapanTimeZone kJapanTimeZone;

// A clock that a test sets and steps; it keeps milliseconds for a test that
// moves it in smaller steps than a second, and may be read from other threads
// while it moves.
class FakeClock final : public IClock {
 public:
  explicit FakeClock(int64_t seconds = 0) : ms_(seconds * 1000) {}
  void Set(int64_t seconds) { ms_ = seconds * 1000; }
  void SetLocal(const SystemTime& t) { Set(TimeToSeconds(t)); }
  void Advance(int64_t seconds) { ms_ += seconds * 1000; }
  int64_t Ms() const { return ms_.load(); }
  void SetMs(int64_t ms) { ms_ = ms; }

  SystemTime LocalNow() const override {
    SystemTime st{};
    SecondsToTime(SecondsNow(), &st);
    return st;
  }
  // Whole seconds, rounded down (also before 1970).
  int64_t SecondsNow() const override {
    const int64_t ms = Ms();
    return ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
  }

 private:
  std::atomic<int64_t> ms_;
};

class ScriptedPrompt final : public IPrompt {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    PromptButtons buttons;
  };
  // Answers for the coming Yes/No questions, in order; No when none is left.
  void QueueAnswer(PromptAnswer a) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.push_back(a);
  }
  void ClearAnswers() {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.clear();
  }

  PromptAnswer Show(const std::string& text, const std::string& caption,
                    PromptButtons buttons) override {
    if (onShow) onShow(text);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      shown.push_back({text, caption, buttons});
    }
    if (buttons == PromptButtons::kOk) return PromptAnswer::kOk;
    if (whileAsked) whileAsked();
    std::lock_guard<std::mutex> lock(mutex_);
    if (answers_.empty()) return PromptAnswer::kNo;
    const PromptAnswer a = answers_.front();
    answers_.pop_front();
    return a;
  }

  std::vector<std::string> Texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const auto& s : shown) out.push_back(s.text);
    return out;
  }
  // Every text shown with how often.
  std::map<std::string, int> Tally() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::map<std::string, int> out;
    for (const auto& s : shown) ++out[s.text];
    return out;
  }

  // Read it once the threads that show messages are done.
  std::vector<Shown> shown;
  // Runs with every text, before it is recorded.
  std::function<void(const std::string&)> onShow;
  // Runs while each Yes/No question is open, before it is answered: what
  // goes on meanwhile, such as the scheduler's tick.
  std::function<void()> whileAsked;

 private:
  mutable std::mutex mutex_;
  std::deque<PromptAnswer> answers_;
};
