// The command line, the dry run's log and the caption that shows it.
#include "app/program_options.h"

#include <gtest/gtest.h>

#include "platform/program_path.h"

namespace {

TEST(ProgramArguments, SwitchesAreNeverTakenForTheIepgFile) {
  const struct {
    std::vector<std::string> args;
    bool dryRun;
    bool tray;
    std::string file;
  } rows[] = {
      {{}, false, false, ""},
      {{"C:\\dl\\a.tvpi"}, false, false, "C:\\dl\\a.tvpi"},
      {{"/dryrun"}, true, false, ""},
      {{"-DryRun"}, true, false, ""},
      {{"/DRYRUN", "C:\\dl\\a.tvpi"}, true, false, "C:\\dl\\a.tvpi"},
      {{"C:\\dl\\a.tvpi", "/dryrun"}, true, false, "C:\\dl\\a.tvpi"},
      // The logon start's switch, alone or with a file.
      {{"/tray"}, false, true, ""},
      {{"/Tray", "a.tvpi", "/dryrun"}, true, true, "a.tvpi"},
      // Only the first file counts; an unknown switch is a name like any other.
      {{"a.tvpi", "b.tvpi"}, false, false, "a.tvpi"},
      {{"/dryrunx", "a.tvpi"}, false, false, "/dryrunx"},
      {{"/", "a.tvpi"}, false, false, "/"},
  };
  for (const auto& r : rows) {
    const ProgramOptions o = ParseProgramArguments(r.args);
    EXPECT_EQ(o.dryRun, r.dryRun) << ::testing::PrintToString(r.args);
    EXPECT_EQ(o.tray, r.tray) << ::testing::PrintToString(r.args);
    EXPECT_EQ(o.iepgFile, r.file) << ::testing::PrintToString(r.args);
  }
}

TEST(DryRunMode, TheSwitchOrTheVariableTurnsItOnAndNamesTheLog) {
  const std::string settings = JoinPath("dir", "Nimbra.ini");
  const std::string beside = JoinPath("dir", "Nimbra-dryrun.log");
  const struct {
    bool dryRunSwitch;
    std::string variable;
    std::string unmarked;
    bool on;
    std::string log;
    bool titleMark;
  } rows[] = {
      {false, "", "", false, "", false},
      {true, "", "", true, beside, true},
      {false, "p.log", "", true, "p.log", true},
      {true, "p.log", "", true, "p.log", true},
      // Unmarked: the log stays, only the title loses its mark.
      {true, "", "1", true, beside, false},
      {false, "p.log", "1", true, "p.log", false},
      // Without a dry run the variable changes nothing.
      {false, "", "1", false, "", false},
  };
  for (const auto& r : rows) {
    const DryRun d = ResolveDryRun(r.dryRunSwitch, r.variable, r.unmarked, settings);
    EXPECT_EQ(d.on, r.on) << r.dryRunSwitch << r.variable << r.unmarked;
    EXPECT_EQ(d.logPath, r.log) << r.dryRunSwitch << r.variable << r.unmarked;
    EXPECT_EQ(d.titleMark, r.titleMark) << r.dryRunSwitch << r.variable << r.unmarked;
  }
  EXPECT_EQ(FrameCaption(false), "Nimbra");
  EXPECT_EQ(FrameCaption(true), "Nimbra [ドライラン]");
}

}  // namespace
