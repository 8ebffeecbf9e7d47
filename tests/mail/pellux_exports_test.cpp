// The mail library as the plug-in uses it: loaded at run time, bound by name.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "boundary/nimbra_boundary.h"
#include "platform/file.h"
#include "platform/program_path.h"
#include "platform/shared_library.h"
#include "support/recording_mailer.h"
#include "support/scratch_dir.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

// Shift-JIS texts (the UTF-8 in the comments).
const std::string kReserved = "\x97\x5c\x96\xf1\x82\xb5\x82\xbd\x82\xe6";  // 予約したよ
const std::string kHyo = "\x95\x5c";                                      // 表
const std::string kAri = "\x97\x4c\x82\xe8";                              // 有り
const std::string kNashi = "\x96\xb3\x82\xb5";                            // 無し
const std::string kFullQuote = "\xFA\x57";                                  // ＂

struct Pellux {
  SharedLibrary lib;
  SmInitMailFn init = nullptr;
  SmDestroyMailFn destroy = nullptr;
  SmSendMailFn send = nullptr;
  SmSetSchData2MailFn set = nullptr;
  SmTemplateExplainTopFn top = nullptr;
  SmTemplateExplainGetAndNextFn next = nullptr;

  static Pellux& Get() {
    static Pellux p = [] {
      Pellux q;
      q.lib = SharedLibrary::Open(JoinPath(DirectoryOf(ProgramPath()), "Pellux.dll"));
      q.init = q.lib.Get<SmInitMailFn>("sm_initmail");
      q.destroy = q.lib.Get<SmDestroyMailFn>("sm_destroymail");
      q.send = q.lib.Get<SmSendMailFn>("sm_sendmail");
      q.set = q.lib.Get<SmSetSchData2MailFn>("sm_set_schdata2mail");
      q.top = q.lib.Get<SmTemplateExplainTopFn>("sm_template_explain_top");
      q.next = q.lib.Get<SmTemplateExplainGetAndNextFn>("sm_template_explain_get_and_next");
      return q;
    }();
    return p;
  }
};

ScheduleEntry Schedule(SystemTime s, SystemTime e, const std::string& title) {
  ScheduleEntry d{};
  d.s = s;
  d.e = e;
  std::memcpy(d.title, title.data(), std::min(title.size(), sizeof d.title - 1));
  return d;
}

ScheduleEntry Evening(const std::string& title = "News") {
  return Schedule(MakeSystemTime(2010, 3, 5, 21, 0, 0), MakeSystemTime(2010, 3, 5, 22, 30, 0),
                  title);
}

// Each test runs in a folder of its own, so relative file names stay there.
class PelluxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& p = Pellux::Get();
    ASSERT_TRUE(p.lib) << "Pellux beside the test program";
    ASSERT_TRUE(p.init && p.destroy && p.send && p.set && p.top && p.next);
    dir_.MakeCurrent();
  }
  void TearDown() override { Pellux::Get().destroy(mail_); }

  MailObject* Init(const char* title, const char* file, const char* tmpl, int32_t flags,
                   const char* server = "smtp.example.jp", const char* src = "rec@example.jp",
                   const char* dst = "me@example.jp", const char* path = "smail") {
    mail_ = Pellux::Get().init(path, server, src, dst, title, file, tmpl, flags);
    return mail_;
  }
  // The argument text for data.
  std::string Text(const ScheduleEntry& data) {
    EXPECT_NE(mail_, nullptr);
    if (!mail_) return {};
    EXPECT_EQ(Pellux::Get().set(mail_, &data), 0);
    return mail_->sm_text ? mail_->sm_text : "<null>";
  }
  // The body that the template text expands to for data.
  std::string Expand(const std::string& tmpl, const ScheduleEntry& data) {
    EXPECT_TRUE(WriteFileAtomically("template.txt", tmpl));
    RemoveFile("body.txt");
    Init("subject", "body.txt", "template.txt", kMailFlagTemplate);
    Text(data);
    return ReadFileBytes("body.txt").value_or("<no body>");
  }

  MailObject* mail_ = nullptr;
  ScratchDir dir_;
};

