#pragma once
// One way to report a failed Win32 call that the program goes on after: the
// system's last-error code is read at once, before anything else can change
// it, and written to the debug log with the call's name.
#include <windows.h>

class CDebugLog;

// Returns ok. When the call failed, writes "<call> failed (error=N)" with
// GetLastError() to log (nothing when the log is off).
bool LogIfFailed(bool ok, CDebugLog& log, const char* call);
