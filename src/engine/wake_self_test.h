#pragma once
// The wake self-test (スリープ復帰テスト): the PC is put to sleep with the wake
// timer armed two minutes ahead, and what the PC does then is measured
// against that time: whether the timer woke it (an automatic resume with
// nobody at the PC) or the user did, how late the resume came, how long
// until the program ran again, and whether the PC stayed awake for three
// minutes afterwards, when Windows puts a PC that nobody touched back to
// sleep unless a program asks it not to.
//
// A small state machine fed with the power events and the tick's times
// (local seconds); it never reads a clock. The result is a plain record,
// kept in the settings file, and its texts.
#include <cstdint>
#include <string>

#include "engine/wake_readiness.h"
#include "engine/wake_test_result.h"

class ScheduleTable;
struct WakeTestRecord;

// How the test runs.
inline constexpr int64_t kWakeTestAheadSeconds = 120;    // the timer's time from the start
inline constexpr int64_t kWakeTestReachSeconds = 600;    // no schedule may begin or end within this
inline constexpr int64_t kWakeTestWatchSeconds = 180;    // the PC must stay awake this long after
inline constexpr int64_t kWakeTestUserSeconds = 30;      // a user resume this soon after: the user woke it
inline constexpr int64_t kWakeTestEarlySeconds = 5;      // a resume this much before the time: not the timer
inline constexpr int64_t kWakeTestNoSleepSeconds = 60;   // no sleep this long after the time: none comes
inline constexpr int64_t kWakeTestNoResumeSeconds = 600; // no resume this long after the time: none seen

// What the system's lists show for the test's timer and for keeping the PC
// awake after its resume.
inline constexpr char kWakeTestReason[] = "Nimbra: スリープ復帰テスト";
inline constexpr char kWakeTestAwakeReason[] = "Nimbra: スリープ復帰テストの復帰後の確認中";

// Why the test may not start at now: a schedule's window (from its wake
// lead on) reaches into the test's ten minutes, or the PC can sleep in
// neither state. "" when it may.
std::string WakeTestRefusal(const ScheduleTable& table, int64_t now, int leadSeconds,
                            const SleepChoice& sleep);
// The question before the test: what will happen, with the timer's time.
std::string WakeTestQuestion(SleepMode mode, int64_t wakeAt);

class CWakeSelfTest {
 public:
  enum class Phase { kIdle, kWaitingForSleep, kAsleep, kWatching, kDone };

  // The timer is armed for wakeAt and the countdown to the sleep begins.
  void Start(int64_t now, int64_t wakeAt, SleepMode mode, bool simulated);
  // The power broadcasts: going to sleep, and a resume (automatic: with
  // nobody at the PC; a resume by the user follows the automatic one).
  void Sleeping(int64_t now);
  void Resumed(int64_t now, bool automatic);
  // The countdown to the sleep was stopped.
  void Cancelled(int64_t now);
  // Every tick. True once, when the result became complete at this tick or
  // by an event since the last one.
  bool Tick(int64_t now);

  Phase GetPhase() const { return phase_; }
  bool Running() const { return phase_ != Phase::kIdle && phase_ != Phase::kDone; }
  // The PC is kept awake from the resume through the watch, as for a schedule.
  bool WantsAwake() const { return phase_ == Phase::kWatching; }
  // The timer's time while the test waits for it.
  bool WantsTimer() const { return phase_ == Phase::kWaitingForSleep || phase_ == Phase::kAsleep; }
  const WakeTestResult& Result() const { return result_; }

 private:
  void Finish(WakeTestOutcome outcome);

  Phase phase_ = Phase::kIdle;
  WakeTestResult result_;
  int64_t automaticAt_ = -1;  // the automatic resume, while the user may follow
  bool finished_ = false;     // finished since the last tick
};

// The result as the settings file keeps it, and back.
WakeTestRecord WakeTestToRecord(const WakeTestResult& r);
WakeTestResult WakeTestFromRecord(const WakeTestRecord& record);

// The box after the test, one line per measurement. leadSeconds: the wake
// lead now set.
std::string WakeTestReport(const WakeTestResult& r, int leadSeconds);
// The diagnosis's line: the date, the mode and the outcome, with a warning
// level when the test failed or found the lead too short.
ReadinessFinding JudgeWakeTest(const WakeTestResult& r, int leadSeconds);
// One word for the journal and the status line: "成功" or what failed.
std::string WakeTestOutcomeWord(const WakeTestResult& r);
