#pragma once
// The system's error numbers as the causes the rest of the program knows.
#include <windows.h>

#include "platform/system_cause.h"

// The system's answer for a timer that is set but will not resume the PC;
// the cross-compiler's headers lack it.
#ifndef ERROR_TIMER_RESUME_IGNORED
#define ERROR_TIMER_RESUME_IGNORED 722L
#endif

class CDebugLog;

// The cause for a last-error or registry code (ERROR_SUCCESS: kNone).
SystemCause SystemCauseOf(DWORD code);

// The cause for code; when it is not ERROR_SUCCESS, first writes
// "<call> failed (error=N)" to log (nothing when the log is off).
SystemCause LogSystemCause(CDebugLog& log, const char* call, DWORD code);
