// The dry run's power log in a folder it cannot write to.
#include "app/power_log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/debug_log.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace {

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Told once, in the debug log and to the user, until a line is written
// again; then a new failure is told again. (A folder that is not there
// refuses the file as a read-only one does, also to an administrator.)
TEST(PowerLog, ALogThatCannotBeWrittenIsToldOnceUntilItIsWrittenAgain) {
  ScratchDir dir;
  ScriptedPrompt prompt;
  CDebugLog debugLog(dir.File("dbg_print.log"));
  debugLog.SetLevel(1);
  const std::filesystem::path folder = std::filesystem::u8path(dir.File("dryrun"));
  const std::string path = (folder / "Nimbra-dryrun.log").u8string();
  CPowerLog power(path, prompt, debugLog);
  SystemError error;

  power.KeepAwake(true, "r");
  (void)power.ArmWakeTimer(100, "r", &error);
  (void)power.Suspend(SleepMode::kHibernate);
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{PowerLogFailedText(path)});
  EXPECT_EQ(Count(ReadAll(dir.File("dbg_print.log")), "cannot write the power log"), 1u);

  std::filesystem::create_directory(folder);
  power.KeepAwake(false, "");
  EXPECT_EQ(ReadAll(path).rfind("awake 0", 0), 0u);
  EXPECT_EQ(prompt.Texts().size(), 1u);

  std::filesystem::remove_all(folder);
  (void)power.Suspend(SleepMode::kStandby);
  EXPECT_EQ(prompt.Texts().size(), 2u);
  EXPECT_EQ(Count(ReadAll(dir.File("dbg_print.log")), "cannot write the power log"), 2u);
}

}  // namespace
