#pragma once
// The journal (実行履歴): what the program saw around every recording window,
// one line per event in a UTF-8 text file beside the settings file, so that
// the user can learn afterwards whether the PC really was awake all through
// last night's recording.
//
// A line is written when something happens (the program starts or ends, the
// PC sleeps or resumes, a window begins or ends, a window was missed), never
// on a quiet tick. Each line is appended whole with one write and the file is
// never rewritten except to drop the oldest windows, which happens at most at
// a start and then through a temporary file: a kill at any moment leaves at
// worst a torn last line. Every line ends in a check of its text, so that a
// torn line is known as such even after the next run has ended it and
// written on; the reader skips it. Lines of a file begun before the check
// existed are read without one.
//
//   2030-01-07 20:59:02	window	1	2030-01-07 21:00:00	2030-01-07 21:54:00	2030-01-07 20:59:00	ニュース	05275497
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class JournalKind {
  kProgramStart,  // the program started (code: 1 when started hidden at logon)
  kProgramExit,   // the program ended in order (code: 1 when Windows ended the session)
  kSleep,         // the PC is going to sleep (code: JournalSleeper)
  kResume,        // the PC came back (code: 1 when by a timer, with nobody at the PC)
  kStall,         // the tick saw no time pass between from and to: a stall or a clock jump
  kWindow,        // a window was first seen running (code: JournalWake)
  kWindowEnd,     // a window's end processing (code: JournalEnd)
  kMissed,        // a window passed without being seen running (code: JournalMiss)
  kTimerRefused,  // the system refused the wake timer for the window at from
  kLooked,        // the user looked at the journal
  kWakeTest,      // a wake self-test ended (code: WakeTestOutcome; from the timer's time,
                  // to the resume; the title says the outcome in words)
};

// Who put the PC to sleep.
enum class JournalSleeper { kOther = 0, kProgram = 1 };
// How the PC came to be awake for a window.
enum class JournalWake { kAlreadyOn = 0, kTimer = 1, kOtherWake = 2, kProgramStarted = 3 };
// What followed a window's end. kStopped comes after one of the countdowns:
// the user stopped it (中止), and no power action followed.
enum class JournalEnd { kCountdown = 0, kStayedAwake = 1, kClosedLate = 2, kSuspended = 3,
                        kShutDown = 4, kStopped = 5 };
// Why a window passed unseen, as far as the program knows.
enum class JournalMiss { kUnseen = 0, kAsleep = 1, kNotRunning = 2 };

struct JournalEvent {
  JournalKind kind = JournalKind::kProgramStart;
  int64_t at = 0;  // local seconds when it happened
  // The window (kWindow, kWindowEnd, kMissed, kTimerRefused) or the stretch
  // (kStall) it is about; 0 otherwise.
  int64_t from = 0, to = 0;
  int code = 0;
  int64_t timerAt = -1;  // kWindow: the wake timer's time, -1 when none
  std::string title;     // UTF-8
};

// One line, with its check and without its line end; "" for nothing to write.
std::string FormatJournalLine(const JournalEvent& event);
// The event of one line; nothing for a torn, foreign or unknown line or one
// whose check does not match.
std::optional<JournalEvent> ParseJournalLine(const std::string& line);

// The journal file. Events are appended one at a time; Load reads them all.
class CJournalFile {
 public:
  // Oldest windows are dropped once more than kKeepWindows + kSlackWindows
  // are held, down to kKeepWindows: the rewrite is rare.
  static constexpr int kKeepWindows = 3000;
  static constexpr int kSlackWindows = 500;
  // A file larger than this is not read (no journal gets near it).
  static constexpr size_t kMaxBytes = 64u << 20;

  explicit CJournalFile(std::string path) : path_(std::move(path)) {}
  const std::string& Path() const { return path_; }

  // Appends one line; false when the file could not be written.
  [[nodiscard]] bool Append(const JournalEvent& event);
  // Every readable event, oldest first.
  std::vector<JournalEvent> Load() const;
  // Drops the oldest windows (with the events before them) when there are
  // too many; false when a needed rewrite failed.
  [[nodiscard]] bool Trim();

 private:
  std::string path_;
  bool tailChecked_ = false;
};

// The journal's name beside the settings file at settingsPath.
std::string JournalPathBeside(const std::string& settingsPath);
// "2030-01-07 21:00:00" for local seconds.
std::string JournalStamp(int64_t seconds);
