#include "engine/journal_recorder.h"

#include <algorithm>

namespace {

JournalEvent Event(JournalKind kind, int64_t at, int code = 0) {
  JournalEvent e;
  e.kind = kind;
  e.at = at;
  e.code = code;
  return e;
}

JournalEvent WindowEvent(JournalKind kind, int64_t at, const JournalWindowRef& w, int code) {
  JournalEvent e = Event(kind, at, code);
  e.from = w.start;
  e.to = w.end;
  e.title = w.title;
  return e;
}

}  // namespace

void CJournalRecorder::Write(const JournalEvent& event) {
  sink_.Record(event);
  events_.push_back(event);
  if (listener_ && (event.kind == JournalKind::kWindow || event.kind == JournalKind::kWindowEnd ||
                    event.kind == JournalKind::kMissed))
    listener_();
}

void CJournalRecorder::Looked(int64_t now) { Write(Event(JournalKind::kLooked, now)); }

std::vector<JournalWindowRef> CJournalRecorder::ProgramStarted(int64_t now, bool hidden,
                                     const std::vector<JournalEvent>& earlier,
                                     const std::vector<JournalWindowRef>& passed) {
  startedAt_ = now;
  lastTick_ = -1;
  // Without an earlier record nothing is known about the time before.
  std::vector<JournalEvent> missed;
  std::vector<JournalWindowRef> missedWindows;
  if (!earlier.empty()) {
    const int64_t lastRecord = earlier.back().at;
    bool asleep = false;
    std::set<std::pair<int64_t, std::string>> known;
    for (const JournalEvent& e : earlier) {
      if (e.kind == JournalKind::kSleep) asleep = true;
      if (e.kind == JournalKind::kResume || e.kind == JournalKind::kProgramStart) asleep = false;
      if (e.kind == JournalKind::kWindow || e.kind == JournalKind::kMissed) known.insert({e.from, e.title});
    }
    const JournalMiss why = asleep ? JournalMiss::kAsleep : JournalMiss::kNotRunning;
    for (const JournalWindowRef& w : passed)
      if (w.end > lastRecord && w.end <= now && !known.count({w.start, w.title})) {
        missed.push_back(WindowEvent(JournalKind::kMissed, now, w, static_cast<int>(why)));
        missedWindows.push_back(w);
      }
  }
  events_ = earlier;
  Write(Event(JournalKind::kProgramStart, now, hidden ? 1 : 0));
  for (const JournalEvent& e : missed) Write(e);
  return missedWindows;
}

void CJournalRecorder::ProgramEnding(int64_t now, bool sessionEnd) {
  if (ended_) return;
  ended_ = true;
  Write(Event(JournalKind::kProgramExit, now, sessionEnd ? 1 : 0));
}

void CJournalRecorder::Sleeping(int64_t now, JournalSleeper by) {
  // Windows says it twice when the program asked for the sleep itself.
  if (asleep_) return;
  asleep_ = true;
  Write(Event(JournalKind::kSleep, now, static_cast<int>(by)));
}

void CJournalRecorder::Resumed(int64_t now, bool automatic) {
  // The automatic resume comes first, the one for a user at the PC after it.
  if (!asleep_ && resumedAt_ >= 0 && now - resumedAt_ < kLongestResumeSeconds) {
    if (!automatic && !userBack_) {
      userBack_ = true;
      Write(Event(JournalKind::kResume, now, 0));
    }
    return;
  }
  asleep_ = false;
  resumedAt_ = now;
  resumedAuto_ = automatic;
  userBack_ = !automatic;
  lastTick_ = -1;
  Write(Event(JournalKind::kResume, now, automatic ? 1 : 0));
}

void CJournalRecorder::Tick(int64_t now) {
  const int64_t before = lastTick_;
  lastTick_ = now;
  if (before < 0 || now - before < kStallSeconds || asleep_) return;
  JournalEvent e = Event(JournalKind::kStall, now);
  e.from = before;
  e.to = now;
  Write(e);
}

bool CJournalRecorder::Seen(const JournalWindowRef& window) const {
  return seen_.count({window.start, window.title}) > 0;
}

void CJournalRecorder::WindowSeen(int64_t now, const JournalWindowRef& window, int64_t timerAt) {
  if (!seen_.insert({window.start, window.title}).second) return;
  // The lead began at the timer's time; a wake within a minute before it
  // counts as the wake for this window too.
  const int64_t leadFrom = (timerAt >= 0 ? std::min(timerAt, window.start) : window.start) - 60;
  JournalWake wake = JournalWake::kAlreadyOn;
  if (resumedAt_ >= leadFrom && resumedAt_ >= startedAt_) {
    const bool byTimer = resumedAuto_ && timerAt >= 0 && resumedAt_ >= timerAt &&
                         resumedAt_ - timerAt <= kLongestResumeSeconds;
    wake = byTimer ? JournalWake::kTimer : JournalWake::kOtherWake;
  } else if (startedAt_ >= leadFrom) {
    wake = JournalWake::kProgramStarted;
  }
  JournalEvent e = WindowEvent(JournalKind::kWindow, now, window, static_cast<int>(wake));
  e.timerAt = timerAt;
  Write(e);
}

void CJournalRecorder::WindowEnded(int64_t now, const JournalWindowRef& window, JournalEnd what) {
  Write(WindowEvent(JournalKind::kWindowEnd, now, window, static_cast<int>(what)));
}

void CJournalRecorder::WindowMissed(int64_t now, const JournalWindowRef& window, JournalMiss why) {
  Write(WindowEvent(JournalKind::kMissed, now, window, static_cast<int>(why)));
}

void CJournalRecorder::TimerRefused(int64_t now, int64_t windowStart) {
  // Once per window: the retries that follow say nothing new.
  if (refusedFor_ == windowStart) return;
  refusedFor_ = windowStart;
  JournalEvent e = Event(JournalKind::kTimerRefused, now);
  e.from = windowStart;
  Write(e);
}

void CJournalRecorder::WakeTested(int64_t now, const WakeTestResult& r, const std::string& word) {
  JournalEvent e = Event(JournalKind::kWakeTest, now, static_cast<int>(r.outcome));
  e.from = r.wakeAt;
  e.to = r.resumedAt > 0 ? r.resumedAt : 0;
  e.timerAt = r.wakeAt;
  e.title = word;
  Write(e);
}
