#include "app/power_log.h"

#include <cstdio>

#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/prompt.h"

std::string PowerLogFailedText(const std::string& pathUtf8) {
  return "ドライランの記録ファイルに書き込めませんでした。\n" + pathUtf8 +
         "\n\nドライランなので電源の操作は行いませんが、その記録も残りません。"
         "フォルダーに書き込めるかを確かめてください（環境変数 NIMBRA_POWER_LOG で"
         "別のファイルを指定することもできます）。";
}

void CPowerLog::WriteLine(const std::string& line) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (UniqueFile f{OpenFile(path_, "a")}) {
      std::fprintf(f.get(), "%s\n", line.c_str());
      writeFailure_.Worked();
      return;
    }
    if (!writeFailure_.Failed()) return;
  }
  log_.Write("dry run: cannot write the power log %s (\"%s\" not recorded)\n", path_.c_str(),
             line.c_str());
  (void)prompt_.Show(PowerLogFailedText(path_), "Nimbra", PromptButtons::kOk);
}

void CPowerLog::Write(const std::string& what, int64_t value) {
  WriteLine(what + " " + std::to_string(value));
}

void CPowerLog::WriteText(const char* what, const std::string& text) {
  WriteLine(std::string(what) + " " + text);
}

bool CPowerLog::OpenWakeTimer(const std::string& name, SystemError* error) {
  Write("open", 0);
  return record_.OpenWakeTimer(name, error);
}

bool CPowerLog::ArmWakeTimer(int64_t wakeSeconds, const std::string& reason, SystemError* error) {
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
  const bool ok = record_.Suspend(mode);
  if (onSuspend_) onSuspend_();
  return ok;
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