TEST_F(PelluxTest, InitFillsTheObjectAndRefusesMissingMandatoryTexts) {
  MailObject* m = Init(nullptr, nullptr, nullptr, 0x1002);
  ASSERT_NE(m, nullptr);
  EXPECT_STREQ(m->sm_path, "smail");
  EXPECT_STREQ(m->sm_title, "notitle");
  EXPECT_STREQ(m->sm_file, "");
  EXPECT_EQ(m->sm_text, nullptr);
  EXPECT_EQ(m->sm_flags, 0x1003);
  ASSERT_NE(m->sm_template, nullptr);
  EXPECT_STREQ(m->sm_template->file, "testmail.txt");

  const char* x = "x";
  auto& p = Pellux::Get();
  EXPECT_EQ(p.init(nullptr, x, x, x, x, x, x, 0), nullptr);
  EXPECT_EQ(p.init(x, nullptr, x, x, x, x, x, 0), nullptr);
  EXPECT_EQ(p.init(x, x, nullptr, x, x, x, x, 0), nullptr);
  EXPECT_EQ(p.init(x, x, x, nullptr, x, x, x, 0), nullptr);
  mail_ = nullptr;
}

TEST_F(PelluxTest, TextModeArgumentText) {
  struct Case {
    const char *server, *src, *dst, *subject;
    int32_t flags;
    std::string expected;
  } cases[] = {
      {"smtp", "a@b", "c@d", "Rec", 0,
       "-hsmtp -fa@b -sRec -T20100305_21:00:00--20100305_22:30:00___News c@d"},
      {"smtp", "a@b", "c@d", "Rec", kMailFlagVerbose | kMailFlagDebug,
       "-hsmtp -fa@b -sRec -i -d -T20100305_21:00:00--20100305_22:30:00___News c@d"},
      {"smtp", "a@b", "c@d", "Rec", kMailFlagDebug,
       "-hsmtp -fa@b -sRec -d -T20100305_21:00:00--20100305_22:30:00___News c@d"},
      {"", "", "", "", 0, "-T20100305_21:00:00--20100305_22:30:00___News"},
      {"", "a@b", "c@d", nullptr, kMailFlagVerbose,
       "-fa@b -snotitle -i -T20100305_21:00:00--20100305_22:30:00___News c@d"},
      {"smtp", "a@b", "c d@e", "Rec done", 0,
       R"(-hsmtp -fa@b -s"Rec done" -T20100305_21:00:00--20100305_22:30:00___News "c d@e")"},
  };
  for (const auto& c : cases) {
    Init(c.subject, "unused.txt", nullptr, c.flags, c.server, c.src, c.dst);
    EXPECT_EQ(Text(Evening()), c.expected);
  }
}

TEST_F(PelluxTest, TemplateModeArgumentText) {
  ASSERT_TRUE(WriteFileAtomically("template.txt", "x"));
  struct Case {
    const char *server, *subject, *file;
    int32_t flags;
    std::string expected;
  } cases[] = {
      {"smtp", "Rec", "body.txt", kMailFlagTemplate, "-hsmtp -frec@example.jp -sRec -Fbody.txt me@example.jp"},
      {"smtp", "Rec", "body.txt", kMailFlagTemplate | kMailFlagVerbose | kMailFlagDebug,
       "-hsmtp -frec@example.jp -sRec -i -d -Fbody.txt me@example.jp"},
      {"", nullptr, "body.txt", kMailFlagTemplate | kMailFlagVerbose,
       "-frec@example.jp -snotitle -i -Fbody.txt me@example.jp"},
      {"smtp", "", "my body.txt", kMailFlagTemplate,
       R"(-hsmtp -frec@example.jp -F"my body.txt" me@example.jp)"},
  };
  for (const auto& c : cases) {
    Init(c.subject, c.file, "template.txt", c.flags, c.server);
    EXPECT_EQ(Text(Evening()), c.expected);
    EXPECT_EQ(ReadFileBytes(c.file), "x");
  }
}

