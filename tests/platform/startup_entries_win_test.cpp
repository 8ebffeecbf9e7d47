// The user's Run key, in the scratch Wine prefix only.
#include "platform/startup_entries.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

TEST(RunKey, AValueIsWrittenReadAndRemovedAndRemovingAnAbsentOneSucceeds) {
  IStartupEntries& entries = SystemStartupEntries();
  // A name of this process only, so that no other value is touched.
  const std::string name = "NimbraTest-" + std::to_string(GetCurrentProcessId());
  const std::string command = "\"C:\\Program Files\\録画\\Nimbra.exe\" /tray";
  ASSERT_EQ(0u, entries.Write(name, command));
  const StartupReading read = entries.Read(name);
  EXPECT_EQ(0u, read.error);
  EXPECT_EQ(command, read.command);
  EXPECT_EQ(0u, entries.Remove(name));
  EXPECT_FALSE(entries.Read(name).command);
  EXPECT_EQ(0u, entries.Remove(name));
}

}  // namespace
