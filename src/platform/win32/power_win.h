#pragma once
// The Windows power service: waitable timers that resume the system, the
// shutdown privilege, SetSuspendState, ExitWindowsEx, and keeping awake by
// the execution state and a power request. Failures the caller is not told
// of (cancel, keep awake) go to the debug log.
//
// The power request and the timer's reason make the system's own lists
// (powercfg /requests, /waketimers) name the program and the schedule. Those
// calls are newer than the rest: they are resolved at run time, and where one
// is missing or fails (older systems, Wine) the older call alone does the
// work; that is written to the debug log once, not at every request.
#include <windows.h>

#include <mutex>

#include "platform/power.h"
#include "platform/win32/handle.h"

class CDebugLog;

// The power calls that take a reason, newer than the rest (nullptr where the
// system lacks one), and the plain timer call that says whether the timer
// will resume the PC. Tests stand in for them.
struct PowerRequestCalls {
  using CreateFn = HANDLE(WINAPI*)(PREASON_CONTEXT);
  using RequestFn = BOOL(WINAPI*)(HANDLE, POWER_REQUEST_TYPE);
  using SetTimerFn = BOOL(WINAPI*)(HANDLE, const LARGE_INTEGER*, LONG, PTIMERAPCROUTINE, LPVOID,
                                   BOOL);
  using SetTimerExFn = BOOL(WINAPI*)(HANDLE, const LARGE_INTEGER*, LONG, PTIMERAPCROUTINE, LPVOID,
                                     PREASON_CONTEXT, ULONG);
  CreateFn create = nullptr;  // PowerCreateRequest
  RequestFn set = nullptr;    // PowerSetRequest
  RequestFn clear = nullptr;  // PowerClearRequest
  SetTimerFn setTimer = &SetWaitableTimer;
  SetTimerExFn setTimerEx = nullptr;  // SetWaitableTimerEx

  // Those of this system's kernel32.
  static PowerRequestCalls FromKernel32();
};

class Win32Power final : public IPower {
 public:
  explicit Win32Power(CDebugLog& log, PowerRequestCalls calls = PowerRequestCalls::FromKernel32())
      : log_(log), calls_(calls) {}
  ~Win32Power() override;

  bool OpenWakeTimer(const std::string& name, SystemError* error) override;
  bool ArmWakeTimer(int64_t wakeSeconds, const std::string& reason, SystemError* error) override;
  bool CancelWakeTimer() override;
  bool HasWakeTimer() const override;
  bool Suspend(SleepMode mode) override;
  ShutdownResult Shutdown() override;
  void KeepAwake(bool on, const std::string& reason) override;

 private:
  // A set power request with reason, or none (told once why not).
  UniqueHandle SetRequest(const std::string& reason);
  void ClearRequest();
  // Arms the held timer again at due with reason, so that the system's list
  // of wake timers names it (told once where it cannot). Lock held.
  void NameWakeTimer(const LARGE_INTEGER& due, const std::string& reason);

  CDebugLog& log_;
  const PowerRequestCalls calls_;
  // The worker arms the timer while the interface thread may cancel it.
  mutable std::mutex mutex_;
  UniqueHandle timer_;
  bool toldTimerFallback_ = false;  // under mutex_
  // Keeping awake runs on the interface thread only.
  UniqueHandle request_;
  bool toldRequestFallback_ = false;
};
