// The entry dialogs shown for real, in this process, and driven from a timer
// while they run modally.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "app/win/about_dlg.h"
#include "app/win/picker.h"
#include "app/win/regular_time_dlg.h"
#include "app/win/resource.h"
#include "app/win/schedule_time_dlg.h"
#include "framework/controls.h"
#include "framework/message_box.h"
#include "gui_driver.h"
#include "platform/win32/text_win.h"
#include "schedule/schedule_table.h"

using gui::ModalScript;

namespace {

constexpr wchar_t kReservation[] = L"スケジュール予約";
constexpr wchar_t kRepeat[] = L"繰り返し予約";
const std::wstring kError1 =
    L"日時指定error\n終了日(時刻)が開始日(時刻)より早い、\nまたは開始日と指定曜日が一致していない";

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override { InitCommonControlsOnce(); }
};

bool Checked(HWND dlg, int id) {
  return SendMessageW(GetDlgItem(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Script steps: read and close the message box that the dialog's OK raised,
// then note whether the dialog is still open and cancel it.
void AnswerMessageThenCancel(ModalScript& script, const wchar_t* caption, std::wstring* message,
                             bool* stillOpen) {
  script.Add([=] {
    HWND box = gui::FindMessageBox(gui::ThreadDialogs());
    if (!box) return false;
    *message = gui::MessageBoxText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return true;
  });
  script.Add([=] {
    if (gui::FindMessageBox(gui::ThreadDialogs())) return false;
    HWND d = gui::FindThreadDialog(caption);
    *stillOpen = d != nullptr;
    if (d) gui::Click(d, IDCANCEL);
    return true;
  });
}

TEST_F(DialogTest, ReservationComposesStartAndEndFromItsPickersKeepingSeconds) {
  CScheduleTimeDlg dlg(nullptr);
  dlg.m_start = MakeSystemTime(2030, 5, 1, 10, 0, 0);
  dlg.m_end = MakeSystemTime(2030, 5, 1, 11, 0, 0);
  dlg.m_title = "\x83\x65\x83\x58\x83\x67";  // テスト

  std::wstring shownTitle;
  SystemTime shownStartTime{};
  ModalScript script;
  script.Add([&] {
    HWND d = gui::FindThreadDialog(kReservation);
    if (!d) return false;
    shownTitle = gui::WindowText(GetDlgItem(d, IDC_TITLE));
    shownStartTime = GetPickerTime(GetDlgItem(d, IDC_START_TIME));
    // A new date for the start, a new time (with seconds) for the end.
    SetPickerTime(GetDlgItem(d, IDC_START_DATE), MakeSystemTime(2030, 6, 2, 3, 4, 5));
    SetPickerTime(GetDlgItem(d, IDC_START_TIME), MakeSystemTime(2031, 1, 1, 21, 0, 35));
    SetPickerTime(GetDlgItem(d, IDC_END_TIME), MakeSystemTime(2031, 1, 1, 22, 30, 17));
    SetWindowTextW(GetDlgItem(d, IDC_TITLE), L"ニュース");
    gui::SaveScreenshot("reservation-dialog", d);
    gui::Click(d, IDOK);
    return true;
  });
  ASSERT_EQ(IDOK, script.Run([&] { return dlg.DoModal(); }));
  EXPECT_TRUE(script.Completed());

  EXPECT_EQ(L"テスト", shownTitle);
  EXPECT_EQ(10, shownStartTime.wHour);
  EXPECT_EQ(2030, dlg.m_start.wYear);
  EXPECT_EQ(6, dlg.m_start.wMonth);
  EXPECT_EQ(2, dlg.m_start.wDay);
  EXPECT_EQ(21, dlg.m_start.wHour);
  EXPECT_EQ(0, dlg.m_start.wMinute);
  EXPECT_EQ(35, dlg.m_start.wSecond);
  // The end keeps its date and takes the new time of day.
  EXPECT_EQ(1, dlg.m_end.wDay);
  EXPECT_EQ(5, dlg.m_end.wMonth);
  EXPECT_EQ(22, dlg.m_end.wHour);
  EXPECT_EQ(30, dlg.m_end.wMinute);
  EXPECT_EQ(17, dlg.m_end.wSecond);
  EXPECT_EQ(WideToSjis(L"ニュース"), dlg.m_title);
}

TEST_F(DialogTest, ReservationRefusesATitleOverTheByteLimitAndStaysOpen) {
  CScheduleTimeDlg dlg(nullptr);
  dlg.m_start = dlg.m_end = MakeSystemTime(2030, 5, 1, 10, 0, 0);
  std::wstring message;
  bool stillOpen = false;
  ModalScript script;
  script.Add([&] {
    HWND d = gui::FindThreadDialog(kReservation);
    if (!d) return false;
    // 129 double-byte characters: 258 bytes, over the 256-byte limit.
    SetWindowTextW(GetDlgItem(d, IDC_TITLE), std::wstring(129, L'あ').c_str());
    gui::Click(d, IDOK);
    return true;
  });
  AnswerMessageThenCancel(script, kReservation, &message, &stillOpen);
  EXPECT_EQ(IDCANCEL, script.Run([&] { return dlg.DoModal(); }));
  EXPECT_TRUE(script.Completed());
  EXPECT_NE(std::wstring::npos, message.find(L"256"));
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(dlg.m_title.empty());
}

TEST_F(DialogTest, AboutBoxAddsTheVersionTheRightsAndThePluginsText) {
  struct Case {
    const char* plugin;
    const wchar_t* shown;
  } cases[] = {{"Pelluxdlg Ver 1.2.10", L"Pelluxdlg Ver 1.2.10"}, {nullptr, L""}};
  for (const Case& c : cases) {
    CAboutDlg dlg(nullptr, c.plugin);
    std::wstring version, rights, plugin;
    ModalScript script;
    script.Add([&] {
      HWND d = gui::FindThreadDialog(L"ﾊﾞｰｼﾞｮﾝ情報");
      if (!d) return false;
      version = gui::WindowText(GetDlgItem(d, IDC_ABOUT_VERSION));
      rights = gui::WindowText(GetDlgItem(d, IDC_ABOUT_RIGHTS));
      plugin = gui::WindowText(GetDlgItem(d, IDC_ABOUT_PLUGIN));
      if (c.plugin) gui::SaveScreenshot("about-box", d);
      gui::Click(d, IDOK);
      return true;
    });
    EXPECT_EQ(IDOK, script.Run([&] { return dlg.DoModal(); }));
    EXPECT_EQ(L"Nimbra Ver2.8.7", version);
    EXPECT_EQ(L"Copyright (C) " + LoadResourceString(IDS_RIGHTS), rights);
    EXPECT_EQ(c.shown, plugin);
  }
}

// 2030-05-01 is a Wednesday.
const SystemTime kWednesdayMorning = [] {
  SystemTime t = MakeSystemTime(2030, 5, 1, 9, 0, 0);
  t.wDayOfWeek = 3;
  return t;
}();

TEST_F(DialogTest, RepeatOkWithEndBeforeStartShowsE1AndStaysOpen) {
  gui::FixedClock clock(kWednesdayMorning);
  CRegularTimeDlg dlg(nullptr, clock);
  dlg.m_start = MakeSystemTime(2030, 5, 1, 23, 0, 0);
  dlg.m_end = MakeSystemTime(2030, 5, 1, 1, 0, 0);  // same day (同): before the start
  dlg.m_kikan_s = dlg.m_kikan_e = MakeSystemTime(2030, 5, 1);
  std::wstring message;
  bool stillOpen = false;
  ModalScript script;
  script.Add([&] {
    HWND d = gui::FindThreadDialog(kRepeat);
    if (!d) return false;
    gui::Click(d, IDOK);
    return true;
  });
  AnswerMessageThenCancel(script, kRepeat, &message, &stillOpen);
  EXPECT_EQ(IDCANCEL, script.Run([&] { return dlg.DoModal(); }));
  EXPECT_TRUE(script.Completed());
  EXPECT_EQ(kError1, message);
  EXPECT_TRUE(stillOpen);
}

// Neither dialog's date pickers offer a day past 2038-01-18: such a date
// cannot be picked.
TEST_F(DialogTest, DatePickersEndAtTheLatestDayASchedulesCanHold) {
  const auto latest = [](HWND d, int id) {
    SYSTEMTIME range[2] = {};
    const DWORD set = static_cast<DWORD>(
        SendMessageW(GetDlgItem(d, id), DTM_GETRANGE, 0, reinterpret_cast<LPARAM>(range)));
    // A later day is not taken (the system answers either way).
    (void)SetPickerTime(GetDlgItem(d, id), MakeSystemTime(2038, 1, 19, 0, 0, 0));
    const bool refused = GetPickerTime(GetDlgItem(d, id)).wYear != 2038;
    return (set & GDTR_MAX) && refused ? FromWin(range[1]) : SystemTime{};
  };
  SystemTime ends[4] = {};
  {
    CScheduleTimeDlg dlg(nullptr);
    dlg.m_start = MakeSystemTime(2030, 5, 1, 10, 0, 0);
    dlg.m_end = MakeSystemTime(2030, 5, 1, 11, 0, 0);
    ModalScript script;
    script.Add([&] {
      HWND d = gui::FindThreadDialog(kReservation);
      if (!d) return false;
      ends[0] = latest(d, IDC_START_DATE);
      ends[1] = latest(d, IDC_END_DATE);
      gui::Click(d, IDCANCEL);
      return true;
    });
    EXPECT_EQ(IDCANCEL, script.Run([&] { return dlg.DoModal(); }));
  }
  {
    gui::FixedClock clock(kWednesdayMorning);
    CRegularTimeDlg dlg(nullptr, clock);
    dlg.m_start = MakeSystemTime(2030, 5, 1, 21, 0, 0);
    dlg.m_end = MakeSystemTime(2030, 5, 1, 22, 0, 0);
    dlg.m_kikan_s = dlg.m_kikan_e = MakeSystemTime(2030, 5, 1);
    dlg.m_loop = 1;
    ModalScript script;
    script.Add([&] {
      HWND d = gui::FindThreadDialog(kRepeat);
      if (!d) return false;
      ends[2] = latest(d, IDC_KIKAN_S);
      ends[3] = latest(d, IDC_KIKAN_E);
      gui::Click(d, IDCANCEL);
      return true;
    });
    EXPECT_EQ(IDCANCEL, script.Run([&] { return dlg.DoModal(); }));
  }
  for (const SystemTime& end : ends) {
    EXPECT_EQ(2038, end.wYear);
    EXPECT_EQ(1, end.wMonth);
    EXPECT_EQ(18, end.wDay);
  }
}

TEST_F(DialogTest, RepeatWeekendMethodChecksSundayAndSaturdayAndStartsOnTheComingSaturday) {
  gui::FixedClock clock(kWednesdayMorning);
  CRegularTimeDlg dlg(nullptr, clock);
  dlg.m_start = MakeSystemTime(2030, 5, 1, 21, 0, 0);
  dlg.m_end = MakeSystemTime(2030, 5, 1, 22, 0, 0);
  dlg.m_kikan_s = dlg.m_kikan_e = MakeSystemTime(1970, 1, 1, 9, 0, 0);  // never set
  dlg.m_loop = 1;
  std::wstring summary;
  bool sun = false, sat = false, mon = true;
  SystemTime periodStart{};
  std::wstring endDayItem0, endDayItem1, madeTitle;
  ModalScript script;
  script.Add([&] {
    HWND d = gui::FindThreadDialog(kRepeat);
    if (!d) return false;
    wchar_t item[8] = {};
    SendMessageW(GetDlgItem(d, IDC_END_DAY), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    endDayItem0 = item;
    SendMessageW(GetDlgItem(d, IDC_END_DAY), CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
    endDayItem1 = item;
    HWND method = GetDlgItem(d, IDC_LOOP_METHOD);
    SendMessageW(method, CB_SETCURSEL, 5, 0);
    SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_LOOP_METHOD, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(method));
    sun = Checked(d, IDC_WEEK_SUN);
    sat = Checked(d, IDC_WEEK_SAT);
    mon = Checked(d, IDC_WEEK_MON);
    periodStart = GetPickerTime(GetDlgItem(d, IDC_KIKAN_S));
    madeTitle = gui::WindowText(GetDlgItem(d, IDC_REG_TITLE));
    SetPickerTime(GetDlgItem(d, IDC_KIKAN_E), MakeSystemTime(2030, 6, 30));
    gui::SaveScreenshot("repeat-dialog", d);
    gui::Click(d, IDOK);
    return true;
  });
  script.Add([&] {
    HWND box = gui::FindThreadDialog(L"設定の確認");
    if (!box) return false;
    summary = gui::MessageBoxText(box);
    PostMessageW(box, WM_COMMAND, IDYES, 0);
    return true;
  });
  ASSERT_EQ(IDOK, script.Run([&] { return dlg.DoModal(); }));
  EXPECT_EQ(L"同", endDayItem0);
  EXPECT_EQ(L"翌", endDayItem1);
  EXPECT_EQ(L"毎週（土、日） ", madeTitle);  // the title follows the method
  EXPECT_TRUE(sun);
  EXPECT_TRUE(sat);
  EXPECT_FALSE(mon);
  EXPECT_EQ(4, periodStart.wDay);
  EXPECT_EQ(6, periodStart.wDayOfWeek);
  EXPECT_EQ(65, dlg.m_b_way);
  EXPECT_EQ(5, dlg.m_loop_meth);
  EXPECT_EQ(1, dlg.m_kikan_f);
  EXPECT_EQ(4, dlg.m_start.wDay);
  EXPECT_EQ(21, dlg.m_start.wHour);
  EXPECT_EQ(22, dlg.m_end.wHour);
  EXPECT_EQ(30, dlg.m_kikan_e.wDay);
  EXPECT_NE(std::wstring::npos, summary.find(L"繰り返し方法：毎週（土、日） \n"));
  EXPECT_NE(std::wstring::npos, summary.find(L"開始日：　　　2030/05/04 (土)\n"));
  EXPECT_NE(std::wstring::npos, summary.find(L"終了日：　　　2030/06/30 (日)\n"));
}

// The title box: a new entry's title is made from the setting as it
// changes until the user types one; an existing entry's own title stays;
// the reservation dialog's limit and message apply.
TEST_F(DialogTest, RepeatTitleIsMadeUntilTypedAndAnEntrysOwnTitleStays) {
  gui::FixedClock clock(kWednesdayMorning);
  auto Text = [](HWND d) { return gui::WindowText(GetDlgItem(d, IDC_REG_TITLE)); };
  // A click on a box as the user's: the box changes and the dialog is told at once.
  auto Toggle = [](HWND d, int id) { SendMessageW(GetDlgItem(d, id), BM_CLICK, 0, 0); };
  {
    CRegularTimeDlg dlg(nullptr, clock);
    dlg.SetValues(NewRepeatValues(MakeSystemTime(2030, 5, 1, 21, 0, 0)));
    std::vector<std::wstring> shown;
    std::wstring message;
    bool stillOpen = false;
    ModalScript script;
    script.Add([&] {
      HWND d = gui::FindThreadDialog(kRepeat);
      if (!d) return false;
      shown.push_back(Text(d));
      Toggle(d, IDC_LOOP);
      shown.push_back(Text(d));
      Toggle(d, IDC_WEEK_WED);
      shown.push_back(Text(d));
      SetWindowTextW(GetDlgItem(d, IDC_REG_TITLE), L"大河");
      Toggle(d, IDC_WEEK_THU);
      shown.push_back(Text(d));
      // 129 double-byte characters: 258 bytes, over the limit.
      SetWindowTextW(GetDlgItem(d, IDC_REG_TITLE), std::wstring(129, L'あ').c_str());
      gui::Click(d, IDOK);
      return true;
    });
    AnswerMessageThenCancel(script, kRepeat, &message, &stillOpen);
    EXPECT_EQ(IDCANCEL, script.Run([&] { return dlg.DoModal(); }));
    EXPECT_TRUE(script.Completed());
    const std::vector<std::wstring> expected = {L"タイトルなし", L"毎週 ", L"毎週 水", L"大河"};
    EXPECT_EQ(expected, shown);
    EXPECT_NE(std::wstring::npos, message.find(L"256")) << message;
    EXPECT_TRUE(stillOpen);
  }
  {
    ScheduleEntry entry{};
    entry.s = MakeSystemTime(2030, 5, 1, 21, 0, 0);
    entry.e = MakeSystemTime(2030, 5, 1, 22, 0, 0);
    CopyTitle(entry.title, WideToSjis(L"ドラマ 第3話").c_str());
    CRegularTimeDlg dlg(nullptr, clock);
    dlg.SetValues(RepeatValuesFor(entry));
    std::wstring opened, afterSetting;
    ModalScript script;
    script.Add([&] {
      HWND d = gui::FindThreadDialog(kRepeat);
      if (!d) return false;
      opened = Text(d);
      Toggle(d, IDC_LOOP);
      Toggle(d, IDC_WEEK_WED);
      afterSetting = Text(d);
      gui::Click(d, IDOK);
      return true;
    });
    script.Add([&] {
      HWND box = gui::FindThreadDialog(L"設定の確認");
      if (!box) return false;
      PostMessageW(box, WM_COMMAND, IDYES, 0);
      return true;
    });
    ASSERT_EQ(IDOK, script.Run([&] { return dlg.DoModal(); }));
    EXPECT_EQ(L"ドラマ 第3話", opened);
    EXPECT_EQ(L"ドラマ 第3話", afterSetting);
    EXPECT_EQ(L"ドラマ 第3話", SjisToWide(EntryFromRepeat(dlg.Values()).title));
  }
}

}  // namespace
