// No key of the settings file is spelled anywhere in the program's sources
// but in its table (native only: it reads the source tree).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/shared_settings.h"
#include "schedule/settings_file.h"

namespace {

// ---- Keys written only in their tables ----

// Every key and section name of the settings file.
std::set<std::string> SettingsNames() {
  std::set<std::string> names;
  const auto add = [&](const auto& table) {
    names.insert(table.section);
    for (const auto& f : table) names.insert(std::string(FieldKeyName(f.key)));
  };
  add(CAppMngInfo::Fields());
  add(CUserSetParam::Fields());
  add(CUserSetParam::SwitchFields());
  add(StoredEntry::Fields());
  add(StoredEntryCount::Fields());
  add(WakeTestRecord::Fields());
  add(LogSettingsFields());
  add(SMailSettingsFields());
  add(NotifySettings::Fields());
  names.insert(kEpgSection);
  return names;
}

// Where a key may be spelled out: the tables and section names themselves,
// and the benchmarks' generated file, which stands for a file written by
// another program. (Tests write literal files of their own.)
const char* const kAllowed[] = {
    "src/platform/shared_settings.h", "src/platform/shared_settings.cpp",
    "src/schedule/settings_file.h",   "src/schedule/settings_file.cpp",
    "bench/bench_settings.h",
};

TEST(SettingsTables, NoKeyIsSpelledOutsideItsTable) {
  namespace fs = std::filesystem;
  const fs::path root = fs::u8path(NIMBRA_SOURCE_DIR);
  const std::set<std::string> names = SettingsNames();
  std::vector<std::string> found;
  int files = 0;
  for (const char* folder : {"src", "sim", "bench", "fuzz"}) {
    for (const auto& item : fs::recursive_directory_iterator(root / folder)) {
      const std::string ext = item.path().extension().string();
      if (!item.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
      const std::string rel = item.path().lexically_relative(root).generic_string();
      if (std::find(std::begin(kAllowed), std::end(kAllowed), rel) != std::end(kAllowed)) continue;
      ++files;
      std::ifstream in(item.path(), std::ios::binary);
      std::stringstream text;
      text << in.rdbuf();
      const std::string s = text.str();
      for (const std::string& name : names) {
        // A literal key or section: "name", "name[...", "name=...", "[name]",
        // or a line of a literal file, \nname=.
        for (const std::string& spelled :
             {"\"" + name + "\"", "\"" + name + "[", "\"" + name + "=", "[" + name + "]",
              "\\n" + name + "=", "\\n" + name + "["}) {
          if (s.find(spelled) != std::string::npos) found.push_back(rel + ": " + spelled);
        }
      }
    }
  }
  EXPECT_GT(files, 100);
  EXPECT_TRUE(found.empty()) << ::testing::PrintToString(found);
}

}  // namespace
