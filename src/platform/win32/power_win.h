#pragma once
// The Windows power service: waitable timers that resume the system, the
// shutdown privilege, SetSuspendState, ExitWindowsEx and the execution-state
// request. Failures the caller is not told of (cancel, keep awake) go to the
// debug log.
#include <windows.h>

#include <mutex>

#include "platform/power.h"
#include "platform/win32/handle.h"

class CDebugLog;

class Win32Power final : public IPower {
 public:
  explicit Win32Power(CDebugLog& log) : log_(log) {}

  bool OpenWakeTimer(const std::string& name, uint32_t* error) override;
  bool ArmWakeTimer(int64_t wakeSeconds, uint32_t* error) override;
  bool CancelWakeTimer() override;
  bool HasWakeTimer() const override;
  bool Suspend(int mode) override;
  ShutdownResult Shutdown() override;
  void KeepAwake(bool on) override;

 private:
  // The worker arms the timer while the interface thread may cancel it.
  CDebugLog& log_;
  mutable std::mutex mutex_;
  UniqueHandle timer_;
};
