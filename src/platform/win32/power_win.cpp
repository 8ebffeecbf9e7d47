#include "platform/win32/power_win.h"

#include <powrprof.h>

#include <string>
#include <utility>

#include "platform/debug_log.h"
#include "platform/win32/kernel32_function.h"
#include "platform/win32/last_error.h"
#include "platform/win32/system_cause_win.h"
#include "platform/win32/text_win.h"

namespace {

// A reason as the system keeps it: a simple string, which must live as long
// as the call that takes it.
struct Reason {
  explicit Reason(const std::string& utf8) : text(Utf8ToWide(utf8)) {
    context.Version = POWER_REQUEST_CONTEXT_VERSION;
    context.Flags = POWER_REQUEST_CONTEXT_SIMPLE_STRING;
    context.Reason.SimpleReasonString = text.data();
  }
  std::wstring text;
  REASON_CONTEXT context{};
};

// Opens the process token and enables the shutdown privilege. Returns how
// far it got; the token handle is closed on the way out.
ShutdownResult EnableShutdownPrivilege() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
    return ShutdownResult::kTokenFailed;
  UniqueHandle token(raw);
  TOKEN_PRIVILEGES tp{};
  tp.PrivilegeCount = 1;
  tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &tp.Privileges[0].Luid))
    return ShutdownResult::kPrivilegeFailed;
  // Succeeds also when the privilege is not held; then the last error says so.
  SetLastError(ERROR_SUCCESS);
  if (!AdjustTokenPrivileges(token.get(), FALSE, &tp, 0, nullptr, nullptr) ||
      GetLastError() != ERROR_SUCCESS)
    return ShutdownResult::kPrivilegeFailed;
  return ShutdownResult::kOk;
}

}  // namespace

PowerRequestCalls PowerRequestCalls::FromKernel32() {
  PowerRequestCalls calls;
  calls.create = Kernel32Function<CreateFn>("PowerCreateRequest");
  calls.set = Kernel32Function<RequestFn>("PowerSetRequest");
  calls.clear = Kernel32Function<RequestFn>("PowerClearRequest");
  calls.setTimerEx = Kernel32Function<SetTimerExFn>("SetWaitableTimerEx");
  return calls;
}

Win32Power::~Win32Power() { ClearRequest(); }

bool Win32Power::OpenWakeTimer(const std::string& name, SystemError* error) {
  const std::wstring wname = SjisToWide(name);  // as the settings file keeps it
  SetLastError(ERROR_SUCCESS);
  HANDLE h = CreateWaitableTimerW(nullptr, FALSE, name.empty() ? nullptr : wname.c_str());
  const DWORD code = GetLastError();
  *error = SystemError{LogSystemCause(log_, "CreateWaitableTimerW", code), code};
  if (!h) return false;
  if (code == ERROR_ALREADY_EXISTS) {
    // Another program's timer: closing our handle leaves its arming alone;
    // cancelling it would stop that program's wake.
    CloseHandle(h);
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  timer_.reset(h);
  return true;
}

bool Win32Power::ArmWakeTimer(int64_t wakeSeconds, const std::string& reason,
                              SystemError* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!timer_) {
    *error = SystemError{SystemCause::kInvalidHandle, ERROR_INVALID_HANDLE};
    return false;
  }
  // A positive due time is an absolute UTC time. A relative one does not
  // count down while the PC sleeps, so it would never wake it.
  LARGE_INTEGER due;
  due.QuadPart = CalendarSecondsToFileTime(wakeSeconds);
  SetLastError(ERROR_SUCCESS);
  const BOOL ok = calls_.setTimer(timer_.get(), &due, 0, nullptr, nullptr, TRUE);
  const DWORD code = GetLastError();
  // A success can still say that the timer will not resume the PC.
  *error = SystemError{LogSystemCause(log_, ok ? "SetWaitableTimer's resume" : "SetWaitableTimer", code),
                       code};
  // Only a timer that will resume the PC is worth naming in the system's
  // list (where the machine cannot resume, the plain call says so and the
  // reasoned one would not).
  if (ok && code == ERROR_SUCCESS) NameWakeTimer(due, reason);
  return ok != FALSE;
}

void Win32Power::NameWakeTimer(const LARGE_INTEGER& due, const std::string& reason) {
  if (!calls_.setTimerEx) {
    if (!std::exchange(toldTimerFallback_, true))
      log_.Write("SetWaitableTimerEx is missing: the wake timer is armed without a reason");
    return;
  }
  // A reason makes it a timer that resumes the PC, as the plain arming is.
  Reason why(reason);
  SetLastError(ERROR_SUCCESS);
  if (calls_.setTimerEx(timer_.get(), &due, 0, nullptr, nullptr, &why.context, 0)) return;
  const DWORD error = GetLastError();
  if (!std::exchange(toldTimerFallback_, true))
    log_.Write("SetWaitableTimerEx failed (error=%lu): the wake timer is armed without a reason",
               static_cast<unsigned long>(error));
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

bool Win32Power::Suspend(SleepMode mode) {
  // Without the privilege the call below fails and says so.
  (void)EnableShutdownPrivilege();
  return SetSuspendState(mode == SleepMode::kHibernate ? TRUE : FALSE, TRUE, FALSE) != FALSE;
}

ShutdownResult Win32Power::Shutdown() {
  const ShutdownResult r = EnableShutdownPrivilege();
  if (r != ShutdownResult::kOk) return r;
  if (!ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0)) return ShutdownResult::kExitFailed;
  return ShutdownResult::kOk;
}

void Win32Power::KeepAwake(bool on, const std::string& reason) {
  const EXECUTION_STATE state = on ? (ES_CONTINUOUS | ES_SYSTEM_REQUIRED) : ES_CONTINUOUS;
  LogIfFailed(SetThreadExecutionState(state) != 0, log_, "SetThreadExecutionState");
  // A request is counted: asking afresh takes a new one, set before the old
  // one is cleared so that the PC is never without one in between.
  UniqueHandle fresh;
  if (on) fresh = SetRequest(reason);
  ClearRequest();
  request_ = std::move(fresh);
}

UniqueHandle Win32Power::SetRequest(const std::string& reason) {
  if (!calls_.create || !calls_.set || !calls_.clear) {
    if (!std::exchange(toldRequestFallback_, true))
      log_.Write("PowerCreateRequest is missing: kept awake by the execution state only");
    return {};
  }
  Reason why(reason);
  SetLastError(ERROR_SUCCESS);
  HANDLE raw = calls_.create(&why.context);
  if (raw == INVALID_HANDLE_VALUE || !raw) {
    const DWORD error = GetLastError();
    if (!std::exchange(toldRequestFallback_, true))
      log_.Write("PowerCreateRequest failed (error=%lu): kept awake by the execution state only",
                 static_cast<unsigned long>(error));
    return {};
  }
  UniqueHandle request(raw);
  SetLastError(ERROR_SUCCESS);
  if (!calls_.set(request.get(), PowerRequestSystemRequired)) {
    const DWORD error = GetLastError();
    if (!std::exchange(toldRequestFallback_, true))
      log_.Write("PowerSetRequest failed (error=%lu): kept awake by the execution state only",
                 static_cast<unsigned long>(error));
    return {};
  }
  return request;
}

void Win32Power::ClearRequest() {
  if (!request_) return;
  LogIfFailed(calls_.clear(request_.get(), PowerRequestSystemRequired) != FALSE, log_,
              "PowerClearRequest");
  request_.reset();
}
