#include "platform/win32/last_error.h"

#include "platform/debug_log.h"

bool LogIfFailed(bool ok, CDebugLog& log, const char* call) {
  if (ok) return true;
  const DWORD error = GetLastError();
  log.Write("%s failed (error=%lu)", call, static_cast<unsigned long>(error));
  return false;
}
