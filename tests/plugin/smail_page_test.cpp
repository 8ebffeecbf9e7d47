#include "plugin/smail_page.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/launcher.h"
#include "platform/profile_store.h"
#include "platform/program_path.h"
#include "platform/prompt.h"
#include "platform/shared_library.h"
#include "platform/text.h"
#include "recorder_support.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::string kReserved = "\x97\x5c\x96\xf1\x82\xb5\x82\xbd\x82\xe6";  // 予約したよ

class RecordingLauncher final : public ILauncher {
 public:
  bool ShellOpen(const std::string& file, const std::string& parameters) override {
    opened.push_back(file + "|" + parameters);
    return true;
  }
  std::optional<int> RunAndWait(const std::string&, const std::vector<std::string>&,
                                unsigned) override {
    return std::nullopt;
  }
  std::vector<std::string> opened;
};

ScheduleEntry Record(const std::string& title) {
  ScheduleEntry p;
  std::memset(&p, 0, sizeof p);
  p.s = MakeSystemTime(2010, 3, 5, 21, 0, 0);
  p.e = MakeSystemTime(2010, 3, 5, 22, 30, 0);
  std::memcpy(p.title, title.data(), title.size());
  return p;
}

// Each test runs in a folder of its own that holds its settings file (and
// so the preview file); the current directory is another folder, as a
// browser's download folder would be.
class SMailPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    current_.MakeCurrent();
    ClearRecord();
  }
  void TearDown() override { page_.reset(); }

  // Settings file with mail on, in text mode, to the recorder.
  void WriteMailSettings(const std::string& extra = "") {
    ASSERT_TRUE(WriteFileAtomically(
        ini_, "[APP_MNG_INFO]\r\ntv_id=1\r\ndebug_flag=1\r\n[section_smail]\r\nm_sm_enable_check=1\r\n"
              "m_sm_server=smtp\r\nm_sm_path=" + RecorderPath() +
                  "\r\nm_sm_src_addr=a@b\r\nm_sm_dst_addr=c@d\r\nm_sm_title=Rec done\r\n" +
                  extra));
  }
  SMailPage& Page(const std::string& libraryFolder = DirectoryOf(ProgramPath())) {
    page_ = std::make_unique<SMailPage>(prompt_, launcher_, ini_, libraryFolder, &log_);
    return *page_;
  }
  std::string Preview() const { return dir_.File(kPreviewFile); }

  ScratchDir dir_;
  ScratchDir current_;
  CDebugLog log_{dir_.File("dbg_print.log")};
  const std::string ini_ = dir_.File("Nimbra.ini");
  ScriptedPrompt prompt_;
  RecordingLauncher launcher_;
  std::unique_ptr<SMailPage> page_;
};

TEST_F(SMailPageTest, BindsTheMailLibraryFromTheGivenFolderOnly) {
  WriteMailSettings();
  EXPECT_TRUE(Page().IsBound());
  EXPECT_THAT(prompt_.Texts(), IsEmpty());
  EXPECT_EQ(Page().Settings().m_sm_title, "Rec done");

  // The current directory and the program's folder hold no sway.
  const std::string empty = dir_.File("empty");
  fs::create_directories(fs::u8path(empty));
  EXPECT_FALSE(Page(empty).IsBound());
  EXPECT_THAT(prompt_.Texts(), ElementsAre("Pellux.dll open error."));
}

TEST_F(SMailPageTest, ALibraryWithoutTheMailFunctionsIsReported) {
  const std::string folder = dir_.File("wrong");
  fs::create_directories(fs::u8path(folder));
  const std::string bin = DirectoryOf(ProgramPath());
  ASSERT_TRUE(CopyFileContents(JoinPath(bin, PlatformLibraryName("Pelluxdlg.dll")),
                            JoinPath(folder, PlatformLibraryName("Pellux.dll"))));
  WriteMailSettings();
  SMailPage& page = Page(folder);
  EXPECT_FALSE(page.IsBound());
  EXPECT_THAT(prompt_.Texts(), ElementsAre("Smail function load error."));
  const ScheduleEntry record = Record("T");
  page.SetParam(&record);
  page.Run();
  page.SendTestMail();
  page.Preview();
  page.ExplainTemplate();
  EXPECT_THAT(prompt_.Texts(),
              ElementsAre("Smail function load error.", "DLLが読み込まれていません",
                          "DLLが読み込まれていません", "読み込みに失敗しました。"));
  EXPECT_FALSE(RecordedArguments());
}

