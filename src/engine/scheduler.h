#pragma once
// The scheduler: five times a second it follows the current schedule (the
// unfinished entry with the earliest start). Inside the schedule's window the
// entry runs and the PC is kept awake; in its end second the plug-in runs for
// it, the entry is finished or moved on to its next occurrence, and the end
// countdown starts, which suspends the PC with the wake-up timer armed for
// the following schedule, or shuts it down when nothing follows. Also the
// manual suspend command and the test the frame's power handling asks.
//
// Everything here runs on the interface thread; only the countdown's worker
// runs elsewhere.
#include <memory>

#include "engine/countdown.h"
#include "schedule/schedule_entry.h"

class CNimbraDoc;
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
};

// Runs the plug-in for one schedule (CPluginHost). Tells the user itself when
// it cannot; the end processing goes on either way.
class IPluginRunner {
 public:
  virtual ~IPluginRunner() = default;
  // The plug-in reads its own copy of entry, never the table's.
  virtual void RunPlugin(const char* name, const ScheduleEntry& entry) = 0;
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

  CScheduler(CNimbraDoc& doc, IScheduleView& view, IPluginRunner& plugin, CPowerControl& power,
             ICountdownWindowFactory& windows);
  // Drops the keep-awake request, cancels the wake-up timer and ends a
  // running countdown without its actions.
  ~CScheduler();
  CScheduler(const CScheduler&) = delete;
  CScheduler& operator=(const CScheduler&) = delete;

  // Starts the tick (the view's first update), and the one-shot import of
  // the command-line file when the program was started with one.
  void StartTimers(bool importCommandLineFile);
  // The view's timer handler. True when the framework's default handling
  // should follow (the import timer and timers that are not ours).
  bool OnTimer(unsigned id);
  // One look at the current schedule (what timer 1234 does between kill and set).
  void Tick();
  // The manual suspend command; noConfirm skips both questions (the frame's
  // power handling).
  void SuspendNow(bool noConfirm);
  // Whether suspending now leaves a schedule to wake up for. Changes nothing.
  bool HasFollowingSchedule() const;

  // The countdown started last (nullptr when none).
  CCountdown* Countdown() { return countdown_.get(); }
  // How new countdowns wait per step (tests count without sleeping).
  void SetCountdownStepWait(CCountdown::StepWait wait) { stepWait_ = std::move(wait); }

 private:
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

  CNimbraDoc& doc_;
  IScheduleView& view_;
  IPluginRunner& plugin_;
  CPowerControl& power_;
  ICountdownWindowFactory& windows_;
  std::unique_ptr<CCountdown> countdown_;
  CCountdown::StepWait stepWait_;
};
