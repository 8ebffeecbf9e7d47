#pragma once
// The verdict on every window of the journal: was the PC awake all through it,
// and if not, why, in plain Japanese. Pure functions of the journal's events,
// shared with the simulated year, which judges its own windows with them.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/journal.h"

// A stretch inside a window when the PC was not running the program.
struct JournalOutage {
  enum Kind {
    kSleptByProgram,  // the program's countdown or suspend command
    kSleptByOther,    // the user or Windows
    kNotRunning,      // the program had been ended
    kStalled,         // no tick ran (a stalled PC or a clock jump)
    kUnknown,         // no record at all: the program was killed or crashed
  };
  int64_t from = 0, to = 0;
  Kind kind = kUnknown;
};

// One window as the journal saw it.
// The seconds are local calendar seconds; a window seen running in its start
// second (a tick looks in every second) is in time, a second later is late.
struct JournalWindow {
  int64_t start = 0, end = 0;  // planned
  std::string title;
  int64_t seenAt = -1;  // first seen running; -1 never
  JournalWake wake = JournalWake::kAlreadyOn;
  int64_t wokeAt = -1;   // the resume or program start that woke it; -1 none
  int64_t timerAt = -1;  // the wake timer's time; -1 none
  bool timerRefused = false;
  bool missRecorded = false;
  JournalMiss miss = JournalMiss::kUnseen;
  bool ended = false;
  JournalEnd endAction = JournalEnd::kCountdown;
  bool countdownStopped = false;  // the user stopped the countdown after the end
  std::vector<JournalOutage> outages;  // inside the window, in order
};

enum class VerdictKind { kFullyAwake, kLate, kInterrupted, kMissed, kUnknown };
enum class VerdictCause {
  kNone,
  kSlowResume,    // woken by the timer in time, the resume took long
  kWokenLate,     // woken after the start (by someone else, or the timer late)
  kProgramLate,   // the program was started after the start
  kTickLate,      // the PC was on but the program first ran after the start
  kSleptByProgram,
  kSleptByOther,
  kNotRunning,
  kStalled,
  kAsleep,        // asleep or off throughout
  kTimerRefused,  // the wake timer had been refused
  kNoRecord,      // killed or crashed: nothing is known
};

struct JournalVerdict {
  VerdictKind kind = VerdictKind::kFullyAwake;
  VerdictCause cause = VerdictCause::kNone;
  int64_t seconds = 0;  // late by, or interrupted for (in all)
  int64_t at = -1;      // when the cause happened (woken, put to sleep)
  int64_t interrupted = 0;  // a late start: the seconds lost after it
};

JournalVerdict JudgeWindow(const JournalWindow& window);
// The verdict in plain Japanese ("完全に起動", "12秒遅れて開始（...）").
std::string VerdictText(const JournalVerdict& verdict);
// The same without the cause ("12秒遅れて開始", "見逃し"), and the cause
// alone ("" when the PC was awake throughout).
std::string VerdictHeadline(const JournalVerdict& verdict);
std::string CauseText(const JournalVerdict& verdict);
// The verdict's short word for the list: "正常", "遅れ", "中断", "見逃し", "不明".
const char* VerdictWord(VerdictKind kind);
// How the PC came to be awake, in words.
std::string WakeText(const JournalWindow& window);
// What followed the end, in words ("" when the end was not seen).
std::string EndText(const JournalWindow& window);

// The windows of the events (oldest first), each with its outages.
std::vector<JournalWindow> AssembleWindows(const std::vector<JournalEvent>& events);

// What the status line says while the last window that ended before now was
// short of fully awake and the user has not looked at the journal since;
// "" otherwise.
std::string ShortfallNote(const std::vector<JournalEvent>& events, int64_t now);

// The windows newest first as CSV for a spreadsheet: UTF-8 with a byte-order
// mark, CRLF lines, every field quoted.
std::string JournalCsv(const std::vector<JournalWindow>& windows);
