// The iEPG extensions' association over an in-memory registry, and the
// one-time backup with a launcher that plays reg.exe.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "iepg/file_association.h"
#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/memory_registry.h"
#include "platform/program_path.h"
#include "platform/text.h"
#include "recording_launcher.h"
#include "schedule/nimbra_doc.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"
#include "support/scripted_view.h"

namespace {

constexpr RegistryRoot kHkcr = RegistryRoot::kClassesRoot;
constexpr RegistryRoot kUser = RegistryRoot::kUserClasses;
const char* kNotice =
    "拡張子のレジストリをバックアップします。\n【OKボタン】を押すとバックアップを開始します。\n"
    "レジストリのバックアップをDOSコマンドで行うため、\nOKボタンを押した後にDOSプロンプトが表示されます。";

class Association : public ::testing::Test {
 protected:
  Association() {
    // The machine's classes as an administrator left them; this user may
    // not change them.
    (void)registry.WriteString(kHkcr, ".tvvi", "", "tvvifile");
    (void)registry.WriteString(kHkcr, ".php3", "", "php3file");
    (void)registry.WriteString(kHkcr, "tvvifile\\shell\\open\\command", "", "C:\\tv\\tv.exe \"%1\"");
    (void)registry.WriteString(kHkcr, "php3file\\shell\\open\\command", "",
                               "%SystemRoot%\\notepad.exe %1");
    registry.DenyWrites(kHkcr);
    Restart();
    doc->AppInfo().SetRegBkFlag(1);  // backed up already, unless a test says otherwise
  }

  // The program ends (saving its settings) and starts again.
  void Restart() {
    assoc.reset();
    if (doc) (void)doc->SaveSettings();
    doc.reset();
    doc = std::make_unique<CNimbraDoc>(clock, prompt, debugLog, settings);
    doc->LoadSettings();
    doc->SetView(&view);
    assoc = std::make_unique<CFileAssociation>(*doc, services, registry, launcher, modulePath);
  }
  void MoveProgramTo(const std::string& path) {
    modulePath = path;
    assoc = std::make_unique<CFileAssociation>(*doc, services, registry, launcher, modulePath);
  }
  std::string Handler(const char* ext) { return registry.ReadString(kHkcr, ext, "").value_or("-"); }
  std::string Command() {
    return registry.ReadString(kUser, "Tz_auto\\shell\\open\\Command", "").value_or("-");
  }

