// The user's Run key, in the scratch Wine prefix only.
#include "platform/startup_entries.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include <string>

#include "platform/debug_log.h"

namespace {

TEST(RunKey, AValueIsWrittenReadAndRemovedAndRemovingAnAbsentOneSucceeds) {
  CDebugLog log;
  const std::unique_ptr<IStartupEntries> run = MakeSystemStartupEntries(log);
  IStartupEntries& entries = *run;
  // A name of this process only, so that no other value is touched.
  const std::string name = "NimbraTest-" + std::to_string(GetCurrentProcessId());
  const std::string command = "\"C:\\Program Files\\録画\\Nimbra.exe\" /tray";
  ASSERT_EQ(SystemCause::kNone, entries.Write(name, command));
  const StartupReading read = entries.Read(name);
  EXPECT_EQ(SystemCause::kNone, read.cause);
  EXPECT_EQ(command, read.command);
  EXPECT_EQ(SystemCause::kNone, entries.Remove(name));
  EXPECT_FALSE(entries.Read(name).command);
  EXPECT_EQ(SystemCause::kNone, entries.Remove(name));
}

}  // namespace
