// End to end: the real Nimbra.exe with its plug-in and mail library, copied
// into a scratch folder with a prepared settings file, started and driven
// from this process the way a user would, through its windows. Its power
// service is the log named by NIMBRA_POWER_LOG, so a schedule's end never
// puts the machine to sleep. Outside programs are recording stand-ins.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/win/resource.h"
#include "gui_driver.h"
#include "program_driver.h"
#include "platform/win32/text_win.h"
#include "schedule/time_rules.h"

namespace {

constexpr UINT kTrayMessage = WM_USER + 100;  // the tray icon's callback to the view

using gui::Program;
using gui::WaitForFile;
using gui::WaitUntil;

std::string ReadAll(const std::wstring& path) { return gui::ReadFileBytes(path); }
void WriteAll(const std::wstring& path, const std::string& bytes) {
  ASSERT_TRUE(gui::WriteFileBytes(path, bytes));
}

struct Entry {
  std::wstring title;
  int64_t start, end;
};

std::string SettingsFile(const std::vector<Entry>& entries,
                         const std::string& appKeys = "user_enable=0\r\n") {
  std::ostringstream ini;
  ini << "[APP_MNG_INFO]\r\n" << appKeys << "[TV_REC_SCHEDULE]\r\nsch_num=" << entries.size() << "\r\n";
  for (size_t i = 0; i < entries.size(); ++i) {
    ini << "sch_title[" << i << "]=" << WideToSjis(entries[i].title) << "\r\n"
        << "sch_start[" << i << "]=" << entries[i].start << "\r\n"
        << "sch_end[" << i << "]=" << entries[i].end << "\r\n";
  }
  return ini.str();
}

void CopyInto(const std::wstring& folder, const std::wstring& name) {
  ASSERT_TRUE(CopyFileW((gui::ExeFolder() + L"\\" + name).c_str(), (folder + L"\\" + name).c_str(), FALSE))
      << WideToUtf8(name);
}

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"nimbra-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(GetTickCount());
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    // The program with its plug-in and the plug-in's mail library.
    for (const wchar_t* name : {L"Nimbra.exe", L"Pelluxdlg.dll", L"Pellux.dll"}) {
      CopyInto(folder_, name);
    }
    powerLog_ = folder_ + L"\\power.log";
    SetEnvironmentVariableW(L"NIMBRA_POWER_LOG", powerLog_.c_str());
    now_ = static_cast<int64_t>(time(nullptr));
  }

  std::wstring Ini() const { return folder_ + L"\\Nimbra.ini"; }

  std::wstring folder_;
  std::wstring powerLog_;
  int64_t now_ = 0;
};

