#pragma once
// What the program tells the journal as things happen. The recorder keeps
// just enough to say how the PC came to be awake for a window and to notice
// a tick that came long after the one before; it writes only when something
// happened, so a quiet tick costs a comparison and nothing more.
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/journal.h"
#include "engine/wake_test_result.h"

// Where the events go (the journal file; a list in tests).
class IJournalSink {
 public:
  virtual ~IJournalSink() = default;
  virtual void Record(const JournalEvent& event) = 0;
};

// The journal file as a sink: a failed write goes to the given callback
// (the debug log), the program goes on.
class CJournalFileSink final : public IJournalSink {
 public:
  explicit CJournalFileSink(CJournalFile& file) : file_(file) {}
  void Record(const JournalEvent& event) override { ok_ = file_.Append(event) && ok_; }
  // False once a write failed.
  bool AllWritten() const { return ok_; }

 private:
  CJournalFile& file_;
  bool ok_ = true;
};

// A window of the table, as the recorder is told about it (title in UTF-8).
struct JournalWindowRef {
  int64_t start = 0, end = 0;
  std::string title;
};

class CJournalRecorder {
 public:
  // A tick this long after the one before, with no sleep between, was stalled.
  static constexpr int64_t kStallSeconds = 5;
  // A resume this long after the timer's time is not taken for its wake.
  static constexpr int64_t kLongestResumeSeconds = 600;

  explicit CJournalRecorder(IJournalSink& sink) : sink_(sink) {}

  // The program started at now. earlier: the journal as it was (to find the
  // windows that passed while the program was not running); passed: the
  // table's windows that ended before now. Each passed window that ended
  // after the last record and has none is journalled as missed. Returns
  // those windows.
  std::vector<JournalWindowRef> ProgramStarted(int64_t now, bool hidden, const std::vector<JournalEvent>& earlier,
                     const std::vector<JournalWindowRef>& passed);
  // Once: the end of the session and the end of the program both say it.
  void ProgramEnding(int64_t now, bool sessionEnd);
  void Sleeping(int64_t now, JournalSleeper by);
  void Resumed(int64_t now, bool automatic);
  // Every tick. Writes only after a stall.
  void Tick(int64_t now);
  // A window first seen running at now; timerAt the wake timer's time for it
  // (-1 when none). Once per window.
  void WindowSeen(int64_t now, const JournalWindowRef& window, int64_t timerAt);
  void WindowEnded(int64_t now, const JournalWindowRef& window, JournalEnd what);
  // A window closed after its end without having been seen running.
  void WindowMissed(int64_t now, const JournalWindowRef& window, JournalMiss why);
  void TimerRefused(int64_t now, int64_t windowStart);
  // Whether the window was seen running by this run of the program.
  bool Seen(const JournalWindowRef& window) const;
  // The user looked at the journal.
  void Looked(int64_t now);
  // A wake self-test ended with r; word: its outcome in words.
  void WakeTested(int64_t now, const WakeTestResult& r, const std::string& word);

  // The journal as far as known: what ProgramStarted was given and all
  // written since.
  const std::vector<JournalEvent>& Events() const { return events_; }
  // Called after a window's event was written (never waits: a posted message).
  void SetWindowListener(std::function<void()> listener) { listener_ = std::move(listener); }

 private:
  void Write(const JournalEvent& event);

  IJournalSink& sink_;
  int64_t lastTick_ = -1;
  int64_t startedAt_ = -1;
  int64_t resumedAt_ = -1;
  bool resumedAuto_ = false;  // the last resume was the timer's (nobody at the PC)
  bool userBack_ = false;     // someone has been at the PC since
  bool asleep_ = false;
  bool ended_ = false;
  int64_t refusedFor_ = -1;
  std::set<std::pair<int64_t, std::string>> seen_;
  std::vector<JournalEvent> events_;
  std::function<void()> listener_;
};
