#include "engine/countdown.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <system_error>

#include "engine/power_control.h"
#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/prompt.h"
#include "schedule/nimbra_doc.h"
#include "schedule/time_rules.h"

namespace {

constexpr const char* kDummyDoneText = "No func setting, then call dummy function1";
constexpr const char* kDummyCancelText = "No func setting, then call dummy function2";

std::optional<std::vector<unsigned char>> CopyArg(const void* arg, size_t len) {
  if (!arg) return std::nullopt;
  const auto* bytes = static_cast<const unsigned char*>(arg);
  return std::vector<unsigned char>(bytes, bytes + len);
}

std::vector<unsigned char> TextArg(const char* text) {
  return std::vector<unsigned char>(text, text + std::strlen(text) + 1);
}

void ActionTrace(ThreadObj* obj, const char* tag, int number) {
  CDebugLog& log = obj->services->log;
  if (log.Level() == 0) return;
  const SystemTime now = obj->services->clock.LocalNow();
  log.Write("%s %d %d:%d:%d.%d\n", tag, number, now.wHour, now.wMinute, now.wSecond, 0);
}

// Logs the exception being handled (call only inside a catch block); the
// log itself may not throw out of the worker either.
void LogWorkerFailure(ThreadObj* obj, const char* what) noexcept {
  try {
    try {
      throw;
    } catch (const std::exception& e) {
      obj->services->log.Write("countdown: %s failed: %s", what, e.what());
    } catch (...) {
      obj->services->log.Write("countdown: %s failed", what);
    }
  } catch (...) {
  }
}

// The worker's last word to its window; returns the worker's exit code.
int PostEnd(ThreadObj* obj, ICountdownWindow* window, bool stopped) noexcept {
  try {
    if (stopped)
      window->PostStopped();
    else
      window->PostCompleted();
  } catch (...) {
    LogWorkerFailure(obj, "telling the window");
  }
  return stopped ? 1 : 0;
}

int RunAction(ThreadObj* obj, ThreadAction action,
              const std::optional<std::vector<unsigned char>>& arg) {
  return action(obj, arg ? static_cast<const void*>(arg->data()) : nullptr);
}

}  // namespace

std::string CountdownText(int stepCount, int step, int stepMs) {
  const int remaining = static_cast<int>((stepCount - step) / (1000.0 / stepMs));
  char text[64];
  std::snprintf(text, sizeof text, "%d秒後に終了します", remaining);
  return text;
}

std::unique_ptr<ThreadObj> ThreadObjInit(CCountdown* owner, CPowerControl* power,
                                         const CoreServices* services, const char* caption,
                                         int seconds, int stepMs, SleepMode powerMode, int wakeFlag,
                                         const SystemTime* wakeTime, ThreadAction done,
                                         const void* doneArg, size_t doneLen, ThreadAction cancel,
                                         const void* cancelArg, size_t cancelLen) {
  auto obj = std::make_unique<ThreadObj>();
  obj->owner = owner;
  obj->power = power;
  obj->services = services;
  obj->stepMs = stepMs > 0 ? stepMs : 1;
  obj->powerMode = powerMode;
  obj->wakeFlag = wakeFlag;
  obj->stepCount = static_cast<int>(seconds * (1000.0 / obj->stepMs));
  if (wakeFlag && wakeTime) obj->wakeTime = *wakeTime;
  if (caption) obj->caption = caption;
  if (done) {
    obj->done = done;
    obj->doneArg = CopyArg(doneArg, doneLen);
  } else {
    obj->done = DummyAction;
    obj->doneArg = TextArg(kDummyDoneText);
  }
  if (cancel) {
    obj->cancel = cancel;
    obj->cancelArg = CopyArg(cancelArg, cancelLen);
  } else {
    obj->cancel = DummyAction;
    obj->cancelArg = TextArg(kDummyCancelText);
  }
  return obj;
}

bool ThreadObjStart(ThreadObj* obj) {
  try {
    obj->thread = std::thread([obj] { obj->exitCode = ThreadExecution(obj); });
  } catch (const std::system_error&) {
    return false;
  }
  if (obj->owner && obj->owner->Window())
    obj->owner->Window()->SetCaption(obj->caption ? *obj->caption : std::string());
  return true;
}

int ThreadExecution(ThreadObj* obj) {
  CCountdown* owner = obj->owner;
  if (!owner) return 0;
  ICountdownWindow* window = owner->Window();
  // No exception may leave the worker: it would end the program. A count
  // that fails is taken as stopped without its action; an action that fails
  // still counts as run. Either way the window hears the end, so it closes.
  bool stopped = false;
  try {
    for (int i = 0; i < obj->stepCount; ++i) {
      window->SetStatusText(CountdownText(obj->stepCount, i, obj->stepMs));
      if (!owner->Step(i, obj->stepCount, obj->stepMs)) {
        // A replaced or destroyed countdown ends quietly: no action, no message.
        if (owner->IsAbandoned()) return 1;
        window->SetStatusText("中止しています");
        stopped = true;
        break;
      }
    }
  } catch (...) {
    LogWorkerFailure(obj, "count");
    if (owner->IsAbandoned()) return 1;
    return PostEnd(obj, window, true);
  }
  if (owner->IsAbandoned()) return 1;
  // The actions run here on the worker, their message boxes included.
  try {
    if (stopped)
      RunAction(obj, obj->cancel, obj->cancelArg);
    else
      RunAction(obj, obj->done, obj->doneArg);
  } catch (...) {
    LogWorkerFailure(obj, "action");
  }
  return PostEnd(obj, window, stopped);
}

