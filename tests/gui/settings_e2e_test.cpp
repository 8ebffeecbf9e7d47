// End to end through the settings sheet of the real Nimbra.exe: the sheet
// opened from the menu commands, its OK leaving the settings file and the
// per-user classes of the Wine prefix as they should be, and the plug-in's
// mail page sending a test mail to a recording stand-in for the mailer.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "app/win/resource.h"
#include "app/win/settings_resource.h"
#include "gui_driver.h"
#include "platform/win32/text_win.h"
#include "plugin/win/smail_resource.h"
#include "program_driver.h"
#include "support/recording_mailer.h"
#include "support/scratch_dir.h"

namespace {

using gui::Program;

constexpr wchar_t kCaption[] = L"設定";
constexpr const wchar_t* kClassKeys[] = {L"Software\\Classes\\.tvvi", L"Software\\Classes\\.tvpi",
                                         L"Software\\Classes\\.php3", L"Software\\Classes\\.epg",
                                         L"Software\\Classes\\.tvpid",
                                         L"Software\\Classes\\Tz_auto",
                                         L"Software\\Classes\\OtherEditor.php3"};

HWND CurrentPage(HWND sheet) {
  return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}
int TabCount(HWND sheet) {
  HWND tabs = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
  return static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
}
void Press(HWND page, int id) { SendDlgItemMessageW(page, id, BM_CLICK, 0, 0); }

// The default value of a key of the current user's classes; "-" when the key
// or value is missing.
std::wstring UserClassValue(const std::wstring& key) {
  wchar_t buf[1024];
  DWORD size = sizeof buf;
  if (RegGetValueW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + key).c_str(), nullptr, RRF_RT_REG_SZ,
                   nullptr, buf, &size) != ERROR_SUCCESS) {
    return L"-";
  }
  return buf;
}

bool Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

// The real program in a scratch folder with the named files from beside the
// test, started as a dry run.
class SettingsEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    // The registry touched here is the throwaway Wine prefix's only.
    if (!gui::RunningUnderWine()) GTEST_SKIP() << "changes the user's file associations";
    ClearClasses();
  }
  void TearDown() override {
    if (gui::RunningUnderWine()) ClearClasses();
  }
  // False when a file could not be copied.
  bool Install(const std::vector<std::string>& files) {
    if (!dir_.CopyFromTestFolder(files)) return false;
    return true;
  }
  std::wstring Folder() const { return Utf8ToWide(dir_.path()); }
  std::wstring File(const std::wstring& name) const { return Folder() + L"\\" + name; }

  static void ClearClasses() {
    for (const wchar_t* key : kClassKeys) {
      RegDeleteTreeW(HKEY_CURRENT_USER, key);
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, key);
    }
  }

  ScratchDir dir_;
};

TEST_F(SettingsEndToEnd, OkAssociatesTheTickedExtensionsBacksUpOnceAndSaves) {
  // .php3 belongs to another program before, registered for the machine
  // (Wine's reg.exe exports only those through HKEY_CLASSES_ROOT).
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.php3", 0,
                                           nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  const wchar_t other[] = L"OtherEditor.php3";
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof other);
  RegCloseKey(key);
  // A document type with a program of its own, so it may be given back.
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                            L"Software\\Classes\\OtherEditor.php3\\shell\\open\\command", 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
  const wchar_t editor[] = L"\"C:\\Editor\\editor.exe\" \"%1\"";
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(editor), sizeof editor);
  RegCloseKey(key);

  ASSERT_TRUE(Install({"Nimbra.exe"}));
  const std::wstring ini = File(L"Nimbra.ini");
  ASSERT_TRUE(gui::WriteFileBytes(
      ini, "[APP_MNG_INFO]\r\ntv_id=0\r\nsel_ext=0\r\nreg_bk_flag=0\r\ntv_app_path=C:\\rec\\tv.exe\r\n"));

  Program nimbra(Folder());
  nimbra.DismissPluginLoadErrors();  // no plug-in beside the program here
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame());

  PostMessageW(nimbra.Frame(), WM_COMMAND, ID_SETTING_EPG, 0);
  HWND sheet = nimbra.WaitForCaption(kCaption);
  ASSERT_NE(nullptr, sheet);
  HWND page = CurrentPage(sheet);
  ASSERT_NE(nullptr, page);
  EXPECT_EQ(3, TabCount(sheet));  // no plug-in beside the program: EPG, user and 通知
  EXPECT_EQ(L"C:\\rec\\tv.exe", gui::WindowText(GetDlgItem(page, IDC_EPG_APP_PATH)));
  EXPECT_NE(nullptr, GetDlgItem(page, IDC_EPG_SITE_0));

  Press(page, IDC_EPG_EXT_0);   // .tvvi
  Press(page, IDC_EPG_EXT_2);   // .php3
  Press(page, IDC_EPG_SITE_2);  // ONTV JAPAN
  PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);

  bool timedOut = false;
  const std::vector<std::wstring> messages = nimbra.AnswerMessagesUntil(
      [&] {
        const std::string s = gui::ReadFileBytes(ini);
        return !IsWindow(sheet) && Contains(s, "tv_id=2") && Contains(s, "sel_ext=5");
      },
      &timedOut);
  EXPECT_FALSE(timedOut);
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(0u, messages[0].find(L"拡張子のレジストリをバックアップします。"));
  EXPECT_EQ(0u, messages[1].find(L"正常にバックアップが完了しました。")) << messages[1];

  const std::string saved = gui::ReadFileBytes(ini);
  EXPECT_TRUE(Contains(saved, "reg_bk_flag=1")) << saved;
  EXPECT_TRUE(Contains(saved, "tv_app_path=C:\\rec\\tv.exe")) << saved;
  EXPECT_TRUE(Contains(saved, ".php3=OtherEditor.php3")) << saved;  // remembered for later

  EXPECT_EQ(L"Tz_auto", UserClassValue(L".tvvi"));
  EXPECT_EQ(L"Tz_auto", UserClassValue(L".php3"));
  EXPECT_NE(L"Tz_auto", UserClassValue(L".tvpi"));
  EXPECT_NE(L"Tz_auto", UserClassValue(L".epg"));
  EXPECT_EQ(L"nimbra file", UserClassValue(L"Tz_auto"));
  const std::wstring command = UserClassValue(L"Tz_auto\\shell\\open\\Command");
  EXPECT_EQ(L"\\Nimbra.exe\" \"%1\"", command.substr(command.size() - 17)) << command;

  // The backup is one file named by its date.
  WIN32_FIND_DATAW fd;
  HANDLE found = FindFirstFileW(File(L"*_ext_bak.reg").c_str(), &fd);
  EXPECT_NE(INVALID_HANDLE_VALUE, found);
  if (found != INVALID_HANDLE_VALUE) FindClose(found);

  // Unticking .php3 later gives it back to the program it had.
  PostMessageW(nimbra.Frame(), WM_COMMAND, ID_SETTING_USER, 0);
  sheet = nimbra.WaitForCaption(kCaption);
  ASSERT_NE(nullptr, sheet);
  SendMessageW(sheet, PSM_SETCURSEL, 0, 0);
  page = CurrentPage(sheet);
  Press(page, IDC_EPG_EXT_2);
  PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  const std::vector<std::wstring> again = nimbra.AnswerMessagesUntil(
      [&] { return !IsWindow(sheet) && Contains(gui::ReadFileBytes(ini), "sel_ext=1"); }, &timedOut);
  EXPECT_FALSE(timedOut);
  EXPECT_TRUE(again.empty()) << "the backup is made once";
  EXPECT_EQ(L"OtherEditor.php3", UserClassValue(L".php3"));
  EXPECT_EQ(L"Tz_auto", UserClassValue(L".tvvi"));

  EXPECT_EQ(0, nimbra.Exit());
}

