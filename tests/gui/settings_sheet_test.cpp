// The settings sheet shown for real, in this process: its own two pages, and
// the mail page of the real plug-in library beside this test, driven from a
// timer while the sheet runs modally.
#include "support/loopback_http_server.h"  // winsock2.h before windows.h

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/plugin_host.h"
#include "app/program_notifier.h"
#include "app/win/nimbra_property.h"
#include "app/win/regular_time_dlg.h"
#include "app/win/settings_resource.h"
#include "boundary/nimbra_boundary.h"
#include "framework/controls.h"
#include "notify/win32/curl_mailer.h"
#include "notify/win32/dpapi_sealer.h"
#include "notify/win32/winhttp_poster.h"
#include "platform/debug_log.h"
#include "gui_driver.h"
#include "platform/program_path.h"
#include "platform/settings_path.h"
#include "platform/startup_entries.h"
#include "platform/text.h"
#include "platform/win32/text_win.h"
#include "plugin/smail_page.h"
#include "plugin/win/smail_resource.h"
#include "schedule/app_settings.h"
#include "support/fakes.h"
#include "support/user_settings.h"
#include "support/scratch_dir.h"

namespace {

constexpr wchar_t kCaption[] = L"設定";
constexpr int kApplyButton = 0x3021;

bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE; }
int Selection(HWND dlg, int id) {
  return static_cast<int>(SendDlgItemMessageW(dlg, id, CB_GETCURSEL, 0, 0));
}
int ItemCount(HWND dlg, int id) {
  return static_cast<int>(SendDlgItemMessageW(dlg, id, CB_GETCOUNT, 0, 0));
}
// A real click: an auto button changes its state, then notifies its page.
void Press(HWND dlg, int id) { SendDlgItemMessageW(dlg, id, BM_CLICK, 0, 0); }