  ScratchDir dir;
  std::string settings = dir.File("Nimbra.ini");
  std::string modulePath = JoinPath(dir.path(), "Nimbra.exe");
  FakeClock clock{TimeToSeconds(MakeSystemTime(2030, 5, 1, 9, 5, 7))};
  ScriptedPrompt prompt;
  CDebugLog debugLog;
  ScriptedView view;
  MemoryRegistry registry;
  RecordingLauncher launcher;
  CoreServices services{clock, prompt, debugLog};
  std::unique_ptr<CNimbraDoc> doc;
  std::unique_ptr<CFileAssociation> assoc;
};

TEST_F(Association, RemembersThePreviousHandlerAndRestoresItAfterARestart) {
  assoc->ApplyEpgSettings(0x5, 1, "C:\\rec\\rec.exe");  // .tvvi and .php3
  EXPECT_EQ(Handler(".tvvi"), "Tz_auto");
  EXPECT_EQ(Handler(".php3"), "Tz_auto");
  EXPECT_EQ(Handler(".tvpi"), "-");  // never ours, never created
  EXPECT_EQ(Command(), "\"" + modulePath + "\" \"%1\"");
  EXPECT_EQ(registry.ReadString(kHkcr, "Tz_auto", ""), "nimbra file");
  EXPECT_EQ(registry.ReadString(kUser, "Tz_auto\\shell", ""), "");
  EXPECT_TRUE(prompt.shown.empty());  // no backup notice once backed up
  EXPECT_STREQ(doc->GetListingsUrl(), GetSiteUrl(1));
  EXPECT_STREQ(doc->AppInfo().GetTvAppPath(), "C:\\rec\\rec.exe");

  Restart();
  EXPECT_EQ(doc->AppInfo().GetSelExt(), 5);
  EXPECT_EQ(doc->AppInfo().GetTvId(), 1);
  assoc->ApplyEpgSettings(0x1, 1, "C:\\rec\\rec.exe");
  EXPECT_EQ(Handler(".tvvi"), "Tz_auto");
  EXPECT_EQ(Handler(".php3"), "php3file");
  Restart();
  assoc->ApplyEpgSettings(0x0, 1, "C:\\rec\\rec.exe");
  EXPECT_EQ(Handler(".tvvi"), "tvvifile");
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(Association, OurOwnFileTypeIsNeverRemembered) {
  registry.AllowWrites(kHkcr);
  (void)registry.WriteString(kHkcr, ".epg", "", "Tz_auto");  // an earlier install's
  EXPECT_EQ(assoc->AssociateExtension(".epg", "x"), AssociationResult::kDone);
  EXPECT_EQ(doc->AppInfo().Associations().LookupAssociation(".epg"), nullptr);
  EXPECT_EQ(assoc->UnassociateExtension(".epg"), AssociationResult::kDone);
  EXPECT_EQ(Handler(".epg"), "Tz_auto");
}

TEST_F(Association, AHandlerChosenSinceThenIsNotTakenAway) {
  assoc->ApplyEpgSettings(0x1, 0, "");
  (void)registry.WriteString(kUser, ".tvvi", "", "OtherApp.tvvi");  // the user's new choice
  assoc->ApplyEpgSettings(0x0, 0, "");
  EXPECT_EQ(Handler(".tvvi"), "OtherApp.tvvi");
}

TEST_F(Association, AMovedProgramRewritesOnlyTheCommand) {
  assoc->ApplyEpgSettings(0x1, 0, "");
  (void)registry.WriteString(kUser, "Tz_auto", "", "described by the user");
  MoveProgramTo("D:\\Tools\\Nimbra\\Nimbra.exe");
  assoc->ApplyEpgSettings(0x1, 0, "");
  EXPECT_EQ(Command(), "\"D:\\Tools\\Nimbra\\Nimbra.exe\" \"%1\"");
  EXPECT_EQ(registry.ReadString(kUser, "Tz_auto", ""), "described by the user");
}

TEST_F(Association, TheUnquotedCommandOfAnEarlierVersionIsQuoted) {
  (void)registry.WriteString(kUser, "Tz_auto", "", "nimbra file");
  (void)registry.WriteString(kUser, "Tz_auto\\shell\\open\\Command", "", modulePath + " \"%1\"");
  (void)registry.WriteString(kUser, ".tvvi", "", "Tz_auto");
  doc->AppInfo().Associations().RememberAssociation(".tvvi", "tvvifile");
  assoc->ApplyEpgSettings(0x1, 0, "");
  EXPECT_EQ(Command(), "\"" + modulePath + "\" \"%1\"");
  assoc->ApplyEpgSettings(0x0, 0, "");
  EXPECT_EQ(Handler(".tvvi"), "tvvifile");
}

// A remembered handler comes from the settings file: one that would run a
// downloaded file as a program, or that is not there to open it, is never
// given back.
TEST_F(Association, OnlyAnExistingDocumentTypeIsGivenBack) {
  registry.AllowWrites(kHkcr);
  const char* const runsTheFile = "\"%1\" %*";
  for (const char* type : {"exefile", "ExeFile", "batfile", "cmdfile", "comfile", "scrfile",
                           "piffile", "htafile", "vbsfile", "jsfile", "wsffile", "lnkfile",
                           "regfile", "Msi.Package", "Msi.Patch"})
    (void)registry.WriteString(kHkcr, std::string(type) + "\\shell\\open\\command", "",
                               runsTheFile);
  (void)registry.WriteString(kHkcr, "Runner.File\\shell\\open\\command", "", runsTheFile);
  (void)registry.WriteString(kHkcr, "Long.Runner\\shell\\open\\command", "", "%L");
  (void)registry.WriteString(kHkcr, "NoCommand.File\\shell\\open", "", "");
  (void)registry.WriteString(kHkcr, "Viewer.File\\shell\\open\\command", "",
                             "\"C:\\Viewer\\viewer.exe\" \"%1\"");
  struct Case {
    const char* previous;
    bool restored;
  };
  for (const Case& c : {Case{"exefile", false}, Case{"ExeFile", false}, Case{"batfile", false},
                        Case{"cmdfile", false}, Case{"comfile", false}, Case{"scrfile", false},
                        Case{"piffile", false}, Case{"htafile", false}, Case{"vbsfile", false},
                        Case{"jsfile", false}, Case{"wsffile", false}, Case{"lnkfile", false},
                        Case{"regfile", false}, Case{"Msi.Package", false}, Case{"Msi.Patch", false},
                        Case{"Runner.File", false}, Case{"Long.Runner", false},
                        Case{"NoCommand.File", false}, Case{"Missing.File", false},
                        Case{"Viewer.File\\shell", false}, Case{"Viewer.File", true}}) {
    SCOPED_TRACE(c.previous);
    // The settings file as it was written by hand.
    assoc.reset();
    doc.reset();
    WriteAll(settings, std::string("[APP_MNG_INFO]\r\nreg_bk_flag=1\r\n[EPG_MANEGEMENT]\r\n.tvpi=") +
                           c.previous + "\r\n");
    Restart();
    assoc->ApplyEpgSettings(0x2, 0, "");
    ASSERT_EQ(Handler(".tvpi"), "Tz_auto");
    assoc->ApplyEpgSettings(0x0, 0, "");
    EXPECT_EQ(Handler(".tvpi"), c.restored ? c.previous : "Tz_auto");
  }
}

TEST_F(Association, WriteFailuresAreReportedWithTheExtension) {
  registry.DenyWrites(kUser);
  assoc->ApplyEpgSettings(0x3, 0, "");
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].text,
            "次の拡張子の関連付けをレジストリに書き込めませんでした。\n.tvvi .tvpi");
  EXPECT_EQ(prompt.shown[0].caption, "Nimbra");
  EXPECT_EQ(Handler(".tvvi"), "tvvifile");
}

