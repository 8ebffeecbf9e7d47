// Joining and splitting paths whose folder names end in a character whose
// Shift-JIS form ends in the byte of '\' (表, ソ, 予, 能, 十): a path is text,
// so such a name never reads as ending in a separator.
#include "platform/program_path.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file.h"
#include "platform/settings_path.h"
#include "platform/text.h"
#include "support/scratch_dir.h"

namespace {

const char* const kNames[] = {"番組表", "ソ", "予", "機能", "十"};

TEST(ProgramPath, JoinsAndSplitsFolderNamesEndingInTheSeparatorsByte) {
  const std::string base = TempDirectory();
  for (const char* utf8 : kNames) {
    const std::string name = Utf8ToPathText(utf8);
    const std::string dir = JoinPath(base, name);
    EXPECT_EQ(DirectoryOf(dir), base) << utf8;
    const std::string dll = JoinPath(dir, "Pelluxdlg.dll");
    EXPECT_EQ(DirectoryOf(dll), dir) << utf8;
    EXPECT_NE(dll, dir + "Pelluxdlg.dll") << utf8;
    // A folder given with its separator gets no second one.
    EXPECT_EQ(JoinPath(JoinPath(dir, ""), "Pelluxdlg.dll"), dll) << utf8;
    // A program named after the folder keeps its settings file beside it.
    EXPECT_EQ(SettingsPathFor(JoinPath(dir, name + ".exe")), JoinPath(dir, name + ".ini")) << utf8;
  }
}

TEST(ProgramPath, AFileWrittenByAJoinedPathLandsInTheRealFolder) {
  const ScratchDir scratch;
  for (const char* utf8 : kNames) {
    const std::string dir = scratch.File(Utf8ToPathText(utf8));
    std::filesystem::create_directory(std::filesystem::u8path(PathTextToUtf8(dir)));
    WriteAll(JoinPath(dir, "default.pl"), "x");
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(PathTextToUtf8(dir)) / "default.pl"))
        << utf8;
  }
}

}  // namespace
