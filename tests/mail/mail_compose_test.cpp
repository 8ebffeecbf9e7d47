#include "mail/mail_compose.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/launcher.h"
#include "platform/prompt.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

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
  std::optional<int> exitCode = 0;
  std::string program;
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

TEST(RunMailer, StartsTheQuotedProgramWithTheSplitArguments) {
  RecordingLauncher launcher;
  launcher.exitCode = 7;  // the mailer's own failure is not ours
  EXPECT_EQ(RunMailer(MailerCommandLine(R"(C:\my mail\smail.exe)",
                                        R"(-hsmtp -s"Rec done" -Tx___a&b c@d)"),
                      launcher),
            0);
  EXPECT_EQ(launcher.program, R"(C:\my mail\smail.exe)");
  EXPECT_THAT(launcher.args, ElementsAre("-hsmtp", "-sRec done", "-Tx___a&b", "c@d"));
}

TEST(RunMailer, GivesMinusOneWhenNothingCanBeStarted) {
  RecordingLauncher launcher;
  launcher.exitCode = std::nullopt;
  EXPECT_EQ(RunMailer(MailerCommandLine("smail", "-hx"), launcher), -1);
  EXPECT_EQ(RunMailer(MailerCommandLine("", "-hx"), launcher), -1);
}

}  // namespace
