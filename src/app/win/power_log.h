#pragma once
// A power service that only writes down what it was asked, one line per
// request, to a text file. The program uses it instead of the real one when
// the environment variable NIMBRA_POWER_LOG names such a file, so that its
// end-to-end tests run a schedule's end without putting the machine to sleep.
#include <memory>
#include <mutex>
#include <string>

#include "platform/power.h"
#include "platform/recording_power.h"

class CPowerLog final : public IPower {
 public:
  explicit CPowerLog(std::string path) : path_(std::move(path)) {}

  bool OpenWakeTimer(const std::string& name, uint32_t* error) override;
  bool ArmWakeTimer(int64_t wakeSeconds, uint32_t* error) override;
  bool CancelWakeTimer() override;
  bool HasWakeTimer() const override;
  bool Suspend(int mode) override;
  ShutdownResult Shutdown() override;
  void KeepAwake(bool on) override;

 private:
  void Write(const std::string& what, int64_t value);
  std::string path_;
  std::mutex mutex_;
  RecordingPower record_;
};

// The power service of the program: the machine's, or the log above when
// NIMBRA_POWER_LOG is set.
std::unique_ptr<IPower> MakeProgramPower();