TEST_F(PelluxTest, NumbersAreClampedToTheirWidthInTextModeOnly) {
  ScheduleEntry d = Schedule(MakeSystemTime(12345, 123, 100, 0, 0, 0),
                                MakeSystemTime(2010, 1, 2, 3, 4, 5), "T");
  Init("s", nullptr, nullptr, 0);
  EXPECT_EQ(Text(d),
            "-hsmtp.example.jp -frec@example.jp -ss -T99999999_00:00:00--20100102_03:04:05___T "
            "me@example.jp");
  d.s = MakeSystemTime(2010, 1, 2, 100, 250, 99);
  EXPECT_EQ(Text(d),
            "-hsmtp.example.jp -frec@example.jp -ss -T20100102_99:99:99--20100102_03:04:05___T "
            "me@example.jp");
  d.s = MakeSystemTime(12345, 1, 2, 0, 0, 0);
  EXPECT_EQ(Expand("SCH_START_DATE SCH_START_TIME", d), "12345/01/02 00:00:00");
}

TEST_F(PelluxTest, ShiftJisPassesThroughByteForByte) {
  const std::string title = kReserved + " " + kHyo;  // a blank makes it quoted
  Init(kReserved.c_str(), nullptr, nullptr, 0);
  EXPECT_EQ(Text(Evening(title)), "-hsmtp.example.jp -frec@example.jp -s" + kReserved +
                                      " -T20100305_21:00:00--20100305_22:30:00___\"" + title +
                                      "\" me@example.jp");
  EXPECT_EQ(Expand("\x8a\x4a SCH_TITLE\r\n\xfc\xfc", Evening(title)),
            "\x8a\x4a " + title + "\r\n\xfc\xfc");
}

TEST_F(PelluxTest, TemplateReplacesEveryKeyWithItsValue) {
  ScheduleEntry d = Evening(kReserved);
  d.loop = 1;
  d.kikan_f = 1;
  d.kikan_s = MakeSystemTime(2010, 3, 1);
  d.kikan_e = MakeSystemTime(2010, 12, 31);
  EXPECT_EQ(Expand("SCH_START_DATE SCH_START_TIME|SCH_END_DATE SCH_END_TIME|SCH_TITLE|"
                   "SCH_LOOP_FLAG SCH_TERM_FLAG SCH_TERM_START_DATE-SCH_TERM_END_DATE",
                   d),
            "2010/03/05 21:00:00|2010/03/05 22:30:00|" + kReserved + "|" + kAri + " " + kAri +
                " 2010/03/01-2010/12/31");

  d.loop = 0;
  d.kikan_f = 0;
  EXPECT_EQ(Expand("[SCH_LOOP_FLAG][SCH_TERM_FLAG][SCH_TERM_START_DATE][SCH_TERM_END_DATE]", d),
            "[" + kNashi + "][" + kNashi + "][][]");
}

TEST_F(PelluxTest, TemplateReplacementOrderAndRepeats) {
  EXPECT_EQ(Expand("SCH_TITLE and SCH_TITLE, SCH_TITLES", Evening("T")), "T and T, TS");
  // A title holding a key is searched again only by the keys replaced after
  // the title.
  EXPECT_EQ(Expand("SCH_TITLE", Evening("SCH_START_DATE/SCH_LOOP_FLAG/SCH_TERM_FLAG")),
            "SCH_START_DATE/" + kNashi + "/" + kNashi);
  EXPECT_EQ(Expand("no keys at all", Evening()), "no keys at all");
  EXPECT_EQ(Expand("", Evening()), "");
}