TEST_F(EndToEndTest, ShowsTheStoredSchedulesEditsThemAndSavesOnExit) {
  const int64_t day = 86400;
  WriteAll(Ini(), SettingsFile({{L"ニュース", now_ + day, now_ + day + 3600},
                                {L"ドラマ", now_ + 2 * day, now_ + 2 * day + 3600}}));
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  ASSERT_TRUE(nimbra.WaitForRows(2));
  EXPECT_EQ(L"001", gui::RemoteListText(nimbra.List(), 0, 0));
  EXPECT_EQ(L"ニュース", gui::RemoteListText(nimbra.List(), 0, 1));
  EXPECT_EQ(L"待ち", gui::RemoteListText(nimbra.List(), 0, 4));
  EXPECT_EQ(L"なし", gui::RemoteListText(nimbra.List(), 0, 5));
  EXPECT_EQ(L"指定なし", gui::RemoteListText(nimbra.List(), 0, 6));
  EXPECT_EQ(L"ドラマ", gui::RemoteListText(nimbra.List(), 1, 1));
  gui::SaveScreenshot("main-window", nimbra.Frame());

  // A second start is refused.
  {
    Program second(folder_);
    ASSERT_TRUE(second.Start());
    HWND box = second.WaitForMessage(L"二重起動はできません");
    ASSERT_NE(nullptr, box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_NE(0, second.WaitForExit());
  }

  // Delete the first row, answering the question with Yes.
  ASSERT_TRUE(gui::RemoteSelectRow(nimbra.List(), 0));
  PostMessageW(nimbra.Frame(), WM_COMMAND, ID_SCHEDULE_DELETE, 0);
  HWND question = nimbra.WaitForMessage(L"No.001 ニュース を削除しますか？");
  ASSERT_NE(nullptr, question);
  PostMessageW(question, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(nimbra.WaitForRows(1));
  EXPECT_EQ(L"ドラマ", gui::RemoteListText(nimbra.List(), 0, 1));

  // Add one through the reservation dialog.
  PostMessageW(nimbra.Frame(), WM_COMMAND, ID_SCHEDULE_ADD, 0);
  HWND dlg = nimbra.WaitForCaption(L"スケジュール予約");
  ASSERT_NE(nullptr, dlg);
  SystemTime s{}, e{};
  SecondsToTime(now_ + 3 * day, &s);
  s.wHour = 21, s.wMinute = 0, s.wSecond = 0;
  e = s;
  e.wHour = 22;
  SendMessageW(GetDlgItem(dlg, IDC_TITLE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"映画"));
  ASSERT_TRUE(gui::RemoteSetPicker(GetDlgItem(dlg, IDC_START_DATE), s));
  ASSERT_TRUE(gui::RemoteSetPicker(GetDlgItem(dlg, IDC_START_TIME), s));
  ASSERT_TRUE(gui::RemoteSetPicker(GetDlgItem(dlg, IDC_END_DATE), e));
  ASSERT_TRUE(gui::RemoteSetPicker(GetDlgItem(dlg, IDC_END_TIME), e));
  gui::SaveScreenshot("main-window-reservation", dlg);
  gui::Click(dlg, IDOK);
  ASSERT_TRUE(nimbra.WaitForRows(2));
  EXPECT_EQ(L"映画", gui::RemoteListText(nimbra.List(), 1, 1));

  // Minimizing hides the window behind the tray icon, where the schedule
  // commands are off; a double click on the icon brings the window back.
  PostMessageW(nimbra.Frame(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(nimbra.Frame()); }));
  EXPECT_FALSE(IsIconic(nimbra.Frame()));
  PostMessageW(nimbra.Frame(), WM_COMMAND, ID_SCHEDULE_ADD, 0);
  PostMessageW(nimbra.View(), kTrayMessage, 0, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(nimbra.Frame()) != FALSE; }));
  EXPECT_TRUE(gui::ProcessDialogs(nimbra.Pid()).empty());

  EXPECT_EQ(0, nimbra.Exit());
  const std::string ini = ReadAll(Ini());
  EXPECT_NE(std::string::npos, ini.find("sch_num=2"));
  EXPECT_NE(std::string::npos, ini.find("sch_title[0]=" + WideToSjis(L"ドラマ")));
  EXPECT_NE(std::string::npos, ini.find("sch_title[1]=" + WideToSjis(L"映画")));
  EXPECT_NE(std::string::npos, ini.find("sch_start[1]=" + std::to_string(TimeToSeconds(s))));
}

