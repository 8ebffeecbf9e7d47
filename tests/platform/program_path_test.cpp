// Joining and splitting paths whose folder names end in a character whose
// Shift-JIS form ends in the byte of '\' (表, ソ, 予, 能, 十): a path is text,
// so such a name never reads as ending in a separator.
#include "platform/program_path.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file.h"
#include "platform/settings_path.h"
#include "support/scratch_dir.h"

namespace {

const char* const kNames[] = {"番組表", "ソ", "予", "機能", "十"};

TEST(ProgramPath, JoinsAndSplitsFolderNamesEndingInTheSeparatorsByte) {
  const std::string base = TempDirectory();
  for (const std::string name : kNames) {
    const std::string dir = JoinPath(base, name);
    EXPECT_EQ(DirectoryOf(dir), base) << name;
    const std::string dll = JoinPath(dir, "Pelluxdlg.dll");
    EXPECT_EQ(DirectoryOf(dll), dir) << name;
    EXPECT_NE(dll, dir + "Pelluxdlg.dll") << name;
    // A folder given with its separator gets no second one.
    EXPECT_EQ(JoinPath(JoinPath(dir, ""), "Pelluxdlg.dll"), dll) << name;
    // A program named after the folder keeps its settings file beside it.
    EXPECT_EQ(SettingsPathFor(JoinPath(dir, name + ".exe")), JoinPath(dir, name + ".ini")) << name;
  }
}

TEST(ProgramPath, AFileWrittenByAJoinedPathLandsInTheRealFolder) {
  const ScratchDir scratch;
  for (const std::string name : kNames) {
    const std::string dir = scratch.File(name);
    std::filesystem::create_directory(std::filesystem::u8path(dir));
    WriteAll(JoinPath(dir, "default.pl"), "x");
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(dir) / "default.pl")) << name;
  }
}

TEST(ProgramPath, AFullPathOfARelativeNameIsInTheCurrentFolder) {
  ScratchDir downloads;
  downloads.MakeCurrent();
  EXPECT_EQ(FullPathOf("番組.tvpi"), downloads.File("番組.tvpi"));
  EXPECT_EQ(FullPathOf(downloads.File("a.tvpi")), downloads.File("a.tvpi"));
  EXPECT_TRUE(IsFullPath(downloads.File("a.tvpi")));
  EXPECT_FALSE(IsFullPath("Pelluxdlg.dll"));
  EXPECT_FALSE(IsFullPath(""));
}

}  // namespace