HWND Tabs(HWND sheet) { return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0)); }
int TabCount(HWND sheet) { return static_cast<int>(SendMessageW(Tabs(sheet), TCM_GETITEMCOUNT, 0, 0)); }
int CurrentTab(HWND sheet) { return static_cast<int>(SendMessageW(Tabs(sheet), TCM_GETCURSEL, 0, 0)); }
std::wstring TabText(HWND sheet, int index) {
  wchar_t text[64] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = 64;
  SendMessageW(Tabs(sheet), TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
  return text;
}
HWND ShowPage(HWND sheet, int index) {
  SendMessageW(sheet, PSM_SETCURSEL, index, 0);
  return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}
HWND CurrentPage(HWND sheet) {
  return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}
void PressSheet(HWND sheet, int id) { PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Steps on the settings sheet while it runs modally. Every step gets the
// sheet and the page it opened on; the first waits until the sheet's own
// window (not any window of that caption) and its page are shown. A step
// returns true when done (false tries again at the next tick).
class SheetScript {
 public:
  using Step = std::function<bool(HWND sheet, HWND page)>;
  void Add(Step step) {
    script_.Add([this, step] {
      if (!page_) {
        HWND sheet = shown_ ? shown_->GetHwnd() : nullptr;
        if (!sheet || !IsWindowVisible(sheet)) return false;
        HWND page = CurrentPage(sheet);
        if (!page || !IsWindowVisible(page)) return false;
        sheet_ = sheet;
        page_ = page;
      }
      return step(sheet_, page_);
    });
  }
  // A step done at its first try.
  void Do(const std::function<void(HWND sheet, HWND page)>& step) {
    Add([step](HWND sheet, HWND page) {
      step(sheet, page);
      return true;
    });
  }
  // The file dialog that a browse button opened: path chosen in it, or
  // cancelled (nullptr); the next step runs once it has gone.
  void AnswerFileDialog(const wchar_t* path) {
    Add([path](HWND, HWND) {
      HWND f = FindFileDialog();
      if (!f) return false;
      if (path) {
        SetDlgItemTextW(f, GetDlgItem(f, kFileNameCombo) ? kFileNameCombo : kFileNameEdit, path);
        PostMessageW(f, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      } else {
        PostMessageW(f, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      }
      return true;
    });
    Add([](HWND, HWND) { return FindFileDialog() == nullptr; });
  }
  // Shows sheet, runs the steps, then presses button (IDOK or IDCANCEL);
  // checks that every step ran and the sheet ended with that button.
  void RunAndClose(CNimbraProperty& sheet, int button) {
    Do([button](HWND s, HWND) { PressSheet(s, button); });
    shown_ = &sheet;
    EXPECT_EQ(button, script_.Run([&] { return sheet.DoModal(); }));
    shown_ = nullptr;
    EXPECT_TRUE(script_.Completed());
  }

 private:
  // The file-open dialog of this thread: the dialog with a file name box.
  static constexpr int kFileNameCombo = 0x47c;  // cmb13
  static constexpr int kFileNameEdit = 0x480;   // edt1
  static HWND FindFileDialog() {
    for (HWND h : gui::ThreadDialogs()) {
      if (GetDlgItem(h, kFileNameCombo) || GetDlgItem(h, kFileNameEdit)) return h;
    }
    return nullptr;
  }

  gui::ModalScript script_;
  CNimbraProperty* shown_ = nullptr;
  HWND sheet_ = nullptr;
  HWND page_ = nullptr;
};

class SettingsSheetTest : public ::testing::Test {
 protected:
  void SetUp() override { InitCommonControlsOnce(); }

  // The sheet without the plug-in, opened on page start.
  std::unique_ptr<CNimbraProperty> Sheet(UINT start) {
    auto sheet = std::make_unique<CNimbraProperty>(nullptr, nullptr, kCaption, nullptr, start, prompt_);
    sheet->m_user.SetAppInfo(&info_);
    return sheet;
  }

  ScriptedPrompt prompt_;
  CAppMngInfo info_;
};

// ---- the sheet ----

TEST_F(SettingsSheetTest, WithoutThePlugInItHasTwoPagesAndOpensOnThePageAsked) {
  for (UINT start : {0u, 1u}) {
    auto sheet = Sheet(start);
    EXPECT_EQ(2, sheet->GetPageCount());
    int tabs = 0, current = -1;
    std::wstring first, second;
    SheetScript script;
    script.Do([&](HWND s, HWND) {
      tabs = TabCount(s);
      current = CurrentTab(s);
      first = TabText(s, 0);
      second = TabText(s, 1);
      gui::SaveScreenshot(start == 0 ? "settings-epg-page" : "settings-user-page");
    });
    script.RunAndClose(*sheet, IDCANCEL);
    EXPECT_EQ(2, tabs);
    EXPECT_EQ(static_cast<int>(start), current);
    EXPECT_EQ(L"EPG設定", first);
    EXPECT_EQ(L"ユーザ設定", second);
  }
}

// The 通知 page comes last with the sender: its switches and kind show the
// settings, a test send goes to the address typed and its outcome shows in
// words, and OK takes the page's values.
TEST_F(SettingsSheetTest, TheNotifyPageSendsATestAndTakesItsValues) {
  OneRequestServer server(204);
  CWinHttpPoster poster;
  CDebugLog log;
  CNotifySender sender(poster, log, NotifyReports());
  CNimbraProperty sheet(nullptr, nullptr, kCaption, nullptr, 2, prompt_, &sender);
  sheet.m_user.SetAppInfo(&info_);
  sheet.m_notify.m_settings.webhook_kind = 2;
  ASSERT_EQ(3, sheet.GetPageCount());
  const std::string url = "http://127.0.0.1:" + std::to_string(server.port) + "/SECRET";
  std::wstring tab, result;
  bool balloonEnd = true, balloonTrouble = false;
  int kind = -1;
  SheetScript script;
  script.Do([&](HWND s, HWND p) {
    tab = TabText(s, 2);
    balloonEnd = Checked(p, IDC_NOTIFY_BALLOON_END);
    balloonTrouble = Checked(p, IDC_NOTIFY_BALLOON_TROUBLE);
    kind = Selection(p, IDC_NOTIFY_KIND);
    SetDlgItemTextW(p, IDC_NOTIFY_URL, Utf8ToWide(url).c_str());
    SendDlgItemMessageW(p, IDC_NOTIFY_KIND, CB_SETCURSEL, 3, 0);
    Press(p, IDC_NOTIFY_ON_MISSED);
    Press(p, IDC_NOTIFY_TEST);
  });
  script.Add([&](HWND, HWND p) {
    result = gui::WindowText(GetDlgItem(p, IDC_NOTIFY_TEST_RESULT));
    return result.find(L"HTTP") != std::wstring::npos;
  });
  script.Do([](HWND, HWND) { gui::SaveScreenshot("settings-notify-page"); });
  // The templates' editor lists the keys and hands back what is typed.
  const auto templateDialog = [] {
    for (HWND h : gui::ThreadDialogs())
      if (GetDlgItem(h, IDC_TEMPLATE_KEYS)) return h;
    return HWND{};
  };
  std::wstring keys;
  script.Do([](HWND, HWND p) { PostMessageW(GetDlgItem(p, IDC_NOTIFY_TEMPLATE), BM_CLICK, 0, 0); });
  script.Add([&](HWND, HWND) {
    HWND d = templateDialog();
    if (!d) return false;
    keys = gui::WindowText(GetDlgItem(d, IDC_TEMPLATE_KEYS));
    SetDlgItemTextW(d, IDC_TEMPLATE_SUBJECT, L"録画 SCH_TITLE");
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
  });
  script.Add([&](HWND, HWND) { return templateDialog() == nullptr; });
  script.RunAndClose(sheet, IDOK);
  EXPECT_NE(std::wstring::npos, keys.find(L"SCH_VERDICT")) << keys;
  EXPECT_NE(std::wstring::npos, keys.find(L"SCH_TITLE")) << keys;
  EXPECT_EQ(Utf8ToSjis("録画 SCH_TITLE"), sheet.m_notify.m_settings.webhook_subject);
  EXPECT_EQ("", sheet.m_notify.m_settings.webhook_body);
  EXPECT_EQ(L"通知", tab);
  EXPECT_FALSE(balloonEnd);
  EXPECT_TRUE(balloonTrouble);
  EXPECT_EQ(2, kind);
  EXPECT_EQ(L"送信しました（HTTP 204）", result);
  ASSERT_TRUE(server.answered);
  EXPECT_EQ(0u, server.request.rfind("POST /SECRET HTTP/1.1\r\n", 0)) << server.request;
  EXPECT_NE(std::string::npos, server.request.find("\"event\":\"test\"")) << server.request;
  EXPECT_TRUE(sheet.m_notify.m_applied);
  EXPECT_EQ(url, sheet.m_notify.m_settings.webhook_url);
  EXPECT_EQ(3, sheet.m_notify.m_settings.webhook_kind);
  EXPECT_EQ(0, sheet.m_notify.m_settings.webhook_on_missed);
  EXPECT_TRUE(prompt_.shown.empty());
}

// The mail section: typed in, its test send runs the system's curl (the
// recording stand-in, answering with a refused login) and shows the outcome
// in words; OK keeps the password only sealed.
TEST_F(SettingsSheetTest, TheNotifyPagesMailSectionTestsAndKeepsThePasswordSealed) {
  wchar_t dir[MAX_PATH];
  const std::wstring systemCurl =
      std::wstring(dir, GetSystemDirectoryW(dir, MAX_PATH)) + L"\\curl.exe";
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring fake = (std::filesystem::path(self).parent_path() / L"fake_curl.exe").wstring();
  ASSERT_TRUE(CopyFileW(fake.c_str(), systemCurl.c_str(), FALSE));
  ScratchDir scratch;
  SetEnvironmentVariableW(L"NIMBRA_FAKE_CURL_RECORD", Utf8ToWide(scratch.File("curl")).c_str());
  SetEnvironmentVariableW(L"NIMBRA_FAKE_CURL_EXIT", L"67");
  SetEnvironmentVariableW(L"NIMBRA_FAKE_CURL_ERROR", L"Login denied");

  CWinHttpPoster poster;
  CDebugLog log;
  CCurlMailer mailer(log);
  CNotifySender sender(poster, &mailer, log, NotifyReports());
  CDpapiSealer sealer;
  FakeClock clock(1800000000);
  MailTools tools{sealer, clock};
  CNimbraProperty sheet(nullptr, nullptr, kCaption, nullptr, 2, prompt_, &sender);
  sheet.m_user.SetAppInfo(&info_);
  sheet.m_notify.m_mailTools = &tools;
  std::wstring result;
  SheetScript script;
  script.Do([&](HWND, HWND p) {
    SetDlgItemTextW(p, IDC_NOTIFY_MAIL_SERVER, L"smtp.example.com");
    SendDlgItemMessageW(p, IDC_NOTIFY_MAIL_PORT, CB_SETCURSEL, 1, 0);
    SetDlgItemTextW(p, IDC_NOTIFY_MAIL_USER, L"taro@example.com");
    SetDlgItemTextW(p, IDC_NOTIFY_MAIL_PASSWORD, L"typed-secret");
    SetDlgItemTextW(p, IDC_NOTIFY_MAIL_FROM, L"taro@example.com");
    SetDlgItemTextW(p, IDC_NOTIFY_MAIL_TO, L"hanako@example.jp; jiro@example.jp");
    Press(p, IDC_NOTIFY_MAIL_ON_MISSED);
    Press(p, IDC_NOTIFY_MAIL_TEST);
  });
  script.Add([&](HWND, HWND p) {
    result = gui::WindowText(GetDlgItem(p, IDC_NOTIFY_MAIL_TEST_RESULT));
    return result.find(L"curl") != std::wstring::npos;
  });
  // The mail has templates of its own, in the same editor.
  const auto templateDialog = [] {
    for (HWND h : gui::ThreadDialogs())
      if (GetDlgItem(h, IDC_TEMPLATE_KEYS)) return h;
    return HWND{};
  };
  script.Do([](HWND, HWND p) { PostMessageW(GetDlgItem(p, IDC_NOTIFY_MAIL_TEMPLATE), BM_CLICK, 0, 0); });
  script.Add([&](HWND, HWND) {
    HWND d = templateDialog();
    if (!d) return false;
    SetDlgItemTextW(d, IDC_TEMPLATE_SUBJECT, L"メール SCH_TITLE");
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
  });
  script.Add([&](HWND, HWND) { return templateDialog() == nullptr; });
  script.RunAndClose(sheet, IDOK);
  DeleteFileW(systemCurl.c_str());
  SetEnvironmentVariableW(L"NIMBRA_FAKE_CURL_EXIT", nullptr);
  EXPECT_EQ(L"送信できませんでした: " + Utf8ToWide(CurlExitText(67, "Login denied")), result);
  const std::string config = ReadAll(scratch.File("curl.stdin"));
  EXPECT_NE(std::string::npos, config.find("url = \"smtp://smtp.example.com:587\"")) << config;
  EXPECT_NE(std::string::npos, config.find("typed-secret"));
  EXPECT_EQ(std::string::npos, ReadAll(scratch.File("curl.args")).find("typed-secret"));
  const NotifySettings& kept = sheet.m_notify.m_settings;
  EXPECT_EQ("smtp.example.com", kept.mail_server);
  EXPECT_EQ(587, kept.mail_port);
  EXPECT_EQ("hanako@example.jp; jiro@example.jp", kept.mail_to);
  EXPECT_EQ(0, kept.mail_on_missed);
  EXPECT_EQ(Utf8ToSjis("メール SCH_TITLE"), kept.mail_subject);
  EXPECT_EQ("", kept.webhook_subject);
  EXPECT_EQ(std::string::npos, kept.mail_password.find("typed-secret"));
  std::string opened;
  ASSERT_TRUE(ReadStoredPassword(sealer, kept.mail_password, opened));
  EXPECT_EQ("typed-secret", opened);
  EXPECT_TRUE(prompt_.shown.empty());
}

// Without curl.exe in the system folder the mail section says so and its
// test button is off.
TEST_F(SettingsSheetTest, TheNotifyPagesMailSectionSaysWhenThereIsNoCurl) {
  CWinHttpPoster poster;
  CDebugLog log;
  CNotifySender sender(poster, log, NotifyReports());
  CDpapiSealer sealer;
  FakeClock clock;
  MailTools tools{sealer, clock};
  CNimbraProperty sheet(nullptr, nullptr, kCaption, nullptr, 2, prompt_, &sender);
  sheet.m_user.SetAppInfo(&info_);
  sheet.m_notify.m_mailTools = &tools;
  sheet.m_notify.m_mailCanSend = false;
  std::wstring note;
  bool enabled = true;
  SheetScript script;
  script.Do([&](HWND, HWND p) {
    note = gui::WindowText(GetDlgItem(p, IDC_NOTIFY_MAIL_TEST_RESULT));
    enabled = Enabled(p, IDC_NOTIFY_MAIL_TEST);
  });
  script.RunAndClose(sheet, IDCANCEL);
  EXPECT_EQ(Utf8ToWide(kNoSystemCurlText), note);
  EXPECT_FALSE(enabled);
}

// An address the page cannot use keeps the sheet open with a message.
TEST_F(SettingsSheetTest, TheNotifyPageRefusesAPlainHttpAddressToAnotherHost) {
  CWinHttpPoster poster;
  CDebugLog log;
  CNotifySender sender(poster, log, NotifyReports());
  CNimbraProperty sheet(nullptr, nullptr, kCaption, nullptr, 2, prompt_, &sender);
  sheet.m_user.SetAppInfo(&info_);
  SheetScript script;
  script.Do([](HWND s, HWND p) {
    SetDlgItemTextW(p, IDC_NOTIFY_URL, L"http://example.com/hook");
    PressSheet(s, IDOK);
  });
  script.Add([&](HWND, HWND) { return !prompt_.shown.empty(); });
  script.Do([](HWND, HWND p) { SetDlgItemTextW(p, IDC_NOTIFY_URL, L""); });
  script.RunAndClose(sheet, IDOK);
  EXPECT_EQ(1u, prompt_.shown.size());
  EXPECT_TRUE(sheet.m_notify.m_settings.webhook_url.empty());
}

// A page made "elsewhere": the system page owns it, as a plug-in's page.
class CountedPage : public CPropertyPage {
 public:
  explicit CountedPage(int* alive) : CPropertyPage(IDD_PROPERTY_EPG), alive_(alive) { ++*alive_; }
  ~CountedPage() override { --*alive_; }

 private:
  int* alive_;
};

TEST_F(SettingsSheetTest, APageMadeElsewhereGoesWithTheSheetShownOrNot) {
  int alive = 0;
  {
    auto sheet = Sheet(0);
    ASSERT_TRUE(sheet->AddPageHandle(
        CPropertyPage::CreateSelfOwnedPage(std::make_unique<CountedPage>(&alive), L"外部")));
    EXPECT_EQ(3, sheet->GetPageCount());
    EXPECT_EQ(1, alive);
  }
  EXPECT_EQ(0, alive);  // never shown: the sheet object destroyed it

  auto sheet = Sheet(0);
  ASSERT_TRUE(sheet->AddPageHandle(
      CPropertyPage::CreateSelfOwnedPage(std::make_unique<CountedPage>(&alive), L"外部")));
  std::wstring tab;
  SheetScript script;
  script.Do([&](HWND s, HWND) {
    tab = TabText(s, 2);
    ShowPage(s, 2);
  });
  script.RunAndClose(*sheet, IDCANCEL);
  EXPECT_EQ(L"外部", tab);
  EXPECT_EQ(0, alive);  // shown: the system destroyed it with the sheet
  EXPECT_FALSE(sheet->AddPageHandle(nullptr));
}

TEST_F(SettingsSheetTest, OkFromAPageNeverAppliedByOurPagesStillCountsAsOk) {
  int alive = 0;
  auto sheet = Sheet(2);
  ASSERT_TRUE(sheet->AddPageHandle(
      CPropertyPage::CreateSelfOwnedPage(std::make_unique<CountedPage>(&alive), L"外部")));
  SheetScript script;
  script.Do([&](HWND, HWND) {
  });
  script.RunAndClose(*sheet, IDOK);
}

// ---- EPG page ----

TEST_F(SettingsSheetTest, EpgPageShowsItsValuesAndOkTakesWhatWasChanged) {
  auto sheet = Sheet(0);
  sheet->m_epg.m_tv_app_path = "C:\\rec\\old.exe";
  sheet->m_epg.m_tv_id = 1;
  sheet->m_epg.m_sel_ext = 0x5;  // .tvvi and .php3
  std::wstring shownPath;
  bool site1 = false, ext0 = false, ext1 = false, ext2 = false, ext3 = false, ext4 = true;
  bool applyBefore = true, applyAfterTyping = false;
  SheetScript script;
  script.Do([&](HWND s, HWND p) {
    shownPath = gui::WindowText(GetDlgItem(p, IDC_EPG_APP_PATH));
    site1 = Checked(p, IDC_EPG_SITE_1);
    ext0 = Checked(p, IDC_EPG_EXT_0);
    ext1 = Checked(p, IDC_EPG_EXT_1);
    ext2 = Checked(p, IDC_EPG_EXT_2);
    ext3 = Checked(p, IDC_EPG_EXT_3);
    ext4 = Checked(p, IDC_EPG_EXT_4);
    applyBefore = Enabled(s, kApplyButton);
    // Typing a path is an edit: it enables Apply and is taken on OK.
    SetDlgItemTextW(p, IDC_EPG_APP_PATH, L"D:\\録画\\new.exe");
    applyAfterTyping = Enabled(s, kApplyButton);
    Press(p, IDC_EPG_SITE_2);
    Press(p, IDC_EPG_EXT_0);
    Press(p, IDC_EPG_EXT_3);
    Press(p, IDC_EPG_EXT_4);
  });
  script.RunAndClose(*sheet, IDOK);
  EXPECT_EQ(L"C:\\rec\\old.exe", shownPath);
  EXPECT_TRUE(site1);
  EXPECT_TRUE(ext0);
  EXPECT_FALSE(ext1);
  EXPECT_TRUE(ext2);
  EXPECT_FALSE(ext3);
  EXPECT_FALSE(ext4);
  EXPECT_FALSE(applyBefore);
  EXPECT_TRUE(applyAfterTyping);
  EXPECT_EQ(WideToUtf8(L"D:\\録画\\new.exe"), sheet->m_epg.m_tv_app_path);
  EXPECT_EQ(2, sheet->m_epg.m_tv_id);
  EXPECT_EQ(0x1C, sheet->m_epg.m_sel_ext);  // .php3, .epg and .tvpid
  EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(SettingsSheetTest, EpgPageShowsAStoredSiteBeyondTheListAsTheFirst) {
  auto sheet = Sheet(0);
  sheet->m_epg.m_tv_id = 7;
  bool first = false;
  SheetScript script;
  script.Do([&](HWND, HWND p) {
    first = Checked(p, IDC_EPG_SITE_0) && !Checked(p, IDC_EPG_SITE_1) && !Checked(p, IDC_EPG_SITE_2);
  });
  script.RunAndClose(*sheet, IDOK);
  EXPECT_TRUE(first);
  EXPECT_EQ(0, sheet->m_epg.m_tv_id);
}

TEST_F(SettingsSheetTest, EpgPageRefusesATypedPathThatDoesNotFitAndKeepsTheOld) {
  auto sheet = Sheet(0);
  sheet->m_epg.m_tv_app_path = "C:\\rec\\old.exe";
  // 200 double-byte characters: 400 bytes in the system code page.
  const std::wstring tooLong = L"C:\\" + std::wstring(200, L'録') + L".exe";
  bool stillOpen = false;
  SheetScript script;
  script.Do([&](HWND s, HWND p) {
    SetDlgItemTextW(p, IDC_EPG_APP_PATH, tooLong.c_str());
    PressSheet(s, IDOK);
  });
  script.Add([&](HWND, HWND) {
    if (prompt_.shown.empty()) return false;
    stillOpen = gui::FindThreadDialog(kCaption) != nullptr;
    return true;
  });
  script.RunAndClose(*sheet, IDCANCEL);
  EXPECT_TRUE(stillOpen);
  ASSERT_EQ(1u, prompt_.shown.size());
  EXPECT_NE(std::string::npos, prompt_.shown[0].text.find("長すぎます"));
  EXPECT_EQ("C:\\rec\\old.exe", sheet->m_epg.m_tv_app_path);
}

TEST_F(SettingsSheetTest, EpgBrowseTakesTheChosenProgramAndCancelKeepsThePath) {
  // Choosing a file elsewhere leaves the current folder where it was.
  ScratchDir current;
  current.MakeCurrent();
  const std::filesystem::path before = std::filesystem::current_path();
  auto sheet = Sheet(0);
  sheet->m_epg.m_tv_app_path = "C:\\rec\\old.exe";
  std::wstring afterCancel, afterChoice;
  bool applyAfterCancel = false;
  SheetScript script;
  script.Do([&](HWND, HWND p) { gui::Click(p, IDC_EPG_APP_BROWSE); });
  script.AnswerFileDialog(nullptr);
  script.Do([&](HWND s, HWND p) {
    afterCancel = gui::WindowText(GetDlgItem(p, IDC_EPG_APP_PATH));
    applyAfterCancel = Enabled(s, kApplyButton);  // marked whatever the answer
    gui::Click(p, IDC_EPG_APP_BROWSE);
  });
  script.AnswerFileDialog(L"C:\\windows\\notepad.exe");
  script.Do([&](HWND, HWND p) { afterChoice = gui::WindowText(GetDlgItem(p, IDC_EPG_APP_PATH)); });
  script.RunAndClose(*sheet, IDOK);
  EXPECT_EQ(L"C:\\rec\\old.exe", afterCancel);
  EXPECT_TRUE(applyAfterCancel);
  EXPECT_EQ(0, _wcsicmp(L"C:\\windows\\notepad.exe", afterChoice.c_str())) << afterChoice;
  EXPECT_EQ(0, _stricmp("C:\\windows\\notepad.exe", sheet->m_epg.m_tv_app_path.c_str()));
  EXPECT_TRUE(prompt_.shown.empty());
  EXPECT_EQ(before, std::filesystem::current_path());
}

// ---- user page ----

TEST_F(SettingsSheetTest, UserPageOffShowsTheStoredValuesGreyedAndAppliesTheDefaults) {
  info_.GetUserSetting() = UserParam(10, SleepMode::kHibernate, 1, 0, 0, 0);
  info_.GetUserValues() = UserParam(1000, SleepMode::kStandby, 0, 30, 0, 1);
  auto sheet = Sheet(1);
  int capacity = -1, lead = -1, capacityItems = 0, leadItems = 0;
  bool standby = false, same = false, fhock = false, enable = true;
  bool greyed = false, switchAndHelpEnabled = false;
  SheetScript script;
  script.Do([&](HWND, HWND p) {
    capacity = Selection(p, IDC_USER_CAPACITY);
    lead = Selection(p, IDC_USER_LEAD);
    capacityItems = ItemCount(p, IDC_USER_CAPACITY);
    leadItems = ItemCount(p, IDC_USER_LEAD);
    standby = Checked(p, IDC_USER_STANDBY) && !Checked(p, IDC_USER_HIBERNATE);
    same = Checked(p, IDC_USER_LAST_SAME) && !Checked(p, IDC_USER_LAST_SHUTDOWN);
    fhock = Checked(p, IDC_USER_SMENU_FHOCK);
    enable = Checked(p, IDC_USER_ENABLE);
    greyed = true;
    for (int id : {IDC_USER_CAPACITY, IDC_USER_LEAD, IDC_USER_HIBERNATE, IDC_USER_STANDBY,
                   IDC_USER_LAST_SHUTDOWN, IDC_USER_LAST_SAME, IDC_USER_DEFAULTS,
                   IDC_USER_SMENU_FHOCK, IDC_USER_ACTION_GROUP, IDC_USER_LEAD_TAIL}) {
      greyed = greyed && !Enabled(p, id);
    }
    switchAndHelpEnabled = Enabled(p, IDC_USER_ENABLE) && Enabled(p, IDC_USER_HELP);
  });
  script.RunAndClose(*sheet, IDOK);
  EXPECT_EQ(7, capacity);
  EXPECT_EQ(3, lead);
  EXPECT_EQ(8, capacityItems);
  EXPECT_EQ(9, leadItems);
  EXPECT_TRUE(standby);
  EXPECT_TRUE(same);
  EXPECT_TRUE(fhock);
  EXPECT_FALSE(enable);
  EXPECT_TRUE(greyed);
  EXPECT_TRUE(switchAndHelpEnabled);
  const CUserSetParam& eff = info_.GetUserSetting();
  EXPECT_EQ(10, eff.item_num_max);
  EXPECT_EQ(SleepMode::kHibernate, eff.sleep_flag);
  EXPECT_EQ(1, eff.finish_act);
  EXPECT_EQ(0, eff.epg_offset);
  EXPECT_EQ(0, eff.user_enable);
  EXPECT_EQ(0, eff.smenu_fhock);
  EXPECT_EQ(1000, info_.GetUserValues().item_num_max);
}

TEST_F(SettingsSheetTest, UserPageDefaultsButtonShowsTheBuiltInValuesAndOkAppliesThem) {
  info_.GetUserSetting() = UserParam(500, SleepMode::kStandby, 0, 90, 1, 1);
  info_.GetUserValues() = info_.GetUserSetting();
  auto sheet = Sheet(1);
  int capacity = -1, lead = -1, capacityItems = 0, leadItems = 0;
  bool applyBefore = true, applyAfter = false, hibernate = false, shutdown = false, fhock = true;
  SheetScript script;
  script.Do([&](HWND s, HWND p) {
    applyBefore = Enabled(s, kApplyButton);
    Press(p, IDC_USER_DEFAULTS);
    Press(p, IDC_USER_DEFAULTS);
    applyAfter = Enabled(s, kApplyButton);
    capacity = Selection(p, IDC_USER_CAPACITY);
    lead = Selection(p, IDC_USER_LEAD);
    capacityItems = ItemCount(p, IDC_USER_CAPACITY);
    leadItems = ItemCount(p, IDC_USER_LEAD);
    hibernate = Checked(p, IDC_USER_HIBERNATE) && !Checked(p, IDC_USER_STANDBY);
    shutdown = Checked(p, IDC_USER_LAST_SHUTDOWN) && !Checked(p, IDC_USER_LAST_SAME);
    fhock = Checked(p, IDC_USER_SMENU_FHOCK);
  });
  script.RunAndClose(*sheet, IDOK);
  EXPECT_FALSE(applyBefore);
  EXPECT_TRUE(applyAfter);
  EXPECT_EQ(0, capacity);
  EXPECT_EQ(0, lead);
  EXPECT_EQ(8, capacityItems);  // the lists are filled once
  EXPECT_EQ(9, leadItems);
  EXPECT_TRUE(hibernate);
  EXPECT_TRUE(shutdown);
  EXPECT_FALSE(fhock);
  const CUserSetParam& eff = info_.GetUserSetting();
  EXPECT_EQ(10, eff.item_num_max);
  EXPECT_EQ(0, eff.epg_offset);
  EXPECT_EQ(SleepMode::kHibernate, eff.sleep_flag);
  EXPECT_EQ(1, eff.finish_act);
  EXPECT_EQ(1, eff.user_enable);
  EXPECT_EQ(0, eff.smenu_fhock);
}

TEST_F(SettingsSheetTest, UserPageSwitchedOnAndOkAppliesWithoutTheApplyButton) {
  info_.GetUserSetting() = UserParam(10, SleepMode::kHibernate, 1, 0, 0, 0);
  info_.GetUserValues() = UserParam(50, SleepMode::kStandby, 1, 60, 0, 0);
  auto sheet = Sheet(1);
  bool applyEnabled = true, capacityEnabled = false;
  SheetScript script;
  script.Do([&](HWND s, HWND p) {
    Press(p, IDC_USER_ENABLE);
    applyEnabled = Enabled(s, kApplyButton);
    capacityEnabled = Enabled(p, IDC_USER_CAPACITY);
  });
  script.RunAndClose(*sheet, IDOK);
  EXPECT_FALSE(applyEnabled);
  EXPECT_TRUE(capacityEnabled);
  const CUserSetParam& eff = info_.GetUserSetting();
  EXPECT_EQ(1, eff.user_enable);
  EXPECT_EQ(50, eff.item_num_max);
  EXPECT_EQ(SleepMode::kStandby, eff.sleep_flag);
  EXPECT_EQ(60, eff.epg_offset);
}

TEST_F(SettingsSheetTest, UserPageShowsAnyNonZeroSwitchFromTheFileAsOn) {
  info_.GetUserSetting() = UserParam(10, SleepMode::kHibernate, 1, 0, 2, 2);
  auto sheet = Sheet(1);
  bool enable = false, fhock = false, capacityEnabled = false;
  SheetScript script;
  script.Do([&](HWND, HWND p) {
    enable = Checked(p, IDC_USER_ENABLE);
    fhock = Checked(p, IDC_USER_SMENU_FHOCK);
    capacityEnabled = Enabled(p, IDC_USER_CAPACITY);
  });
  script.RunAndClose(*sheet, IDCANCEL);
  EXPECT_TRUE(enable);
  EXPECT_TRUE(fhock);
  EXPECT_TRUE(capacityEnabled);
}

TEST_F(SettingsSheetTest, UserPageOkKeepsTheNumberOfASwitchLeftOn) {
  info_.GetUserSetting() = UserParam(10, SleepMode::kHibernate, 1, 0, 2, 3);
  auto sheet = Sheet(1);
  SheetScript script;
  script.RunAndClose(*sheet, IDOK);
  EXPECT_EQ(2, info_.GetUserSetting().user_enable);
  EXPECT_EQ(3, info_.GetUserSetting().smenu_fhock);
}

TEST_F(SettingsSheetTest, UserPageWakeListsShowAStoredValueNotOfferedAndApplyAPick) {
  info_.GetUserSetting() = UserParam(10, SleepMode::kHibernate, 1, 0, 1, 0);
  info_.GetUserSetting().wakeup_lead_sec = 45;  // hand-edited
  auto sheet = Sheet(1);
  int leadItems = 0, leadSelection = -1, gapSelection = -1;
  wchar_t leadText[16] = {};
  SheetScript script;
  script.Do([&](HWND, HWND p) {
    leadItems = ItemCount(p, IDC_USER_WAKE_LEAD);
    leadSelection = Selection(p, IDC_USER_WAKE_LEAD);
    SendDlgItemMessageW(p, IDC_USER_WAKE_LEAD, CB_GETLBTEXT, leadSelection,
                        reinterpret_cast<LPARAM>(leadText));
    gapSelection = Selection(p, IDC_USER_STAY_GAP);
    SendDlgItemMessageW(p, IDC_USER_STAY_GAP, CB_SETCURSEL, 4, 0);  // 900
    SendMessageW(p, WM_COMMAND, MAKEWPARAM(IDC_USER_STAY_GAP, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(p, IDC_USER_STAY_GAP)));
  });
  script.RunAndClose(*sheet, IDOK);
  EXPECT_EQ(7, leadItems);  // the six offered and the stored one
  EXPECT_STREQ(L"45", leadText);
  EXPECT_EQ(2, gapSelection);  // 300
  EXPECT_EQ(45, info_.GetUserSetting().wakeup_lead_sec);
  EXPECT_EQ(900, info_.GetUserSetting().stay_awake_gap_sec);
}

TEST_F(SettingsSheetTest, UserPageStartBoxShowsTheRunKeyAndOkChangesIt) {
  MemoryStartupEntries entries;
  const std::string self = "C:\\Nimbra\\Nimbra.exe";
  const std::string command = "\"C:\\Nimbra\\Nimbra.exe\" /tray";
  const std::string installed = "\"C:\\Users\\u\\AppData\\Local\\Programs\\Nimbra\\Nimbra.exe\" /tray";
  entries.Write("Nimbra", installed);
  // Each round clicks the box (or not) and presses OK.
  const struct {
    SystemCause failWith;
    bool click;
    bool shownChecked;
    bool noteShown;
    std::string storedAfter;
    size_t messages;
  } rounds[] = {
      {SystemCause::kNone, false, false, true, installed, 0},  // another copy's: named, left alone
      {SystemCause::kNone, true, false, true, command, 0},     // ticked: taken over
      {SystemCause::kNone, true, true, false, "", 0},          // unticked: removed
      {SystemCause::kAccessDenied, true, false, false, "", 1},  // the key refuses: said so
  };
  for (const auto& r : rounds) {
    entries.FailWith(r.failWith);
    prompt_.shown.clear();
    auto sheet = Sheet(1);
    sheet->m_user.SetStartup(&entries, command, self);
    bool shown = !r.shownChecked, enabled = false, note = !r.noteShown;
    std::wstring path;
    SheetScript script;
    script.Do([&](HWND, HWND p) {
      shown = Checked(p, IDC_USER_START_WITH_WINDOWS);
      enabled = Enabled(p, IDC_USER_START_WITH_WINDOWS);
      note = IsWindowVisible(GetDlgItem(p, IDC_USER_START_OTHER_PATH)) != FALSE;
      wchar_t text[300] = {};
      GetDlgItemTextW(p, IDC_USER_START_OTHER_PATH, text, 300);
      path = text;
      if (r.click) Press(p, IDC_USER_START_WITH_WINDOWS);
    });
    script.RunAndClose(*sheet, IDOK);
    EXPECT_EQ(r.shownChecked, shown);
    EXPECT_EQ(r.noteShown, note);
    if (r.noteShown) {
      EXPECT_EQ(L"C:\\Users\\u\\AppData\\Local\\Programs\\Nimbra\\Nimbra.exe", path);
    }
    EXPECT_TRUE(enabled);  // whether the user settings are on or not
    entries.FailWith(SystemCause::kNone);
    EXPECT_EQ(r.storedAfter, entries.Read("Nimbra").command.value_or(""));
    ASSERT_EQ(r.messages, prompt_.shown.size());
    if (r.messages) {
      EXPECT_NE(std::string::npos, prompt_.shown[0].text.find("（アクセスが拒否されました）"));
    }
  }
}

TEST_F(SettingsSheetTest, UserPageHelpExplainsTheBuiltInValues) {
  auto sheet = Sheet(1);
  SheetScript script;
  script.Do([&](HWND, HWND p) {
    Press(p, IDC_USER_HELP);
  });
  script.RunAndClose(*sheet, IDCANCEL);
  ASSERT_EQ(1u, prompt_.shown.size());
  EXPECT_EQ("ユーザ設定画面のヘルプ", prompt_.shown[0].caption);
  EXPECT_EQ(WideToUtf8(CPropertyUser::kHelpText), prompt_.shown[0].text);
  EXPECT_EQ(0u, prompt_.shown[0].text.find("【ユーザ設定が無効の時】\n"));
}

// ---- with the plug-in ----

// The real plug-in beside this test, reading this test's settings file.
class PluginSheetTest : public SettingsSheetTest {
 protected:
  void SetUp() override {
    SettingsSheetTest::SetUp();
    ini_ = SettingsFilePath();
    WriteSMail(0, 0);
    host_ = std::make_unique<CPluginHost>(prompt_, PluginPathFor(ProgramPath()));
    ASSERT_NE(nullptr, host_->GetContext());
  }
  void TearDown() override {
    host_.reset();
    DeleteFileW(Utf8ToWide(ini_).c_str());
  }

  void WriteSMail(int mail, int templ, const std::string& more = "") {
    WriteAll(ini_, "[section_smail]\r\nm_sm_enable_check=" + std::to_string(mail) +
                       "\r\nm_sm_temp_check=" + std::to_string(templ) + "\r\n" + more);
  }
  // Makes the plug-in read the settings file again.
  void Reload() { host_->GetFunctionTable()->PLG_Load(host_->GetContext()); }

  std::unique_ptr<CNimbraProperty> Sheet(UINT start) {
    auto sheet = std::make_unique<CNimbraProperty>(host_->GetContext(), host_->GetFunctionTable(),
                                                   kCaption, nullptr, start, prompt_);
    sheet->m_user.SetAppInfo(&info_);
    return sheet;
  }

  std::string ini_;
  std::unique_ptr<CPluginHost> host_;
};

// Every control's enabled state, keyed by id: the template group only with
// mail and the template on, every other control but the mail switch (3015)
// with mail on, the mail switch always.
std::string EnablingMismatches(HWND page, bool mailOn, bool templateOn) {
  static const int kTemplateGroup[] = {3003, 3004, 3005, 3013, 3014, 3016};
  static const int kMailControls[] = {3000, 3001, 3002, 3006, 3007, 3008, 3009, 3010, 3011,
                                      3012, 3017, 3018, 3019, 3020, 3021, 3022, 3023, 3024};
  std::string out;
  auto check = [&](int id, bool on) {
    if (Enabled(page, id) != on) out += std::to_string(id) + (on ? " disabled; " : " enabled; ");
  };
  for (int id : kTemplateGroup) check(id, mailOn && templateOn);
  for (int id : kMailControls) check(id, mailOn);
  if (!Enabled(page, IDC_SM_ENABLE_CHECK)) out += "mail switch disabled; ";
  return out;
}

TEST_F(PluginSheetTest, TheMailPageIsTheThirdPageWithItsOwnTemplate) {
  auto sheet = Sheet(2);
  EXPECT_EQ(3, sheet->GetPageCount());
  EXPECT_EQ(nullptr, sheet->GetPage(2));  // not ours: the plug-in's object
  int tabs = 0, current = -1;
  std::wstring tab, enableText, testText;
  SheetScript script;
  script.Do([&](HWND s, HWND p) {
    tabs = TabCount(s);
    current = CurrentTab(s);
    tab = TabText(s, 2);
    enableText = gui::WindowText(GetDlgItem(p, IDC_SM_ENABLE_CHECK));
    testText = gui::WindowText(GetDlgItem(p, IDC_SM_TEST_SEND));
    gui::SaveScreenshot("settings-smail-page");
  });
  script.RunAndClose(*sheet, IDCANCEL);
  EXPECT_EQ(3, tabs);
  EXPECT_EQ(2, current);
  EXPECT_EQ(L"SMAIL", tab);
  EXPECT_EQ(L"メール機能を有効にする", enableText);
  EXPECT_EQ(L"テスト送信", testText);
}

// What the plug-in hands over through the sheet record.
struct PageCollector {
  int32_t answer = 1;
  std::vector<void*> pages;
  static int32_t Add(PluginSheet* sheet, void* page) {
    auto* self = static_cast<PageCollector*>(sheet->owner);
    self->pages.push_back(page);
    return self->answer;
  }
};

TEST_F(PluginSheetTest, PagesGoOnlyToASheetRecordOfTheRightSize) {
  const PluginFunctionTable* plg = host_->GetFunctionTable();
  PageCollector taken;
  PluginSheet good{sizeof(PluginSheet), &taken, &PageCollector::Add};
  plg->PLG_AddPage(&good, host_->GetContext());
  ASSERT_EQ(1u, taken.pages.size());  // the mail page
  // Taken, so ours to destroy (which frees the plug-in's page object).
  EXPECT_TRUE(DestroyPropertySheetPage(static_cast<HPROPSHEETPAGE>(taken.pages[0])));

  PageCollector refused;
  refused.answer = 0;  // the plug-in destroys what was not taken
  PluginSheet refusing{sizeof(PluginSheet), &refused, &PageCollector::Add};
  plg->PLG_AddPage(&refusing, host_->GetContext());
  EXPECT_EQ(1u, refused.pages.size());

  PageCollector none;
  PluginSheet older{sizeof(PluginSheet) - 4, &none, &PageCollector::Add};
  plg->PLG_AddPage(&older, host_->GetContext());
  plg->PLG_AddPage(&good, nullptr);
  plg->PLG_AddPage(nullptr, host_->GetContext());
  EXPECT_TRUE(none.pages.empty());
  EXPECT_EQ(1u, taken.pages.size());
}

TEST_F(PluginSheetTest, MailPageEnablingFollowsBothSwitchesInEveryCombination) {
  for (int mail : {0, 1}) {
    for (int templ : {0, 1}) {
      WriteSMail(mail, templ);
      Reload();
      auto sheet = Sheet(2);
      std::string atOpen, afterMailToggle, afterMailBack, afterTemplateToggle;
      SheetScript script;
      script.Do([&](HWND, HWND p) {
        atOpen = EnablingMismatches(p, mail, templ);
        Press(p, IDC_SM_ENABLE_CHECK);
        afterMailToggle = EnablingMismatches(p, !mail, templ);
        Press(p, IDC_SM_ENABLE_CHECK);
        // Back on, the template group follows the template box again.
        afterMailBack = EnablingMismatches(p, mail, templ);
        if (mail) {
          Press(p, IDC_SM_TEMP_CHECK);
          afterTemplateToggle = EnablingMismatches(p, mail, !templ);
        }
      });
      script.RunAndClose(*sheet, IDCANCEL);
      const std::string where = "mail " + std::to_string(mail) + " template " + std::to_string(templ);
      EXPECT_EQ("", atOpen) << where;
      EXPECT_EQ("", afterMailToggle) << where;
      EXPECT_EQ("", afterMailBack) << where;
      EXPECT_EQ("", afterTemplateToggle) << where;
    }
  }
}

TEST_F(PluginSheetTest, MailPageBrowseButtonsFillTheirBoxesAndCancelLeavesThem) {
  WriteSMail(1, 1, "m_sm_path=C:\\old\\smail.exe\r\n");
  Reload();
  auto sheet = Sheet(2);
  std::wstring pathAfterCancel, pathAfterChoice, templateAfterChoice;
  bool modifiedByChoice = false;
  SheetScript script;
  script.Do([&](HWND, HWND p) { gui::Click(p, IDC_SM_PATH_BROWSE); });
  script.AnswerFileDialog(nullptr);
  script.Do([&](HWND, HWND p) {
    pathAfterCancel = gui::WindowText(GetDlgItem(p, IDC_SM_PATH));
    gui::Click(p, IDC_SM_PATH_BROWSE);
  });
  script.AnswerFileDialog(L"C:\\windows\\notepad.exe");
  script.Do([&](HWND s, HWND p) {
    pathAfterChoice = gui::WindowText(GetDlgItem(p, IDC_SM_PATH));
    modifiedByChoice = Enabled(s, kApplyButton);
    gui::Click(p, IDC_SM_TEMP_BROWSE);
  });
  script.AnswerFileDialog(L"C:\\windows\\win.ini");
  script.Do([&](HWND, HWND p) {
    templateAfterChoice = gui::WindowText(GetDlgItem(p, IDC_SM_TEMP_PATH));
  });
  script.RunAndClose(*sheet, IDCANCEL);
  EXPECT_EQ(L"C:\\old\\smail.exe", pathAfterCancel);
  EXPECT_EQ(0, _wcsicmp(L"C:\\windows\\notepad.exe", pathAfterChoice.c_str())) << pathAfterChoice;
  EXPECT_TRUE(modifiedByChoice);
  EXPECT_EQ(0, _wcsicmp(L"C:\\windows\\win.ini", templateAfterChoice.c_str())) << templateAfterChoice;
}

TEST_F(PluginSheetTest, MailPageRefusesAPathThatShiftJisCannotHoldRatherThanStoreItChanged) {
  WriteSMail(1, 1, "m_sm_path=C:\\old\\smail.exe\r\n");
  Reload();
  const std::string before = ReadAll(ini_);
  auto sheet = Sheet(2);
  std::wstring text;
  bool stillOpen = false;
  SheetScript script;
  script.Do([&](HWND s, HWND p) {
    SetDlgItemTextW(p, IDC_SM_PATH, L"C:\\Zo\u00EB\\smail.exe");  // a best fit gives "Zoe"
    PressSheet(s, IDOK);
  });
  script.Add([&](HWND, HWND) {
    HWND box = gui::FindMessageBox(gui::ThreadDialogs());
    if (!box) return false;
    text = gui::MessageBoxText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  });
  script.Add([&](HWND, HWND) {
    if (gui::FindMessageBox(gui::ThreadDialogs())) return false;
    stillOpen = gui::FindThreadDialog(kCaption) != nullptr;
    return true;
  });
  script.RunAndClose(*sheet, IDCANCEL);
  EXPECT_EQ(0u, text.find(L"設定ファイル（Shift-JIS）に保存できない文字")) << WideToUtf8(text);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(before, ReadAll(ini_));
}

TEST_F(PluginSheetTest, MailPageExplainsTheTemplateKeysInAMessageBox) {
  WriteSMail(1, 1);
  Reload();
  auto sheet = Sheet(2);
  std::wstring text;
  SheetScript script;
  script.Do([&](HWND, HWND p) { gui::Click(p, IDC_SM_EXPLAIN); });
  script.Add([&](HWND, HWND) {
    HWND box = gui::FindMessageBox(gui::ThreadDialogs());
    if (!box) return false;
    text = gui::MessageBoxText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  });
  script.Add([](HWND, HWND) { return gui::FindMessageBox(gui::ThreadDialogs()) == nullptr; });
  script.RunAndClose(*sheet, IDCANCEL);
  EXPECT_EQ(0u, text.find(L"テンプレート内の以下の文字列は、")) << text;
  EXPECT_NE(std::wstring::npos, text.find(L" -> ")) << text;
  const std::wstring tail = L"のような内容に置き換えられます。";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(tail, text.substr(text.size() - tail.size()));
}

TEST_F(PluginSheetTest, MailPageSavesItsSettingsOnOkAndForgetsEditsOnCancel) {
  WriteSMail(1, 0, "m_sm_server=old.example.jp\r\n");
  Reload();
  {
    auto sheet = Sheet(2);
    bool applyAfterServer = true, applyAfterTitle = false;
    std::wstring shownServer;
    SheetScript script;
    script.Do([&](HWND s, HWND p) {
      shownServer = gui::WindowText(GetDlgItem(p, IDC_SM_SERVER));
      SetDlgItemTextW(p, IDC_SM_SERVER, L"smtp.example.jp");
      applyAfterServer = Enabled(s, kApplyButton);  // the server edit does not mark the page
      SetDlgItemTextW(p, IDC_SM_TITLE, L"録画終了");
      applyAfterTitle = Enabled(s, kApplyButton);
      Press(p, IDC_SM_INFO_CHECK);
    });
    script.RunAndClose(*sheet, IDOK);
    EXPECT_EQ(L"old.example.jp", shownServer);
    EXPECT_FALSE(applyAfterServer);
    EXPECT_TRUE(applyAfterTitle);
  }
  const std::string saved = ReadAll(ini_);
  EXPECT_NE(std::string::npos, saved.find("m_sm_server=smtp.example.jp")) << saved;
  EXPECT_NE(std::string::npos, saved.find("m_sm_title=" + WideToSjis(L"録画終了"))) << saved;
  EXPECT_NE(std::string::npos, saved.find("m_sm_info_check=1")) << saved;
  EXPECT_NE(std::string::npos, saved.find("m_sm_temp_path=")) << saved;  // all nine keys

  {
    auto sheet = Sheet(2);
    SheetScript script;
    script.Do([&](HWND s, HWND p) {
      SetDlgItemTextW(p, IDC_SM_SERVER, L"cancelled.example.jp");
      ShowPage(s, 0);  // leaving the page takes its values
    });
    script.RunAndClose(*sheet, IDCANCEL);
  }
  EXPECT_EQ(saved, ReadAll(ini_));
  std::wstring shownAgain;
  {
    auto sheet = Sheet(2);
    SheetScript script;
    script.Do([&](HWND, HWND p) {
      shownAgain = gui::WindowText(GetDlgItem(p, IDC_SM_SERVER));
    });
    script.RunAndClose(*sheet, IDCANCEL);
  }
  EXPECT_EQ(L"smtp.example.jp", shownAgain);
}

// ---- on the screen ----

// A dialog and the sheet opened from a window at the bottom-right corner of
// the screen (the sheet of a main window left low on a small screen put its
// buttons below the edge) lie wholly inside the monitor's work area.
TEST_F(SettingsSheetTest, ADialogAndTheSheetOpenedAtTheScreensCornerLieInsideTheWorkArea) {
  POINT corner{0, 0};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(corner, MONITOR_DEFAULTTOPRIMARY), &monitor));
  const RECT work = monitor.rcWork;
  HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, work.right - 60,
                               work.bottom - 60, 50, 50, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, owner);
  const auto inside = [&](HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r.left >= work.left && r.top >= work.top && r.right <= work.right &&
           r.bottom <= work.bottom;
  };
  const auto openAndCheck = [&](const wchar_t* caption, const std::function<INT_PTR()>& show) {
    SCOPED_TRACE(WideToUtf8(caption));
    bool wasInside = false;
    gui::ModalScript script;
    script.Add([&] {
      HWND d = gui::FindThreadDialog(caption);
      if (!d) return false;
      wasInside = inside(d);
      PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return true;
    });
    EXPECT_EQ(IDCANCEL, script.Run(show));
    EXPECT_TRUE(script.Completed());
    EXPECT_TRUE(wasInside);
  };
  gui::FixedClock clock(MakeSystemTime(2030, 5, 1, 9, 0, 0));
  CRegularTimeDlg repeat(owner, clock);
  repeat.m_start = repeat.m_end = MakeSystemTime(2030, 5, 1, 21, 0, 0);
  openAndCheck(L"繰り返し予約", [&] { return repeat.DoModal(); });
  CNimbraProperty sheet(nullptr, nullptr, kCaption, owner, 0, prompt_);
  sheet.m_user.SetAppInfo(&info_);
  openAndCheck(kCaption, [&] { return sheet.DoModal(); });
  DestroyWindow(owner);
}

}  // namespace