TEST_F(PelluxTest, ExplanationListsTheNineKeysInTableOrder) {
  MailObject* m = Init(nullptr, nullptr, nullptr, 0);
  MailTemplate* it = Pellux::Get().top(m);
  ASSERT_NE(it, nullptr);
  std::vector<std::pair<std::string, std::string>> rows;
  const char* key = nullptr;
  const char* desc = nullptr;
  while (Pellux::Get().next(it, &key, &desc)) rows.emplace_back(key, desc);
  using Row = std::pair<std::string, std::string>;
  EXPECT_THAT(rows,
              ElementsAreArray({
                  Row{"SCH_START_DATE", "\x8a\x4a\x8e\x6e\x93\xfa\x95\x74"},
                  Row{"SCH_START_TIME", "\x8a\x4a\x8e\x6e\x8e\x9e\x8d\x8f"},
                  Row{"SCH_END_DATE", "\x8f\x49\x97\xb9\x93\xfa\x95\x74"},
                  Row{"SCH_END_TIME", "\x8f\x49\x97\xb9\x8e\x9e\x8d\x8f"},
                  Row{"SCH_TITLE", "\x83\x5e\x83\x43\x83\x67\x83\x8b"},
                  Row{"SCH_LOOP_FLAG", "\x8c\x4a\x82\xe8\x95\xd4\x82\xb5\x82\xcc\x97\x4c\x96\xb3"},
                  Row{"SCH_TERM_FLAG", "\x8a\xfa\x8a\xd4\x8e\x77\x92\xe8\x82\xcc\x97\x4c\x96\xb3"},
                  Row{"SCH_TERM_START_DATE",
                      "\x8a\xfa\x8a\xd4\x82\xcc\x8a\x4a\x8e\x6e\x93\xfa\x95\x74"},
                  Row{"SCH_TERM_END_DATE",
                      "\x8a\xfa\x8a\xd4\x82\xcc\x8f\x49\x97\xb9\x93\xfa\x95\x74"},
              }));
  key = desc = "untouched";
  EXPECT_EQ(Pellux::Get().next(it, &key, &desc), 0);
  EXPECT_STREQ(key, "untouched");
  // top starts the listing over
  EXPECT_EQ(Pellux::Get().top(m), it);
  EXPECT_EQ(Pellux::Get().next(it, &key, &desc), 1);
  EXPECT_STREQ(key, "SCH_START_DATE");
}

TEST_F(PelluxTest, SendRefusesANullTextAndAMissingMailer) {
  MailObject* m = Init("s", nullptr, nullptr, 0, "smtp", "a@b", "c@d",
                       dir_.File("no such mailer").c_str());
  EXPECT_EQ(Pellux::Get().send(m, nullptr), -1);
  EXPECT_EQ(Pellux::Get().send(m, "-hx c@d"), -1);
}

// The recording mailer beside the test program, or its copy in a folder
// whose name holds a blank.
std::string Recorder(bool inBlankFolder) {
  std::string dir = DirectoryOf(ProgramPath());
  if (inBlankFolder) dir = JoinPath(dir, "mailer dir");
  return JoinPath(dir, NIMBRA_RECORDING_MAILER);
}

std::vector<std::string> SendAndRecord(MailObject* m, const std::string& recorder) {
  ClearRecord(recorder);
  EXPECT_EQ(Pellux::Get().send(m, m->sm_text), 0);  // although the mailer exits with 3
  return RecordedArguments(recorder).value_or(std::vector<std::string>{});
}

TEST_F(PelluxTest, MailerGetsEachValueAsOneArgumentAndNoShellRunsTheTitle) {
  const std::string recorder = Recorder(false);
  const std::string title =
      kReserved + R"( x & del /q *.* & echo>pwned1 | touch pwned2; $(touch pwned3) `touch pwned4` "q" \)";
  const std::string bare = "x&echo>pwned5&touch${IFS}pwned6;touch${IFS}pwned7";
  MailObject* m = Init("Rec done", nullptr, nullptr, kMailFlagVerbose, "smtp", "a@b", "c@d",
                       recorder.c_str());
  Text(Evening(title));
  const std::string sent = kReserved +
      R"( x & del /q *.* & echo>pwned1 | touch pwned2; $(touch pwned3) `touch pwned4` )" +
      kFullQuote + "q" + kFullQuote + R"( \)";
  EXPECT_THAT(SendAndRecord(m, recorder),
              ElementsAre("-hsmtp", "-fa@b", "-sRec done", "-i",
                          "-T20100305_21:00:00--20100305_22:30:00___" + sent, "c@d"));
  Text(Evening(bare));
  EXPECT_THAT(SendAndRecord(m, recorder),
              ElementsAre("-hsmtp", "-fa@b", "-sRec done", "-i",
                          "-T20100305_21:00:00--20100305_22:30:00___" + bare, "c@d"));
  for (const char* f : {"pwned1", "pwned2", "pwned3", "pwned4", "pwned5", "pwned6", "pwned7"})
    EXPECT_FALSE(FileExists(f)) << f;
}