TEST_F(EndToEndTest, StartedWithAnIepgFileStartsTheRecorderAndOffersTheSchedule) {
  // The recording program lives in a folder whose name needs the system's
  // code page and quoting.
  const std::wstring recorderDir = folder_ + L"\\録画 ソフト";
  ASSERT_TRUE(CreateDirectoryW(recorderDir.c_str(), nullptr));
  CopyInto(recorderDir, L"recording_program.exe");
  const std::wstring recorder = recorderDir + L"\\recording_program.exe";
  WriteAll(Ini(), SettingsFile({}, "user_enable=1\r\nepg_offset=60\r\ntv_app_path=" +
                                       WideToSjis(recorder) + "\r\n"));

  // The browser saved the file elsewhere and the shell starts the program
  // there.
  const std::wstring downloads = folder_ + L"\\downloads";
  ASSERT_TRUE(CreateDirectoryW(downloads.c_str(), nullptr));
  SystemTime day{};
  SecondsToTime(now_ + 86400, &day);
  std::ostringstream iepg;
  iepg << "Content-type: application/x-tv-program-info; charset=shift_jis\r\n"
       << "version: 1\r\nstation: " << WideToSjis(L"テレビ局") << "\r\n"
       << "year: " << day.wYear << "\r\nmonth: " << day.wMonth << "\r\ndate: " << day.wDay << "\r\n"
       << "start: 21:00\r\nend: 22:30\r\n"
       << "program-title: " << WideToSjis(L"ドキュメント７２時間") << "\r\n";
  const std::wstring file = downloads + L"\\番組.tvpi";
  WriteAll(file, iepg.str());

  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start(file, downloads));
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());

  // The reservation dialog opens pre-filled, the start a minute early.
  HWND dlg = nimbra.WaitForCaption(L"スケジュール予約");
  ASSERT_NE(nullptr, dlg) << WideToUtf8(nimbra.Unexpected());
  EXPECT_EQ(L"ドキュメント７２時間", gui::WindowText(GetDlgItem(dlg, IDC_TITLE)));
  SystemTime startDate{}, startTime{}, endDate{}, endTime{};
  ASSERT_TRUE(gui::RemoteGetPicker(GetDlgItem(dlg, IDC_START_DATE), &startDate));
  ASSERT_TRUE(gui::RemoteGetPicker(GetDlgItem(dlg, IDC_START_TIME), &startTime));
  ASSERT_TRUE(gui::RemoteGetPicker(GetDlgItem(dlg, IDC_END_DATE), &endDate));
  ASSERT_TRUE(gui::RemoteGetPicker(GetDlgItem(dlg, IDC_END_TIME), &endTime));
  const SystemTime start = MakeSystemTime(day.wYear, day.wMonth, day.wDay, 20, 59, 0);
  const SystemTime end = MakeSystemTime(day.wYear, day.wMonth, day.wDay, 22, 30, 0);
  for (const SystemTime* date : {&startDate, &endDate}) {
    EXPECT_EQ(day.wYear, date->wYear);
    EXPECT_EQ(day.wMonth, date->wMonth);
    EXPECT_EQ(day.wDay, date->wDay);
  }
  EXPECT_EQ(20, startTime.wHour);
  EXPECT_EQ(59, startTime.wMinute);
  EXPECT_EQ(22, endTime.wHour);
  EXPECT_EQ(30, endTime.wMinute);
  gui::SaveScreenshot("iepg-reservation", dlg);
  gui::Click(dlg, IDOK);
  ASSERT_TRUE(nimbra.WaitForRows(1));
  EXPECT_EQ(L"ドキュメント７２時間", gui::RemoteListText(nimbra.List(), 0, 1));

  // The recording program was started on the working copy beside the
  // program, in the program's folder.
  const std::string record = WaitForFile(recorder + L".log");
  EXPECT_EQ("arg=default.pl\ncwd=" + WideToUtf8(folder_) + "\n", record);
  EXPECT_EQ(iepg.str(), ReadAll(folder_ + L"\\default.pl"));

  EXPECT_EQ(0, nimbra.Exit());
  const std::string ini = ReadAll(Ini());
  EXPECT_NE(std::string::npos, ini.find("sch_num=1"));
  EXPECT_NE(std::string::npos, ini.find("sch_title[0]=" + WideToSjis(L"ドキュメント７２時間")));
  EXPECT_NE(std::string::npos, ini.find("sch_start[0]=" + std::to_string(TimeToSeconds(start))));
  EXPECT_NE(std::string::npos, ini.find("sch_end[0]=" + std::to_string(TimeToSeconds(end))));
  EXPECT_NE(std::string::npos, ini.find("tv_app_path=" + WideToSjis(recorder)));
}

TEST_F(EndToEndTest, TheSystemsSuspendIsReplacedByTheCountdownWhenAScheduleFollows) {
  // Watching the system's suspend is on, and tomorrow's schedule waits.
  WriteAll(Ini(), SettingsFile({{L"ニュース", now_ + 86400, now_ + 86400 + 3600}},
                               "user_enable=1\r\nsmenu_fhock=1\r\nsleep_flag=0\r\n"));
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  ASSERT_TRUE(nimbra.WaitForRows(1));

  DWORD_PTR answer = 0;
  ASSERT_NE(0, SendMessageTimeoutW(nimbra.Frame(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0,
                                   SMTO_ABORTIFHUNG, 30000, &answer));
  EXPECT_EQ(0x424D5144u, answer) << "the system's own suspend is refused";
  HWND countdown = nimbra.WaitForCaption(L"サスペンドの準備中");
  ASSERT_NE(nullptr, countdown) << WideToUtf8(nimbra.Unexpected());

  // Stopping it cancels the suspend and says so; the window then closes.
  gui::Click(countdown, IDC_PROGRESS_STOP);
  HWND box = nimbra.WaitForMessage(L"サスペンドを中止しました");
  ASSERT_NE(nullptr, box) << WideToUtf8(nimbra.Unexpected());
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(countdown); }));
  // The schedule is still the one to wake up for.
  EXPECT_EQ(L"待ち", gui::RemoteListText(nimbra.List(), 0, 4));

  EXPECT_EQ(0, nimbra.Exit());
  const std::string log = ReadAll(powerLog_);
  EXPECT_EQ(std::string::npos, log.find("suspend")) << log;
  // While it idled, the timer stood a minute before tomorrow's start: any
  // sleep, the system's own included, wakes the PC for it.
  const std::string armed = "arm " + std::to_string(now_ + 86400 - 60);
  EXPECT_NE(std::string::npos, log.find(armed)) << log;
  EXPECT_EQ(log.find("arm "), log.rfind("arm ")) << "armed once: " << log;
}