TEST_F(SettingsEndToEnd, TheMailPageSendsATestMailWithWhatItShows) {
  ASSERT_TRUE(Install({"Nimbra.exe", "Pelluxdlg.dll", "Pellux.dll", "recording_mailer.exe"}));
  const std::wstring ini = File(L"Nimbra.ini");
  // No extension ticked and the backup made: OK touches no registry.
  ASSERT_TRUE(gui::WriteFileBytes(
      ini, "[APP_MNG_INFO]\r\nsel_ext=0\r\nreg_bk_flag=1\r\n[section_smail]\r\nm_sm_enable_check=1\r\n"));

  Program nimbra(Folder());
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame());

  PostMessageW(nimbra.Frame(), WM_COMMAND, ID_SETTING_USER, 0);
  HWND sheet = nimbra.WaitForCaption(kCaption);
  ASSERT_NE(nullptr, sheet);
  EXPECT_EQ(4, TabCount(sheet));  // the plug-in's mail page third, 通知 after it
  SendMessageW(sheet, PSM_SETCURSEL, 2, 0);
  HWND page = CurrentPage(sheet);
  ASSERT_NE(nullptr, GetDlgItem(page, IDC_SM_TEST_SEND));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_SM_TEST_SEND)));

  const std::wstring mailer = File(L"recording_mailer.exe");
  SetDlgItemTextW(page, IDC_SM_SERVER, L"smtp.example.jp");
  SetDlgItemTextW(page, IDC_SM_PATH, mailer.c_str());
  SetDlgItemTextW(page, IDC_SM_SRC_ADDR, L"pc@example.jp");
  SetDlgItemTextW(page, IDC_SM_DST_ADDR, L"me@example.jp");
  SetDlgItemTextW(page, IDC_SM_TITLE, L"録画終了");
  PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_SM_TEST_SEND, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_SM_TEST_SEND)));
  HWND question = nimbra.WaitForMessage(L"テストメールを送信します。送信しますか？");
  ASSERT_NE(nullptr, question);
  PostMessageW(question, WM_COMMAND, IDYES, 0);

  // The test mail carries what the page shows.
  const std::vector<std::string> args = ArgumentsInRecord(gui::WaitForFile(mailer + L".args"));
  ASSERT_EQ(5u, args.size());
  EXPECT_EQ("-hsmtp.example.jp", args[0]);
  EXPECT_EQ("-fpc@example.jp", args[1]);
  EXPECT_EQ("-s" + WideToSjis(L"録画終了"), args[2]);
  EXPECT_EQ("me@example.jp", args[4]);
  // The preview file of the test mail lies in the program's folder.
  EXPECT_FALSE(gui::ReadFileBytes(File(L"tempo-----.txt")).empty());

  // OK keeps what the page shows.
  PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  bool timedOut = false;
  const std::vector<std::wstring> messages = nimbra.AnswerMessagesUntil(
      [&] {
        return !IsWindow(sheet) && Contains(gui::ReadFileBytes(ini), "m_sm_server=smtp.example.jp");
      },
      &timedOut);
  EXPECT_FALSE(timedOut);
  EXPECT_TRUE(messages.empty());
  const std::string saved = gui::ReadFileBytes(ini);
  EXPECT_TRUE(Contains(saved, "m_sm_path=" + WideToSjis(mailer))) << saved;
  EXPECT_TRUE(Contains(saved, "m_sm_title=" + WideToSjis(L"録画終了"))) << saved;

  EXPECT_EQ(0, nimbra.Exit());
}

}  // namespace