TEST_F(PelluxTest, MailerInAFolderWithABlankGetsTheTemplateMail) {
  const std::string recorder = Recorder(true);
  ASSERT_TRUE(WriteFileAtomically("template.txt", "SCH_TITLE at SCH_START_TIME"));
  MailObject* m = Init(kReserved.c_str(), "my body.txt", "template.txt",
                       kMailFlagTemplate | kMailFlagDebug, "smtp", "a@b", "c@d", recorder.c_str());
  Text(Evening(kHyo));
  EXPECT_THAT(SendAndRecord(m, recorder),
              ElementsAre("-hsmtp", "-fa@b", "-s" + kReserved, "-d", "-Fmy body.txt", "c@d"));
  EXPECT_EQ(ReadFileBytes("my body.txt"), kHyo + " at 21:00:00");
}

// A mailer that splits its command line in its own way (quotes that only
// toggle) must not read a title's quote as the end of the title: the title
// keeps its quote as the full-width one, and no option is added.
TEST_F(PelluxTest, AQuoteInATitleOrSubjectReachesTheMailerFullWidth) {
  const std::string recorder = Recorder(false);
  MailObject* m = Init(R"(Rec" -hevil.example ")", nullptr, nullptr, 0, "smtp", "a@b", "c@d",
                       recorder.c_str());
  Text(Evening(R"(a" -hevil.example x)"));
  EXPECT_THAT(SendAndRecord(m, recorder),
              ElementsAre("-hsmtp", "-fa@b", "-sRec" + kFullQuote + " -hevil.example " + kFullQuote,
                          "-T20100305_21:00:00--20100305_22:30:00___a" + kFullQuote +
                              " -hevil.example x",
                          "c@d"));
}

// The mailer's own folder is its working folder, whatever the current one
// (which may be where a browser downloads).
TEST_F(PelluxTest, TheMailerRunsInItsOwnFolder) {
  const std::string recorder = Recorder(true);
  MailObject* m = Init("s", nullptr, nullptr, 0, "smtp", "a@b", "c@d", recorder.c_str());
  Text(Evening());
  SendAndRecord(m, recorder);
  const std::optional<std::string> folder = RecordedFolder(recorder);
  ASSERT_TRUE(folder);
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::u8path(*folder),
                                          std::filesystem::u8path(DirectoryOf(recorder))))
      << *folder;
}

// A mailer named without its folder is not looked for, not even in the
// current folder that holds a program of that name.
TEST_F(PelluxTest, AMailerWithoutItsFolderIsNotStarted) {
  ASSERT_TRUE(dir_.CopyFromTestFolder({NIMBRA_RECORDING_MAILER}));
  const std::string planted = dir_.File(NIMBRA_RECORDING_MAILER);
  MailObject* m = Init("s", nullptr, nullptr, 0, "smtp", "a@b", "c@d", NIMBRA_RECORDING_MAILER);
  std::filesystem::permissions(std::filesystem::u8path(planted),
                               std::filesystem::perms::owner_all);
  Text(Evening());
  ClearRecord(planted);
  ClearRecord(Recorder(false));
  EXPECT_EQ(Pellux::Get().send(m, m->sm_text), -1);
  EXPECT_FALSE(RecordedArguments(planted));
  EXPECT_FALSE(RecordedArguments(Recorder(false)));
}

// Windows runs a batch file through its command interpreter, which reads
// "&" in a title as a second command and expands %VAR%: such a mailer is
// never started.
TEST_F(PelluxTest, ABatchFileMailerIsNeverStarted) {
  const std::string script = dir_.File("mailer.cmd");
  ASSERT_TRUE(WriteFileAtomically(script, "@echo off\r\necho %*> \"%~dp0ran.txt\"\r\n"));
  std::filesystem::permissions(std::filesystem::u8path(script),
                               std::filesystem::perms::owner_all);
  MailObject* m = Init("s", nullptr, nullptr, 0, "smtp", "a@b", "c@d", script.c_str());
  Text(Evening("x&echo %PATH%>pwned.txt&rem"));
  EXPECT_EQ(Pellux::Get().send(m, m->sm_text), -1);
  EXPECT_FALSE(FileExists(dir_.File("ran.txt")));
  EXPECT_FALSE(FileExists(dir_.File("pwned.txt")));
}

}  // namespace
