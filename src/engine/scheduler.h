#pragma once
// The scheduler: at each tick it follows the current schedule (the
// unfinished entry with the earliest start). The timer ticks five times a
// second; the view hands on the first tick of every second and any tick
// after a message (CTickGate). Inside the schedule's window the
// entry runs and the PC is kept awake; in its end second the plug-in runs for
// it, the entry is finished or moved on to its next occurrence, and the end
// countdown starts, which suspends the PC, or shuts it down when nothing
// follows. An end whose next wake is too close to sleep in stays awake.
//
// Whatever puts the PC to sleep, a standing wake-up timer is due a lead
// before the next schedule ahead: every tick works out the wanted wake time
// and the timer is re-armed only when that changes, so a quiet tick makes no
// system call. While the system refuses that timer, the PC is kept awake
// instead, so that no sleep can outlast a start. Also the manual suspend
// command and the test the frame's power handling asks.
//
// Everything here runs on the interface thread; only the countdown's worker
// runs elsewhere.
#include <memory>
#include <optional>
#include <string>

#include "engine/countdown.h"
#include "engine/journal_recorder.h"
#include "engine/wake_plan.h"
#include "engine/wake_readiness.h"
#include "engine/wake_self_test.h"
#include "platform/core_services.h"
#include "schedule/schedule_entry.h"

class CJournalRecorder;
class CNimbraDoc;
class CNoticeBoard;
class CPowerControl;

// What the scheduler needs of the list view: CNimbraView implements it.
class IScheduleView {
 public:
  virtual ~IScheduleView() = default;
  // Rebuilds the list from the table.
  virtual void RefreshList() = 0;
  // The view's window timers.
  virtual void SetTimer(unsigned id, unsigned ms) = 0;
  virtual void KillTimer(unsigned id) = 0;
  // Imports the iEPG file named on the command line.
  virtual void ImportCommandLineFile() = 0;
  // The next wake, the staying awake or the timer's state changed: the
  // status text (CScheduler::StatusText) is new.
  virtual void WakeStatusChanged() {}
  // The wake self-test came to its result (CScheduler::LastWakeTest). Never
  // waits: the result is told after the tick.
  virtual void WakeTestFinished() {}
};

// Runs the plug-in for one schedule (CPluginHost). Tells the user itself when
// it cannot; the end processing goes on either way.
class IPluginRunner {
 public:
  virtual ~IPluginRunner() = default;
  // The plug-in reads its own copy of entry, never the table's.
  virtual void RunPlugin(const char* name, const ScheduleEntry& entry) = 0;
};

// Told what the program's notifications report: a window's end (after its
// end processing), a window closed without having run, a wake-up timer the
// system refused. Each call only hands over; nothing here may wait.
class IWindowNotifier {
 public:
  virtual ~IWindowNotifier() = default;
  virtual void WindowEnded(const ScheduleEntry& entry) = 0;
  virtual void WindowMissed(const ScheduleEntry& entry) = 0;
  virtual void WakeTimerRefused() = 0;
};

class CScheduler {
 public:
  static constexpr unsigned kTickTimer = 1234;
  static constexpr unsigned kTickMs = 200;
  static constexpr unsigned kImportTimer = 4567;
  static constexpr unsigned kImportDelayMs = 500;
  static constexpr int kCountdownSeconds = 10;
  static constexpr int kCountdownStepMs = 500;
  // An end second missed by less than this is still ended with its power
  // action (a busy machine); a later one is closed without it.
  static constexpr int kCatchUpSeconds = 60;

  // notices: the board that the document, the power steps and the plug-in
  // host tell the user through; every tick holds it, so that nothing the
  // tick causes waits for a click (without one, what they show is shown at once).
  // services: the clock the tick reads, the prompt of the manual suspend's
  // questions and the debug log; the countdowns get the same.
  // journal: where the windows seen, ended and missed are told (none: not told).
  // notifier: the notifications (none: nothing is sent).
  CScheduler(CNimbraDoc& doc, IScheduleView& view, IPluginRunner& plugin, CPowerControl& power,
             ICountdownWindowFactory& windows, const CoreServices& services,
             CNoticeBoard* notices = nullptr, CJournalRecorder* journal = nullptr,
             IWindowNotifier* notifier = nullptr);
  // Drops the keep-awake request, cancels the wake-up timer and ends a
  // running countdown without its actions.
  ~CScheduler();
  CScheduler(const CScheduler&) = delete;
  CScheduler& operator=(const CScheduler&) = delete;

