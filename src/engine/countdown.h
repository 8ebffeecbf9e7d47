#pragma once
// The end countdown: a cancellable count of some seconds, shown in a small
// window, after which a worker thread runs the end action (suspend or shut
// down) or, when the user stopped it, the matching cancel action.
//
// The window itself is the Win32 dialog CProgressSubDlg; the count, the
// worker and the actions are here, so that tests can run them with a fake
// window. CCountdown owns both its worker (ThreadObj) and its window.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/core_services.h"
#include "platform/sleep_mode.h"
#include "platform/system_time.h"

class CCountdown;
class CPowerControl;

// What the worker needs of the countdown's window. CProgressSubDlg
// implements it: progress bar 1003, static text 1006, button 1009 "中止".
class ICountdownWindow {
 public:
  // Destroys the window if it is still open (interface thread).
  virtual ~ICountdownWindow() = default;

  // Called on the worker thread. None of them may wait for the interface
  // thread (post, never send): that thread may be waiting for the worker to
  // end when a countdown is replaced.
  virtual void SetProgressRange(int low, int high) = 0;
  virtual void SetProgressPos(int pos) = 0;
  virtual void SetStatusText(const std::string& utf8) = 0;
  // The worker's last call: the count completed (WM_USER+1) or was stopped
  // (WM_USER+2), and its action has run. On either the window calls
  // CCountdown::Finish on the interface thread, which closes it.
  virtual void PostCompleted() = 0;
  virtual void PostStopped() = 0;

  // Called on the interface thread.
  virtual void SetCaption(const std::string& utf8) = 0;
  // Destroys the window; the object stays until its countdown goes.
  virtual void Close() = 0;
};

class ICountdownWindowFactory {
 public:
  virtual ~ICountdownWindowFactory() = default;
  // Creates and shows the modeless window for countdown (no parent, Enter
  // and Escape swallowed, no system menu); nullptr when it cannot. The window
  // calls countdown.Stop() for its "中止" button.
  virtual std::unique_ptr<ICountdownWindow> CreateCountdownWindow(CCountdown& countdown) = 0;
};

struct ThreadObj;
// An end action. arg is the action's own argument copy, or nullptr.
using ThreadAction = int (*)(ThreadObj* obj, const void* arg);

// One countdown's worker and what it hands its actions.
struct ThreadObj {
  std::thread thread;               // the worker, joined by ThreadObjCancel
  CCountdown* owner = nullptr;      // the countdown whose window it drives
  int stepCount = 0;                // seconds x steps per second
  int stepMs = 0;
  ThreadAction done = nullptr;
  std::optional<std::vector<unsigned char>> doneArg;
  ThreadAction cancel = nullptr;
  std::optional<std::vector<unsigned char>> cancelArg;
  SleepMode powerMode = SleepMode::kStandby;
  SystemTime wakeTime{};            // a copy: the table may change meanwhile
  int wakeFlag = 0;                 // arm the wake-up timer before suspending
  std::optional<std::string> caption;
  CPowerControl* power = nullptr;   // what the actions act through
  const CoreServices* services = nullptr;  // what they tell and log through
  int exitCode = 0;                 // 1 stopped by the user, 0 completed
};

// Builds a countdown's worker record. wakeTime is kept only with wakeFlag;
// a missing action becomes DummyAction with its dummy text as argument.
// services must outlive the record (the countdown's own copy does).
std::unique_ptr<ThreadObj> ThreadObjInit(CCountdown* owner, CPowerControl* power,
                                         const CoreServices* services, const char* caption,
                                         int seconds, int stepMs, SleepMode powerMode, int wakeFlag,
                                         const SystemTime* wakeTime, ThreadAction done,
                                         const void* doneArg, size_t doneLen, ThreadAction cancel,
                                         const void* cancelArg, size_t cancelLen);
// Starts ThreadExecution on a new thread and sets the window's caption.
[[nodiscard]] bool ThreadObjStart(ThreadObj* obj);
// The worker: counts, runs the done or cancel action and tells the window.
int ThreadExecution(ThreadObj* obj);
// Waits without a time limit for the worker to end.
void ThreadObjCancel(ThreadObj* obj);
void ThreadObjDestory(std::unique_ptr<ThreadObj>& obj);

// The end actions; each writes a trace line to the debug log first.
int DummyAction(ThreadObj* obj, const void* text);
// Suspends, with the wake-up timer when the countdown has a wake time (or
// the standing timer's wake when the plan has an earlier one now). A
// wake time less than kSuspendMarginSeconds ahead when the countdown ends
// (it came while the countdown ran, or the suspend was asked for inside the
// wake lead) suspends nothing: a timer due by then fires before the PC is
// asleep, and the PC would sleep through the start.
inline constexpr int64_t kSuspendMarginSeconds = 60;
int SuspendAction(ThreadObj* obj, const void* arg);
int SuspendCancelAction(ThreadObj* obj, const void* arg);
int ShutdownAction(ThreadObj* obj, const void* arg);
int ShutdownCancelAction(ThreadObj* obj, const void* arg);

// The status text shown while step i of n (each stepMs long) is counted.
std::string CountdownText(int stepCount, int step, int stepMs);

class CCountdown {
 public:
  // services: the clock, the prompt and the log the actions use.
  CCountdown(CPowerControl& power, const CoreServices& services);
  // Stops a worker that is still counting without running either action,
  // waits for it and closes the window.
  ~CCountdown();
  CCountdown(const CCountdown&) = delete;
  CCountdown& operator=(const CCountdown&) = delete;

  // Sets up the count; with wakeFlag, wakeTime is the time to wake at and is
  // copied. False after "Thread Initialize failed." when wakeFlag comes
  // without a wake time.
  [[nodiscard]] bool Initialize(const char* caption, int seconds, int stepMs, SleepMode powerMode,
                                int wakeFlag, const SystemTime* wakeTime, ThreadAction done,
                                const void* doneArg, size_t doneLen, ThreadAction cancel,
                                const void* cancelArg, size_t cancelLen);
  // Creates the window and starts counting. False when there is no window or
  // no worker; nothing is counting then.
  [[nodiscard]] bool Create(ICountdownWindowFactory& factory);

  // The "中止" button: the worker stops at its next step and runs the cancel
  // action.
  void Stop();
  // The window got "completed" or "stopped": waits for the worker, frees it
  // and closes the window. Again later does nothing.
  void Finish();

  bool IsRunning() const { return running_.load(); }
  // The countdown is being destroyed: a step wait of its own should end now.
  bool IsAbandoned() const { return abandoned_.load(); }
  ICountdownWindow* Window() { return window_.get(); }
  const ThreadObj* Worker() const { return obj_.get(); }

  // How a step waits. The default sleeps stepMs, waking early when the
  // countdown is stopped or abandoned; tests may count without sleeping. A
  // wait that blocks must end once IsAbandoned() is true.
  using StepWait = std::function<void(int stepMs)>;
  void SetStepWait(StepWait wait) { stepWait_ = std::move(wait); }

 private:
  friend int ThreadExecution(ThreadObj* obj);
  // One step of the count: false when the user stopped it or it was abandoned.
  bool Step(int step, int stepCount, int stepMs);
  void WaitStep(int stepMs);

  CPowerControl& power_;
  const CoreServices services_;
  std::unique_ptr<ThreadObj> obj_;
  std::unique_ptr<ICountdownWindow> window_;
  bool closed_ = false;  // the window was told to close
  std::atomic<int> running_{1};
  std::atomic<bool> abandoned_{false};
  std::mutex waitMutex_;
  std::condition_variable wake_;
  StepWait stepWait_;
};
