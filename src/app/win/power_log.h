#pragma once
// A power service that only writes down what it was asked, one line per
// request, to a text file: the dry run's power service. The program uses it
// instead of the real one when started with /dryrun or when the environment
// variable NIMBRA_POWER_LOG names such a file, so that a schedule's end can be
// tried out (and the end-to-end tests run) without putting the machine to
// sleep.
#include <memory>
#include <mutex>
#include <string>

#include "app/program_options.h"
#include "platform/power.h"
#include "platform/recording_power.h"

class CDebugLog;

class CPowerLog final : public IPower {
 public:
  explicit CPowerLog(std::string path) : path_(std::move(path)) {}

  bool OpenWakeTimer(const std::string& name, uint32_t* error) override;
  bool ArmWakeTimer(int64_t wakeSeconds, const std::string& reason, uint32_t* error) override;
  bool CancelWakeTimer() override;
  bool HasWakeTimer() const override;
  bool Suspend(SleepMode mode) override;
  ShutdownResult Shutdown() override;
  void KeepAwake(bool on, const std::string& reason) override;

 private:
  void Write(const std::string& what, int64_t value);
  // A line "<what> <text>" (the reasons: "arm-reason", "awake-reason").
  void WriteText(const char* what, const std::string& text);
  std::string path_;
  std::mutex mutex_;
  RecordingPower record_;
};

// The value of NIMBRA_POWER_LOG, "" when it is not set.
std::string PowerLogVariable();
// The value of NIMBRA_DRYRUN_UNMARKED, "" when it is not set.
std::string DryRunUnmarkedVariable();
// The power service of the program: the log above during a dry run, else the
// machine's, which writes what it cannot do to log.
std::unique_ptr<IPower> MakeProgramPower(const DryRun& dryRun, CDebugLog& log);