  // Starts the tick (the view's first update), and the one-shot import of
  // the command-line file when the program was started with one.
  void StartTimers(bool importCommandLineFile);
  // The view's timer handler. True when the framework's default handling
  // should follow (the import timer and timers that are not ours). The tick
  // timer keeps running; a tick that comes while one runs is dropped.
  bool OnTimer(unsigned id);
  // One look at the current schedule and the wake ahead (what timer 1234
  // does). Never waits for the user: what it has to tell goes to the board.
  void Tick();
  // After the PC resumed: at the next tick the standing timer is armed afresh
  // (a fired one is spent) and the keep-awake, if anything wants it then, is
  // asked for again (a sleep may have ended it without a word); a schedule
  // whose window has begun is running now.
  void OnResume();
  // The manual suspend command; noConfirm skips both questions (the frame's
  // power handling).
  void SuspendNow(bool noConfirm);
  // Whether suspending now leaves a schedule to wake up for. Changes nothing.
  bool HasFollowingSchedule() const;

  // What comes next, for the status bar and the tray tip: "次回起動 12/24 20:59",
  // "次の予定なし", or the staying awake after an end; during a window, what
  // its end leads to (EndForecastText).
  const std::string& StatusText() const { return statusText_; }
  // The plan of the last tick.
  const WakePlan& Plan() const { return plan_; }
  // The plan as the table stands now (after an end, before the next tick).
  WakePlan PlanNow() const;
  // An end was followed by staying awake instead of a countdown, and the
  // next schedule's lead has not begun.
  bool StayingAwake() const { return stayingAwake_; }
  // This PC's readiness to wake, read now, with the standing timer's state,
  // and how the slowest timer wake that came back after its start compares
  // with the lead now set.
  WakeDiagnosis Diagnose() const;
  // The seconds that timer wake took, from the timer's time to the program
  // running again; -1 while none came back late.
  int64_t SlowestLateResume() const { return slowestLateResume_; }
  // A resume is taken as the timer's wake when the program runs again within
  // this long of the timer's time (a later one is someone waking the PC).
  static constexpr int64_t kLongestResumeSeconds = 600;

  // The wake self-test. Why it may not start now ("" when it may), from the
  // table, the lead and the sleep state the PC can enter.
  std::string WakeTestRefusal() const;
  // Starts it after the user said yes: the timer stands at wakeAt (or two
  // minutes from now, should wakeAt be too close by now) and the countdown
  // to the user's sleep state begins, as at a schedule's end. simulated: a
  // dry run, whose sleep and resume are played (SimulatedSleep). False when
  // it may not start or the countdown could not.
  bool StartWakeTest(int64_t wakeAt, bool simulated);
  // The power broadcasts, for the test: the PC goes to sleep, and resumes
  // (automatic: with nobody at the PC).
  void OnSleeping();
  void OnResumeEvent(bool automatic);
  // In a dry run the played sleep lasts until the test's timer, and the
  // three minutes awake after it pass at once.
  const CWakeSelfTest& WakeTest() const { return wakeTest_; }
  // The last test's result (outcome kNone: none): the settings file's until
  // a test ends; a dry run's is kept for this run of the program only.
  const WakeTestResult& LastWakeTest() const { return lastWakeTest_; }

  // Whether a sleep beginning now is the program's own: a countdown to it
  // started within the last minute.
  bool SuspendingByProgram() const;

  // The countdown started last (nullptr when none).
  CCountdown* Countdown() { return countdown_.get(); }
  // How new countdowns wait per step (tests count without sleeping).
  void SetCountdownStepWait(CCountdown::StepWait wait) { stepWait_ = std::move(wait); }

