#include "mail/mail_compose.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/launcher.h"
#include "platform/program_path.h"
#include "platform/prompt.h"
#include "support/fakes.h"
#include "support/recording_mailer.h"
#include "support/scratch_dir.h"
#include "support/wait.h"

using ::testing::ElementsAre;

namespace {

class RecordingLauncher final : public ILauncher {
 public:
  bool ShellOpen(const std::string&, const std::string&) override { return false; }
  std::optional<int> RunAndWait(const std::string& p, const std::vector<std::string>& a,
                                unsigned) override {
    program = p;
    args = a;
    return exitCode;
  }
  ProgramRun RunInAndWait(const std::string& p, const std::vector<std::string>& a,
                          const std::string& dir, unsigned timeoutMs) override {
    directory = dir;
    return ILauncher::RunInAndWait(p, a, dir, timeoutMs);
  }
  std::optional<int> exitCode = 0;
  std::string program, directory;
  std::vector<std::string> args;
};

ScheduleEntry SomeSchedule() {
  ScheduleEntry d{};
  d.s = MakeSystemTime(2010, 3, 5, 21, 0, 0);
  d.e = MakeSystemTime(2010, 3, 5, 22, 30, 0);
  return d;
}

class TempDir : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return dir_.File(name); }
  ScratchDir dir_;
};

using WriteTemplateBodyTest = TempDir;

TEST_F(WriteTemplateBodyTest, MissingTemplateIsReportedAndLeavesTheBodyAlone) {
  const std::string body = Path("body.txt");
  ASSERT_TRUE(WriteFileAtomically(body, "old body"));
  ScriptedPrompt prompt;
  EXPECT_FALSE(WriteTemplateBody(Path("missing.txt"), body, SomeSchedule(), prompt));
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].text, "error");
  EXPECT_EQ(prompt.shown[0].caption, "file");
  EXPECT_EQ(ReadFileBytes(body), "old body");
}

TEST_F(WriteTemplateBodyTest, ATemplateOver16MiBIsNotReadAndSaysWhy) {
  const std::string tmpl = Path("huge.txt");
  const std::string body = Path("body.txt");
  ASSERT_TRUE(WriteFileAtomically(body, "old body"));
  ASSERT_TRUE(WriteFileAtomically(tmpl, "SCH_TITLE"));
  std::filesystem::resize_file(std::filesystem::u8path(tmpl), (16u << 20) + 1);
  ScriptedPrompt prompt;
  EXPECT_FALSE(WriteTemplateBody(tmpl, body, SomeSchedule(), prompt));
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].text.rfind("テンプレートファイルが大きすぎる", 0), 0u);
  EXPECT_EQ(ReadFileBytes(body), "old body");
}

TEST_F(WriteTemplateBodyTest, UnwritableBodyIsReported) {
  const std::string tmpl = Path("t.txt");
  ASSERT_TRUE(WriteFileAtomically(tmpl, "SCH_TITLE"));
  ScriptedPrompt prompt;
  EXPECT_FALSE(WriteTemplateBody(tmpl, Path("no such folder/body.txt"), SomeSchedule(), prompt));
  EXPECT_FALSE(WriteTemplateBody(tmpl, "", SomeSchedule(), prompt));
  EXPECT_THAT(prompt.Texts(), ElementsAre("error", "error"));
  EXPECT_EQ(prompt.shown[0].caption, "file");
}

TEST(BuildArgumentText, TemplateModeWithoutFileKeepsTheBareOption) {
  MailArguments a;
  a.server = "smtp";
  a.src_addr = "a@b";
  a.title = "notitle";
  a.dst_addr = "c@d";
  a.flags = kMailFlagAlways | kMailFlagTemplate;
  EXPECT_EQ(BuildArgumentText(a, SomeSchedule()), "-hsmtp -fa@b -snotitle -F c@d");
}

// The recipient is the only value without an option letter before it.
TEST(BuildArgumentText, ARecipientBeginningWithAMinusCannotReadAsAnOption) {
  MailArguments a;
  a.server = "smtp";
  a.dst_addr = "-d";
  a.flags = kMailFlagAlways | kMailFlagTemplate;
  EXPECT_EQ(BuildArgumentText(a, SomeSchedule()), "-hsmtp -F \" -d\"");
}

using RunMailerTest = TempDir;

TEST_F(RunMailerTest, StartsTheQuotedProgramInItsFolderWithTheSplitArguments) {
  const std::string folder = Path("my mail");
  const std::string mailer = JoinPath(folder, "smail.exe");
  std::filesystem::create_directories(std::filesystem::u8path(folder));
  ASSERT_TRUE(WriteFileAtomically(mailer, "program"));
  RecordingLauncher launcher;
  launcher.exitCode = 7;  // the mailer's own failure is not ours
  EXPECT_EQ(RunMailer(MailerCommandLine(mailer, R"(-hsmtp -s"Rec done" -Tx___a&b c@d)"), launcher),
            MailerRun::kEnded);
  EXPECT_EQ(launcher.program, mailer);
  EXPECT_EQ(launcher.directory, folder);
  EXPECT_THAT(launcher.args, ElementsAre("-hsmtp", "-sRec done", "-Tx___a&b", "c@d"));
}

// Only a full path to an existing program that is no command script is
// started: a bare name would be looked for in the current folder, and
// Windows runs a batch file's arguments through its command interpreter.
TEST_F(RunMailerTest, RunsNoBareNameNoMissingFileAndNoBatchFile) {
  ASSERT_TRUE(WriteFileAtomically(Path("smail.exe"), "program"));
  for (const char* script : {"smail.cmd", "smail.BAT", "smail.bat. . "})
    ASSERT_TRUE(WriteFileAtomically(Path(script), "@echo off"));
  dir_.MakeCurrent();
  RecordingLauncher launcher;
  for (const std::string& program :
       {std::string("smail.exe"), std::string(), Path("missing.exe"), Path("smail.cmd"),
        Path("smail.BAT"), Path("smail.bat. . ")}) {
    EXPECT_EQ(RunMailer(MailerCommandLine(program, "-hx"), launcher), MailerRun::kNotRun)
        << program;
  }
  EXPECT_EQ(launcher.program, "");
  launcher.exitCode = std::nullopt;  // exists, but cannot be started
  EXPECT_EQ(RunMailer(MailerCommandLine(Path("smail.exe"), "-hx"), launcher), MailerRun::kNotRun);
}

// A mailer that does not end (here one held until the test lets it go) gets
// the wait it is given; it is left running and finishes on its own.
TEST_F(RunMailerTest, AMailerThatDoesNotEndIsLeftRunningAfterTheWait) {
  const std::string recorder = JoinPath(DirectoryOf(ProgramPath()), NIMBRA_RECORDING_MAILER);
  ClearRecord(recorder);
  HeldRecorder held(recorder);
  EXPECT_EQ(RunMailer(MailerCommandLine(recorder, "-hx c@d"), SystemLauncher(), 0),
            MailerRun::kStillRunning);
  EXPECT_FALSE(RecordedArguments(recorder));
  held.Release();
  EXPECT_TRUE(WaitUntil([&] { return RecordedArguments(recorder).has_value(); }));
  EXPECT_THAT(RecordedArguments(recorder).value_or(std::vector<std::string>{}),
              ElementsAre("-hx", "c@d"));
}

}  // namespace
