#pragma once
// Test doubles of the platform services: a clock that a test sets and steps,
// and a prompt that records every message and answers from a script.
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <functional>
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

class FakeClock final : public IClock {
 public:
  explicit FakeClock(int64_t seconds = 0) : seconds_(seconds) {}
  void Set(int64_t seconds) { seconds_ = seconds; }
  void SetLocal(const SystemTime& t) { seconds_ = TimeToSeconds(t); }
  void Advance(int64_t seconds) { seconds_ += seconds; }

  SystemTime LocalNow() const override {
    SystemTime st{};
    SecondsToTime(seconds_, &st);
    return st;
  }
  int64_t SecondsNow() const override { return seconds_; }

 private:
  int64_t seconds_;
};

class ScriptedPrompt final : public IPrompt {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    PromptButtons buttons;
  };
  // Answers for the coming Yes/No questions, in order; No when none is left.
  void QueueAnswer(PromptAnswer a) { answers_.push_back(a); }

  PromptAnswer Show(const std::string& text, const std::string& caption,
                    PromptButtons buttons) override {
    shown.push_back({text, caption, buttons});
    if (buttons == PromptButtons::Ok) return PromptAnswer::Ok;
    if (whileAsked) whileAsked();
    if (answers_.empty()) return PromptAnswer::No;
    const PromptAnswer a = answers_.front();
    answers_.pop_front();
    return a;
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& s : shown) out.push_back(s.text);
    return out;
  }

  std::vector<Shown> shown;
  // Runs while each Yes/No question is open, before it is answered: what
  // goes on meanwhile, such as the scheduler's tick.
  std::function<void()> whileAsked;

 private:
  std::deque<PromptAnswer> answers_;
};
