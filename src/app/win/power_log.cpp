#include "app/win/power_log.h"

#include <windows.h>

#include <cstdio>

#include "platform/file.h"
#include "platform/win32/power_win.h"
#include "platform/win32/text_win.h"

void CPowerLog::Write(const std::string& what, int64_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (UniqueFile f{OpenFile(path_, "a")}) {
    std::fprintf(f.get(), "%s %lld\n", what.c_str(), static_cast<long long>(value));
  }
}

void CPowerLog::WriteText(const char* what, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (UniqueFile f{OpenFile(path_, "a")}) std::fprintf(f.get(), "%s %s\n", what, text.c_str());
}

bool CPowerLog::OpenWakeTimer(const std::string& name, uint32_t* error) {
  Write("open", 0);
  return record_.OpenWakeTimer(name, error);
}

bool CPowerLog::ArmWakeTimer(int64_t wakeSeconds, const std::string& reason, uint32_t* error) {
  Write("arm", wakeSeconds);
  WriteText("arm-reason", reason);
  return record_.ArmWakeTimer(wakeSeconds, reason, error);
}

bool CPowerLog::CancelWakeTimer() {
  Write("cancel", 0);
  return record_.CancelWakeTimer();
}

bool CPowerLog::HasWakeTimer() const { return record_.HasWakeTimer(); }

bool CPowerLog::Suspend(SleepMode mode) {
  Write("suspend", mode == SleepMode::kHibernate ? 1 : 0);  // the log's lines as they always read
  return record_.Suspend(mode);
}

ShutdownResult CPowerLog::Shutdown() {
  Write("shutdown", 0);
  return record_.Shutdown();
}

void CPowerLog::KeepAwake(bool on, const std::string& reason) {
  Write("awake", on ? 1 : 0);
  if (on) WriteText("awake-reason", reason);
  record_.KeepAwake(on, reason);
}

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

std::unique_ptr<IPower> MakeProgramPower(const DryRun& dryRun, CDebugLog& log) {
  if (dryRun.on) return std::make_unique<CPowerLog>(dryRun.logPath);
  return std::make_unique<Win32Power>(log);
}