TEST_F(Association, WindowsOwnChoiceIsNamed) {
  const std::string choice =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.tvpi\\UserChoice";
  (void)registry.WriteString(RegistryRoot::kCurrentUser, choice, "ProgId", "Browser.tvpi");
  assoc->ApplyEpgSettings(0x3, 0, "");
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_NE(prompt.shown[0].text.find("\n.tvpi\n"), std::string::npos) << prompt.shown[0].text;
  EXPECT_NE(prompt.shown[0].text.find("既定のアプリ"), std::string::npos);
  (void)registry.WriteString(RegistryRoot::kCurrentUser, choice, "ProgId", "Tz_auto");
  prompt.shown.clear();
  assoc->ApplyEpgSettings(0x3, 0, "");
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(Association, SettingsAreSavedAtOnce) {
  assoc->ApplyEpgSettings(0x8, 2, "C:\\rec.exe");
  CNimbraDoc reread(clock, prompt, debugLog, settings);
  reread.LoadSettings();
  EXPECT_EQ(reread.AppInfo().GetSelExt(), 8);
  EXPECT_EQ(reread.AppInfo().GetTvId(), 2);
  EXPECT_STREQ(reread.AppInfo().GetTvAppPath(), "C:\\rec.exe");
}

TEST_F(Association, AProgramFolderTooLongForTheSettingsLeavesTheRegistryAlone) {
  doc->AppInfo().SetRegBkFlag(0);
  MoveProgramTo(std::string(300, 'd') + "\\Nimbra.exe");
  const int keys = registry.KeyCount(kUser);
  assoc->ApplyEpgSettings(0x1, 2, "C:\\rec.exe");
  EXPECT_EQ(registry.KeyCount(kUser), keys);
  EXPECT_TRUE(launcher.ran.empty());
  ASSERT_EQ(prompt.shown.size(), 2u);
  EXPECT_EQ(prompt.shown[0].text, kNotice);
  EXPECT_EQ(doc->AppInfo().GetTvId(), 2);  // the rest of the page is kept
  EXPECT_EQ(doc->AppInfo().GetRegBkFlag(), 0);
}

// reg.exe as the launcher plays it: writes "<ext>;" into the named file.
std::optional<int> FakeExport(const std::string&, const std::vector<std::string>& args) {
  WriteAll(args.at(2), args.at(1) + ";");
  return 0;
}

TEST_F(Association, TheFirstApplyBacksUpEveryExistingKeyOnce) {
  doc->AppInfo().SetRegBkFlag(0);
  launcher.onRun = FakeExport;
  assoc->ApplyEpgSettings(0x1, 0, "");

  // Only the keys that exist are exported, each waited for, into one file.
  ASSERT_EQ(launcher.ran.size(), 2u);
  EXPECT_EQ(launcher.ran[0].program, "reg.exe");
  EXPECT_EQ(launcher.ran[0].args,
            (std::vector<std::string>{"EXPORT", "HKCR\\.tvvi", dir.File("tvvi.reg"), "/y"}));
  const std::string date = "2030年05月01日 9時5分7秒";
  const std::string backup = dir.File(date + "_ext_bak.reg");
  EXPECT_EQ(ReadAll(backup), "HKCR\\.tvvi;HKCR\\.php3;");
  EXPECT_FALSE(FileExists(dir.File("tvvi.reg")));
  EXPECT_FALSE(FileExists(dir.File("php3.reg")));
  ASSERT_EQ(prompt.shown.size(), 2u);
  EXPECT_EQ(prompt.shown[0].text, kNotice);
  EXPECT_EQ(prompt.shown[1].text, "正常にバックアップが完了しました。\nバックアップ日時：" + date);
  EXPECT_EQ(doc->AppInfo().GetRegBkFlag(), 1);
  EXPECT_STREQ(doc->AppInfo().GetProgPath(), dir.path().c_str());

  prompt.shown.clear();
  Restart();
  assoc->ApplyEpgSettings(0x1, 0, "");
  EXPECT_TRUE(prompt.shown.empty());
  EXPECT_EQ(launcher.ran.size(), 2u);
}

TEST_F(Association, TheBackupLandsInAProgramFolderNamedLikeAListing) {
  // 表's second byte in Shift-JIS is the byte of '\'.
  const std::string folder = dir.File("番組表");
  std::filesystem::create_directory(std::filesystem::u8path(folder));
  MoveProgramTo(JoinPath(folder, "Nimbra.exe"));
  doc->AppInfo().SetRegBkFlag(0);
  launcher.onRun = FakeExport;
  assoc->ApplyEpgSettings(0x1, 0, "");
  ASSERT_EQ(launcher.ran.size(), 2u);
  EXPECT_EQ(launcher.ran[0].args.at(2), JoinPath(folder, "tvvi.reg"));
  // Looked for by the file system's own joining, not by ours.
  const auto backup =
      std::filesystem::u8path(folder) / std::filesystem::u8path("2030年05月01日 9時5分7秒_ext_bak.reg");
  EXPECT_EQ(ReadAll(backup.u8string()), "HKCR\\.tvvi;HKCR\\.php3;");
  EXPECT_EQ(Command(), OpenCommandFor(modulePath));
  // The settings file keeps the folder in Shift-JIS.
  EXPECT_EQ(doc->AppInfo().GetProgPath(), Utf8ToSjis(folder));
}

TEST_F(Association, PathsThatShiftJisCannotHoldAreRefusedNeverMangled) {
  // "¥" would turn into '\' and "ë" into 'e' by a best-fit conversion.
  for (const char* name : {"Zoë", "¥"}) {
    SCOPED_TRACE(name);
    prompt.shown.clear();
    launcher.ran.clear();
    MoveProgramTo(JoinPath(JoinPath(dir.path(), name), "Nimbra.exe"));
    doc->AppInfo().SetRegBkFlag(0);
    (void)doc->AppInfo().SetTvAppPath("C:\\rec\\old.exe");
    launcher.onRun = FakeExport;
    assoc->ApplyEpgSettings(0x1, 0, JoinPath(JoinPath("C:", name), "rec.exe"));
    ASSERT_EQ(prompt.shown.size(), 3u);
    EXPECT_EQ(prompt.shown[1].text.rfind("プログラムのフォルダのパスに、", 0), 0u) << prompt.shown[1].text;
    EXPECT_EQ(prompt.shown[2].text.rfind("録画ソフトのパスに、", 0), 0u) << prompt.shown[2].text;
    EXPECT_TRUE(launcher.ran.empty());
    EXPECT_EQ(Handler(".tvvi"), "tvvifile");
    EXPECT_STREQ(doc->AppInfo().GetProgPath(), "");
    EXPECT_STREQ(doc->AppInfo().GetTvAppPath(), "C:\\rec\\old.exe");
  }
}

TEST_F(Association, AFailedBackupSaysSoAndIsTriedAgain) {
  doc->AppInfo().SetRegBkFlag(0);
  launcher.onRun = [](const std::string&, const std::vector<std::string>&) {
    return std::optional<int>();  // did not end in time
  };
  assoc->ApplyEpgSettings(0x1, 0, "");
  ASSERT_EQ(prompt.shown.size(), 2u);
  EXPECT_EQ(prompt.shown[1].text.rfind("拡張子のレジストリをバックアップできませんでした。", 0), 0u);
  EXPECT_EQ(doc->AppInfo().GetRegBkFlag(), 0);
  EXPECT_EQ(Handler(".tvvi"), "Tz_auto");  // the association itself went on

  launcher.onRun = FakeExport;
  Restart();
  assoc->ApplyEpgSettings(0x1, 0, "");
  EXPECT_EQ(prompt.shown[2].text, kNotice);
  EXPECT_EQ(prompt.shown[3].text.rfind("正常にバックアップが完了しました。", 0), 0u);
  EXPECT_EQ(doc->AppInfo().GetRegBkFlag(), 1);
}

TEST_F(Association, NothingToBackUpStillLeavesAValidFile) {
  MemoryRegistry empty;
  CFileAssociation fresh(*doc, services, empty, launcher, modulePath);
  (void)doc->AppInfo().SetProgPath(dir.path());
  EXPECT_TRUE(fresh.BackupExtRegistry("ext_bak.reg"));
  EXPECT_TRUE(launcher.ran.empty());
  const std::string bytes =
      ReadAll(dir.File("2030年05月01日 9時5分7秒_ext_bak.reg"));
  EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFEW\0", 4));
}

TEST(BackupName, DateTextFormat) {
  EXPECT_EQ(BackupDateText(MakeSystemTime(2030, 1, 2, 0, 0, 0)), "2030年01月02日 0時0分0秒");
  EXPECT_EQ(BackupDateText(MakeSystemTime(2030, 12, 31, 23, 59, 58)), "2030年12月31日 23時59分58秒");
  EXPECT_EQ(OpenCommandFor("C:\\Users\\Taro Yamada\\Nimbra\\Nimbra.exe"),
            "\"C:\\Users\\Taro Yamada\\Nimbra\\Nimbra.exe\" \"%1\"");
}

TEST(AppendFile, AppendsBytesUnchanged) {
  ScratchDir d;
  WriteAll(d.File("a"), std::string("\xFF\xFEx\0\r\n", 6));
  EXPECT_TRUE(AppendFile(d.File("a"), d.File("out")));
  EXPECT_TRUE(AppendFile(d.File("a"), d.File("out")));
  EXPECT_EQ(ReadAll(d.File("out")), std::string("\xFF\xFEx\0\r\n\xFF\xFEx\0\r\n", 12));
  EXPECT_FALSE(AppendFile(d.File("missing"), d.File("out2")));
  EXPECT_FALSE(FileExists(d.File("out2")));
}

}  // namespace