void ThreadObjCancel(ThreadObj* obj) {
  if (obj && obj->thread.joinable()) obj->thread.join();
}

void ThreadObjDestory(std::unique_ptr<ThreadObj>& obj) {
  if (!obj) return;
  ThreadObjCancel(obj.get());
  obj.reset();
}

int DummyAction(ThreadObj* obj, const void* text) {
  ActionTrace(obj, text ? static_cast<const char*>(text) : "", 542);
  return 0;
}

int SuspendAction(ThreadObj* obj, const void*) {
  ActionTrace(obj, "Enter sleep or stand-by", 553);
  bool armed = true;
  if (obj->wakeFlag) {
    // The countdown's own wake time was planned ten seconds ago; a schedule
    // entered meanwhile may need an earlier one, which the standing timer
    // already wants.
    const SystemTime w = obj->power->EarlierWake(obj->wakeTime);
    const int64_t now = LocalSecondsNow(obj->services->clock);
    if (TimeToSeconds(w) < now + kSuspendMarginSeconds) {
      obj->services->log.Write("wake time %d s away: not suspending\n",
                               static_cast<int>(TimeToSeconds(w) - now));
      obj->services->prompt.Show("予約の起動時刻が近いため、サスペンドを中止しました", kAppTitle,
                                 PromptButtons::kOk);
      return 0;
    }
    armed = obj->power->TzSetWakeupTimer(w);
    obj->services->log.Write("bRet=%d %d/%d/%d %d:%d:%d\n", armed ? 1 : 0, w.wYear, w.wMonth,
                             w.wDay, w.wHour, w.wMinute, w.wSecond);
  }
  if (armed) obj->power->SuspendSystem(obj->powerMode);
  return armed ? 1 : 0;
}

int SuspendCancelAction(ThreadObj* obj, const void*) {
  ActionTrace(obj, "deny suspend mode", 580);
  obj->services->prompt.Show("サスペンドを中止しました", kAppTitle, PromptButtons::kOk);
  return 0;
}

int ShutdownAction(ThreadObj* obj, const void*) {
  ActionTrace(obj, "shutdown", 592);
  obj->power->ShutdownSystem();
  return 0;
}

int ShutdownCancelAction(ThreadObj* obj, const void*) {
  ActionTrace(obj, "shutdown cancel", 606);
  obj->services->prompt.Show("シャットダウンを中止しました", kAppTitle, PromptButtons::kOk);
  return 0;
}

CCountdown::CCountdown(CPowerControl& power, const CoreServices& services)
    : power_(power), services_(services) {}

CCountdown::~CCountdown() {
  {
    std::lock_guard<std::mutex> lock(waitMutex_);
    abandoned_.store(true);
  }
  wake_.notify_all();
  ThreadObjDestory(obj_);
  if (window_ && !closed_) window_->Close();
  window_.reset();
}

bool CCountdown::Initialize(const char* caption, int seconds, int stepMs, SleepMode powerMode,
                            int wakeFlag, const SystemTime* wakeTime, ThreadAction done,
                            const void* doneArg, size_t doneLen, ThreadAction cancel,
                            const void* cancelArg, size_t cancelLen) {
  if (wakeFlag && !wakeTime) {
    services_.prompt.Show("Thread Initialize failed.", kAppTitle, PromptButtons::kOk);
    return false;
  }
  obj_ = ThreadObjInit(this, &power_, &services_, caption, seconds, stepMs, powerMode, wakeFlag,
                       wakeTime, done, doneArg, doneLen, cancel, cancelArg, cancelLen);
  return obj_ != nullptr;
}

bool CCountdown::Create(ICountdownWindowFactory& factory) {
  if (!obj_ || window_) return false;
  window_ = factory.CreateCountdownWindow(*this);
  if (!window_) return false;
  if (!ThreadObjStart(obj_.get())) {
    services_.log.Write("countdown: the worker thread could not be started");
    window_->Close();
    window_.reset();
    return false;
  }
  return true;
}

void CCountdown::Stop() {
  {
    std::lock_guard<std::mutex> lock(waitMutex_);
    running_.store(0);
  }
  wake_.notify_all();
}

void CCountdown::Finish() {
  ThreadObjDestory(obj_);
  if (window_ && !closed_) window_->Close();
  closed_ = true;
}

bool CCountdown::Step(int step, int stepCount, int stepMs) {
  if (!running_.load() || IsAbandoned()) return false;
  window_->SetProgressRange(0, stepCount);
  window_->SetProgressPos(step);
  WaitStep(stepMs);
  // A stop during the wait counts, the last step's included.
  return running_.load() && !IsAbandoned();
}

void CCountdown::WaitStep(int stepMs) {
  if (stepWait_) {
    stepWait_(stepMs);
    return;
  }
  std::unique_lock<std::mutex> lock(waitMutex_);
  wake_.wait_for(lock, std::chrono::milliseconds(stepMs),
                 [this] { return abandoned_.load() || !running_.load(); });
}
