#include "app/win/program_power.h"

#include <windows.h>

#include "app/power_log.h"
#include "platform/win32/power_win.h"
#include "platform/win32/text_win.h"

std::string PowerLogVariable() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(L"NIMBRA_POWER_LOG", path, MAX_PATH);
  return n > 0 && n < MAX_PATH ? WideToUtf8(path) : std::string();
}

std::string DryRunUnmarkedVariable() {
  wchar_t value[64] = {};
  const DWORD n = GetEnvironmentVariableW(L"NIMBRA_DRYRUN_UNMARKED", value, 64);
  // A value too long for the buffer is set all the same.
  return n == 0 ? std::string() : n < 64 ? WideToUtf8(value) : std::string("1");
}

std::unique_ptr<IPower> MakeProgramPower(const DryRun& dryRun, IPrompt& prompt, CDebugLog& log) {
  if (dryRun.on) return std::make_unique<CPowerLog>(dryRun.logPath, prompt, log);
  return std::make_unique<Win32Power>(log);
}
