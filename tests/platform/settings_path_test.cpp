#include "platform/settings_path.h"

#include <gtest/gtest.h>

TEST(SettingsPath, ReplacesOnlyAFinalExeInAnyCase) {
  struct Case {
    const char* module;
    const char* settings;
  };
  const Case cases[] = {
      {"C:\\Tools\\Nimbra.exe", "C:\\Tools\\Nimbra.ini"},
      {"C:\\Tools\\NIMBRA.EXE", "C:\\Tools\\NIMBRA.ini"},
      {"C:\\Tools\\Nimbra.Exe", "C:\\Tools\\Nimbra.ini"},
      {"C:\\my.exe.files\\Nimbra.exe", "C:\\my.exe.files\\Nimbra.ini"},
      {"C:\\my.exe\\Nimbra", "C:\\my.exe\\Nimbra.ini"},
      {"/opt/nimbra/Nimbra", "/opt/nimbra/Nimbra.ini"},
      {"C:\\weird\\.exe", "C:\\weird\\.exe.ini"},  // a file named only ".exe"
      {"Nimbra.exe.bak", "Nimbra.exe.bak.ini"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SettingsPathFor(c.module), c.settings) << c.module;
    EXPECT_NE(SettingsPathFor(c.module), c.module);
  }
}