 private:
  // The one rule of a schedule's start: the current entry at index is
  // running while now lies inside its window. True when it does.
  bool RunIfInside(int index, int64_t now);
  void EndProcessing(int index);
  void CloseMissed(int index, int lateSeconds);
  // Runs the plug-in and finishes or rolls on the entry at index. Returns the
  // entry as it ended (its last times).
  ScheduleEntry FinishOrRoll(int index);
  // Moves the rolled-on entry at index to its sorted place. Returns its new
  // index, or -1 when it was refused and went back as finished with the times
  // of ended.
  int Reinsert(int index, const ScheduleEntry& ended);
  void StartCountdown(const char* caption, int wakeFlag, const SystemTime* wakeTime,
                      ThreadAction done, ThreadAction cancel);
  void Save();
  WakeSettings Settings() const;
  // timer: how the standing timer stands after this tick's WantWakeAt;
  // forecast: what the running schedule's end leads to (nullptr when none runs).
  void UpdateStatus(WakeTimerState timer, const EndForecast* forecast);
  // What the end of the running entry at index will do, were nothing to
  // change until then.
  EndForecast ForecastEndOf(int index) const;
  // The test's time: the clock's, moved on by a played sleep in a dry run.
  int64_t WakeTestNow(int64_t now) const { return now + wakeTestShift_; }
  // Feeds the test at a tick; a result goes to the journal and the view.
  void TickWakeTest(int64_t now);
  // Journals a window's end whose countdown the user stopped.
  void NoteStoppedCountdown(int64_t now);
  // Called with the time now at every tick and resume: when the PC slept
  // over the planned wake and came back after the start it was for, the
  // time the resume took is kept for the diagnosis.
  void NoteWakeAfterSleep(int64_t now);

  CNimbraDoc& doc_;
  IScheduleView& view_;
  IPluginRunner& plugin_;
  CPowerControl& power_;
  ICountdownWindowFactory& windows_;
  const CoreServices services_;
  CNoticeBoard* notices_;
  CJournalRecorder* journal_;
  IWindowNotifier* notifier_;
  int64_t journalSeen_ = -1;  // the start of the window last told as seen
  int64_t countdownAt_ = -1;  // when the last countdown to a power action started
  std::unique_ptr<CCountdown> countdown_;
  // The window whose end countdown_ follows, until its stop is journalled.
  std::optional<JournalWindowRef> countdownFor_;
  CCountdown::StepWait stepWait_;
  bool inTick_ = false;
  WakePlan plan_;
  bool stayingAwake_ = false;
  bool heldForRefusal_ = false;  // kept awake while the wake timer is refused
  int64_t lastSeen_ = -1;          // local seconds of the last tick or resume
  int64_t slowestLateResume_ = -1;
  CWakeSelfTest wakeTest_;
  WakeTestResult lastWakeTest_;
  const CCountdown* wakeTestCountdown_ = nullptr;  // the test's countdown
  int64_t wakeTestShift_ = 0;                       // a dry run's played time
  // What the status text was made from.
  struct StatusKey {
    bool haveWake = false;
    int64_t wakeSeconds = 0;
    bool staying = false;
    WakeTimerState timer = WakeTimerState::kNotNeeded;
    // The running schedule's end, as foretold.
    bool running = false;
    int64_t endSeconds = 0;
    EndStep endStep = EndStep::kSleep;
    SleepMode sleepMode = SleepMode::kStandby;
    int64_t endWake = -1;
    // Whether the status text of o is the same as this one's.
    bool SameText(const StatusKey& o) const {
      return haveWake == o.haveWake && wakeSeconds == o.wakeSeconds && staying == o.staying &&
             running == o.running && endSeconds == o.endSeconds && endStep == o.endStep &&
             sleepMode == o.sleepMode && endWake == o.endWake;
    }
    bool operator==(const StatusKey& o) const { return SameText(o) && timer == o.timer; }
  };
  StatusKey statusKey_;
  std::string statusText_ = NextActionText(WakePlan{});
};