// The mailer's arguments as the recording mailer wrote them (each ended by a
// zero byte), as UTF-16.
std::vector<std::wstring> MailerArguments(const std::string& record) {
  std::vector<std::wstring> args;
  size_t from = 0;
  for (size_t zero; (zero = record.find('\0', from)) != std::string::npos; from = zero + 1) {
    args.push_back(SjisToWide(record.substr(from, zero - from)));
  }
  return args;
}

std::wstring MailTime(int64_t seconds) {
  SystemTime t{};
  SecondsToTime(seconds, &t);
  wchar_t text[32];
  swprintf(text, 32, L"%04d%02d%02d_%02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
           t.wSecond);
  return text;
}

TEST_F(EndToEndTest, AScheduleThatEndsIsMailedAndRunsTheCountdownToTheSuspend) {
  const std::wstring mailerDir = folder_ + L"\\mailer";
  ASSERT_TRUE(CreateDirectoryW(mailerDir.c_str(), nullptr));
  CopyInto(mailerDir, L"recording_mailer.exe");
  const std::wstring mailer = mailerDir + L"\\recording_mailer.exe";
  // Running now, ending in a few seconds; nothing follows. The plug-in mails
  // the schedule in text mode.
  const int64_t start = now_ - 600, end = now_ + 4;
  WriteAll(Ini(), SettingsFile({{L"録画", start, end}},
                               "user_enable=1\r\nfinish_act=0\r\nsleep_flag=1\r\n") +
                      "[section_smail]\r\nm_sm_enable_check=1\r\n"
                      "m_sm_server=mail.example.jp\r\nm_sm_path=" + WideToSjis(mailer) + "\r\n"
                      "m_sm_src_addr=nimbra@example.jp\r\nm_sm_dst_addr=me@example.jp\r\n"
                      "m_sm_title=" + WideToSjis(L"録画終了") + "\r\n"
                      "m_sm_temp_check=0\r\nm_sm_info_check=0\r\n");
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  ASSERT_TRUE(nimbra.WaitForRows(1));

  HWND countdown = nimbra.WaitForCaption(L"サスペンドの準備中");
  ASSERT_NE(nullptr, countdown) << WideToUtf8(nimbra.Unexpected());
  EXPECT_NE(nullptr, GetDlgItem(countdown, IDC_PROGRESS_STOP));
  gui::SaveScreenshot("countdown-window", countdown);

  // The plug-in ran before the countdown opened: the mail has gone out.
  const std::vector<std::wstring> expected = {
      L"-hmail.example.jp", L"-fnimbra@example.jp", L"-s録画終了",
      L"-T" + MailTime(start) + L"--" + MailTime(end) + L"___録画", L"me@example.jp"};
  EXPECT_EQ(expected, MailerArguments(WaitForFile(mailer + L".args")));

  // The countdown completes by itself and closes.
  WaitUntil([&] { return !IsWindow(countdown); });
  EXPECT_FALSE(IsWindow(countdown));
  EXPECT_EQ(L"終了", gui::RemoteListText(nimbra.List(), 0, 4));

  EXPECT_EQ(0, nimbra.Exit());
  const std::string log = ReadAll(powerLog_);
  EXPECT_NE(std::string::npos, log.find("suspend 1")) << log;
  EXPECT_EQ(std::string::npos, log.find("shutdown")) << log;
  // The plug-in's section is still there after both saved.
  const std::string ini = ReadAll(Ini());
  EXPECT_NE(std::string::npos, ini.find("m_sm_path=" + WideToSjis(mailer))) << ini;
}

}  // namespace