TEST_F(SMailPageTest, RunSendsTheStoredRecordOnlyWithMailOn) {
  WriteMailSettings();
  SMailPage& page = Page();
  const ScheduleEntry record = Record(kReserved + " & echo>pwned");
  EXPECT_EQ(page.SetParam(&record), 1);

  page.Settings().m_sm_enable_check = 0;
  page.Run();
  EXPECT_FALSE(RecordedArguments());

  page.Settings().m_sm_enable_check = 1;
  page.Settings().m_sm_info_check = 1;
  page.Run();
  EXPECT_THAT(RecordedArguments().value_or(std::vector<std::string>{}),
              ElementsAre("-hsmtp", "-fa@b", "-sRec done", "-i",
                          "-T20100305_21:00:00--20100305_22:30:00___" + kReserved + " & echo>pwned",
                          "c@d"));
  EXPECT_EQ(std::memcmp(&page.StoredParam(), &record, sizeof record), 0);
  EXPECT_FALSE(FileExists("pwned"));
}

TEST_F(SMailPageTest, TestMailAsksFirstAndSendsTheTestRecord) {
  WriteMailSettings();
  SMailPage& page = Page();
  page.SendTestMail();
  EXPECT_THAT(prompt_.Texts(), ElementsAre("テストメールを送信します。送信しますか？"));
  EXPECT_FALSE(RecordedArguments());

  prompt_.QueueAnswer(PromptAnswer::kYes);
  page.SendTestMail();
  EXPECT_THAT(RecordedArguments().value_or(std::vector<std::string>{}),
              ElementsAre("-hsmtp", "-fa@b", "-sRec done",
                          "-T20010101_00:01:01--20020202_00:02:00___" + kReserved, "c@d"));
}

TEST_F(SMailPageTest, PreviewWritesTheArgumentTextBesideTheSettingsAndOpensIt) {
  WriteMailSettings();
  Page().Preview();
  EXPECT_EQ(ReadFileBytes(Preview()),
            R"(-hsmtp -fa@b -s"Rec done" -T20010101_00:01:01--20020202_00:02:00___)" + kReserved +
                " c@d");
  EXPECT_FALSE(FileExists(kPreviewFile));  // nothing in the current folder
  EXPECT_THAT(launcher_.opened, ElementsAre(Preview() + "|"));
  EXPECT_FALSE(RecordedArguments());  // a preview sends nothing
}

TEST_F(SMailPageTest, PreviewWithTemplateShowsTheExpandedBody) {
  ASSERT_TRUE(WriteFileAtomically("template.txt", "SCH_TITLE SCH_START_DATE SCH_END_TIME"));
  WriteMailSettings("m_sm_temp_check=1\r\nm_sm_temp_path=template.txt\r\n");
  Page().Preview();
  EXPECT_EQ(ReadFileBytes(Preview()), kReserved + " 2001/01/01 00:02:00");
}

// The preview and body file is written only through a name of its own: a
// link planted in its place, to a file of the user's, is not written through.
TEST_F(SMailPageTest, ThePreviewFileIsNotWrittenThroughALink) {
  WriteMailSettings();
  const std::string victim = dir_.File("victim.txt");
  const fs::path preview = fs::u8path(Preview());
  const fs::path target = fs::u8path(victim);
  for (const bool hard : {true, false}) {
    ASSERT_TRUE(WriteFileAtomically(victim, "keep me"));
    std::error_code error;
    fs::remove(preview, error);
    if (hard) {
      fs::create_hard_link(target, preview, error);
    } else {
      fs::create_symlink(target, preview, error);
    }
    if (error) continue;  // links of this kind cannot be made here
    Page().Preview();
    EXPECT_EQ(ReadFileBytes(victim), "keep me") << (hard ? "hard link" : "symbolic link");
  }
}

TEST_F(SMailPageTest, TheMailBodyIsWrittenBesideTheSettings) {
  ASSERT_TRUE(WriteFileAtomically("template.txt", "SCH_TITLE"));
  WriteMailSettings("m_sm_temp_check=1\r\nm_sm_temp_path=template.txt\r\n");
  SMailPage& page = Page();
  const ScheduleEntry record = Record("T");
  page.SetParam(&record);
  page.Run();
  EXPECT_THAT(RecordedArguments().value_or(std::vector<std::string>{}),
              ElementsAre("-hsmtp", "-fa@b", "-sRec done", "-F" + Preview(), "c@d"));
  EXPECT_EQ(ReadFileBytes(Preview()), "T");
  EXPECT_FALSE(FileExists(kPreviewFile));
}

// The test mail says why it sends nothing instead of sending nothing
// without a word, and asks only when it can send.
TEST_F(SMailPageTest, TestMailNamesTheEmptyFieldsItCannotDoWithout) {
  WriteMailSettings();
  SMailPage& page = Page();
  page.Settings().m_sm_server.clear();
  page.Settings().m_sm_dst_addr.clear();
  page.SendTestMail();
  page.Settings() = SMailSettings{};
  page.SendTestMail();
  EXPECT_THAT(prompt_.Texts(),
              ElementsAre("次の項目が空欄のため、テストメールを送信できません。\nサーバー、送信先",
                          "次の項目が空欄のため、テストメールを送信できません。\n"
                          "SMAILパス、サーバー、送信元、送信先"));
  EXPECT_FALSE(RecordedArguments());
}

