#include "platform/win32/power_win.h"

#include <powrprof.h>

#include "platform/win32/last_error.h"
#include "platform/win32/text_win.h"

namespace {

// Opens the process token and enables the shutdown privilege. Returns how
// far it got; the token handle is closed on the way out.
ShutdownResult EnableShutdownPrivilege() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
    return ShutdownResult::TokenFailed;
  UniqueHandle token(raw);
  TOKEN_PRIVILEGES tp{};
  tp.PrivilegeCount = 1;
  tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &tp.Privileges[0].Luid))
    return ShutdownResult::PrivilegeFailed;
  // Succeeds also when the privilege is not held; then the last error says so.
  SetLastError(ERROR_SUCCESS);
  if (!AdjustTokenPrivileges(token.get(), FALSE, &tp, 0, nullptr, nullptr) ||
      GetLastError() != ERROR_SUCCESS)
    return ShutdownResult::PrivilegeFailed;
  return ShutdownResult::Ok;
}

}  // namespace

bool Win32Power::OpenWakeTimer(const std::string& name, uint32_t* error) {
  const std::wstring wname = SjisToWide(name);  // as the settings file keeps it
  SetLastError(ERROR_SUCCESS);
  HANDLE h = CreateWaitableTimerW(nullptr, FALSE, name.empty() ? nullptr : wname.c_str());
  *error = GetLastError();
  if (!h) return false;
  if (*error == ERROR_ALREADY_EXISTS) {
    // Another program's timer: closing our handle leaves its arming alone;
    // cancelling it would stop that program's wake.
    CloseHandle(h);
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  timer_.reset(h);
  return true;
}

bool Win32Power::ArmWakeTimer(int64_t wakeSeconds, uint32_t* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!timer_) {
    *error = ERROR_INVALID_HANDLE;
    return false;
  }
  // A positive due time is an absolute UTC time. A relative one does not
  // count down while the PC sleeps, so it would never wake it.
  LARGE_INTEGER due;
  due.QuadPart = CalendarSecondsToFileTime(wakeSeconds);
  SetLastError(ERROR_SUCCESS);
  const BOOL ok = SetWaitableTimer(timer_.get(), &due, 0, nullptr, nullptr, TRUE);
  *error = GetLastError();
  return ok != FALSE;
}

bool Win32Power::CancelWakeTimer() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!timer_) return false;
  LogIfFailed(CancelWaitableTimer(timer_.get()) != FALSE, log_, "CancelWaitableTimer");
  timer_.reset();
  return true;
}

bool Win32Power::HasWakeTimer() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<bool>(timer_);
}

bool Win32Power::Suspend(int mode) {
  // Without the privilege the call below fails and says so.
  (void)EnableShutdownPrivilege();
  return SetSuspendState(mode == 1 ? TRUE : FALSE, TRUE, FALSE) != FALSE;
}

ShutdownResult Win32Power::Shutdown() {
  const ShutdownResult r = EnableShutdownPrivilege();
  if (r != ShutdownResult::Ok) return r;
  if (!ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0)) return ShutdownResult::ExitFailed;
  return ShutdownResult::Ok;
}

void Win32Power::KeepAwake(bool on) {
  const EXECUTION_STATE state = on ? (ES_CONTINUOUS | ES_SYSTEM_REQUIRED) : ES_CONTINUOUS;
  LogIfFailed(SetThreadExecutionState(state) != 0, log_, "SetThreadExecutionState");
}
