#include "platform/win32/system_cause_win.h"

#include "platform/debug_log.h"

SystemCause SystemCauseOf(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS:
      return SystemCause::kNone;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
      return SystemCause::kAccessDenied;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_MOD_NOT_FOUND:
    case ERROR_NOT_FOUND:
      return SystemCause::kNotFound;
    case ERROR_INVALID_HANDLE:
      return SystemCause::kInvalidHandle;
    case ERROR_NOT_SUPPORTED:
    case ERROR_CALL_NOT_IMPLEMENTED:
    case ERROR_PROC_NOT_FOUND:  // a call this system's library lacks
      return SystemCause::kNotSupported;
    case ERROR_ALREADY_EXISTS:
      return SystemCause::kAlreadyExists;
    case ERROR_TIMER_RESUME_IGNORED:
      return SystemCause::kNoResume;
    default:
      return SystemCause::kOther;
  }
}

SystemCause LogSystemCause(CDebugLog& log, const char* call, DWORD code) {
  if (code != ERROR_SUCCESS) log.Write("%s failed (error=%lu)", call, static_cast<unsigned long>(code));
  return SystemCauseOf(code);
}