// A batch file would run the title through the command interpreter; a
// mailer without its folder would be looked for in the current folder.
TEST_F(SMailPageTest, AMailerThatMayNotBeStartedIsToldAndNeverRun) {
  const std::string script = dir_.File("smail.cmd");
  ASSERT_TRUE(WriteFileAtomically(script, "@echo off"));
  WriteMailSettings();
  SMailPage& page = Page();
  const ScheduleEntry record = Record("x&echo>pwned");
  page.SetParam(&record);
  for (const std::string& mailer : {script, std::string(NIMBRA_RECORDING_MAILER)}) {
    prompt_.shown.clear();
    EXPECT_FALSE(page.AcceptMailerPath(script));
    page.Settings().m_sm_path = mailer;
    prompt_.QueueAnswer(PromptAnswer::kYes);
    page.SendTestMail();
    page.Run();
    const std::vector<std::string> told = prompt_.Texts();
    ASSERT_EQ(told.size(), 2u) << mailer;
    EXPECT_THAT(told[0], ::testing::HasSubstr("バッチファイル（.bat、.cmd）"));
    EXPECT_THAT(told[1], ::testing::HasSubstr("SMAILパス"));  // not the question
  }
  EXPECT_FALSE(RecordedArguments());
  EXPECT_THAT(ReadFileBytes(dir_.File("dbg_print.log")).value_or(""),
              ::testing::HasSubstr("smail: mailer not started"));
}

TEST_F(SMailPageTest, ExplanationListsTheKeysWithTheirMeaning) {
  WriteMailSettings();
  Page().ExplainTemplate();
  EXPECT_THAT(prompt_.Texts(),
              ElementsAre("テンプレート内の以下の文字列は、\n\n"
                          "SCH_START_DATE -> 開始日付\n"
                          "SCH_START_TIME -> 開始時刻\n"
                          "SCH_END_DATE -> 終了日付\n"
                          "SCH_END_TIME -> 終了時刻\n"
                          "SCH_TITLE -> タイトル\n"
                          "SCH_LOOP_FLAG -> 繰り返しの有無\n"
                          "SCH_TERM_FLAG -> 期間指定の有無\n"
                          "SCH_TERM_START_DATE -> 期間の開始日付\n"
                          "SCH_TERM_END_DATE -> 期間の終了日付\n"
                          "\nのような内容に置き換えられます。"));
}

TEST_F(SMailPageTest, SaveKeepsTheProgramsSectionsAndLoadRereads) {
  WriteMailSettings();
  SMailPage& page = Page();
  page.Settings().m_sm_dst_addr = "x@y";
  EXPECT_EQ(page.Save(), 1);
  const ProfileStore store = ProfileStore::Load(ini_);
  EXPECT_EQ(store.GetString("APP_MNG_INFO", "tv_id", ""), "1");
  EXPECT_EQ(store.GetString("section_smail", "m_sm_dst_addr", ""), "x@y");
  EXPECT_EQ(store.GetString("section_smail", "m_sm_info_check", ""), "0");

  page.Settings().m_sm_dst_addr = "edited";
  page.Load();
  EXPECT_EQ(page.Settings().m_sm_dst_addr, "x@y");
}

TEST_F(SMailPageTest, ChosenPathsAndTemplateEditing) {
  SMailPage& page = Page();
  EXPECT_FALSE(page.AcceptMailerPath(""));
  EXPECT_FALSE(page.AcceptTemplatePath(""));
  EXPECT_THAT(prompt_.Texts(),
              ElementsAre("exeファイルを指定して下さい", "Templateファイルを指定して下さい"));
  page.EditTemplate();
  EXPECT_THAT(launcher_.opened, IsEmpty());

  EXPECT_TRUE(page.AcceptMailerPath("smail.exe"));
  EXPECT_TRUE(page.AcceptTemplatePath("t.txt"));
  EXPECT_EQ(page.Settings().m_sm_path, "smail.exe");
  page.EditTemplate();
  EXPECT_THAT(launcher_.opened, ElementsAre("t.txt|"));
}

TEST(SMailControlsEnabled, TemplateGroupNeedsMailAndTemplateTheRestMail) {
  const struct {
    bool mail, tmpl, mailPart, templatePart;
  } rows[] = {
      {false, false, false, false},
      {false, true, false, false},
      {true, false, true, false},
      {true, true, true, true},
  };
  for (const auto& r : rows) {
    const SMailEnabling on = SMailControlsEnabled(r.mail, r.tmpl);
    EXPECT_EQ(on.mail, r.mailPart) << r.mail << r.tmpl;
    EXPECT_EQ(on.templateGroup, r.templatePart) << r.mail << r.tmpl;
  }
}

}  // namespace
