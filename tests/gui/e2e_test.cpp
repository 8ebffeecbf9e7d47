// End to end: the real Nimbra.exe with its plug-in and mail library, copied
// into a scratch folder with a prepared settings file, started and driven
// from this process the way a user would, through its windows. It runs as a
// dry run, so a schedule's end only writes its power steps to
// Nimbra-dryrun.log and never puts the machine to sleep. Outside programs are
// recording stand-ins.
#include "support/loopback_http_server.h"  // winsock2.h before windows.h

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/win/resource.h"
#include "engine/win/progress_resource.h"
#include "gui_driver.h"
#include "platform/win32/text_win.h"
#include "program_driver.h"
#include "schedule/time_rules.h"
#include "support/recording_mailer.h"
#include "support/scratch_dir.h"

namespace {

constexpr UINT kTrayMessage = WM_USER + 100;  // the tray icon's callback to the view
constexpr wchar_t kReservation[] = L"スケジュール予約";
constexpr wchar_t kCountdown[] = L"サスペンドの準備中";

using gui::Program;
using gui::WaitForFile;

std::string ReadAll(const std::wstring& path) { return gui::ReadFileBytes(path); }
void WriteAll(const std::wstring& path, const std::string& bytes) {
  ASSERT_TRUE(gui::WriteFileBytes(path, bytes));
}
bool Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
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

// The plug-in's section: mail on, in text mode, through mailer.
std::string MailSection(const std::wstring& mailer) {
  return "[section_smail]\r\nm_sm_enable_check=1\r\nm_sm_server=mail.example.jp\r\n"
         "m_sm_path=" + WideToSjis(mailer) + "\r\n"
         "m_sm_src_addr=nimbra@example.jp\r\nm_sm_dst_addr=me@example.jp\r\n"
         "m_sm_title=" + WideToSjis(L"録画終了") + "\r\n"
         "m_sm_temp_check=0\r\nm_sm_info_check=0\r\n";
}

// An iEPG file for one broadcast on day, from start to end ("hh:mm").
std::string IepgFile(const SystemTime& day, const char* start, const char* end,
                     const std::wstring& title) {
  std::ostringstream iepg;
  iepg << "Content-type: application/x-tv-program-info; charset=shift_jis\r\n"
       << "version: 1\r\nstation: " << WideToSjis(L"テレビ局") << "\r\n"
       << "year: " << day.wYear << "\r\nmonth: " << day.wMonth << "\r\ndate: " << day.wDay << "\r\n"
       << "start: " << start << "\r\nend: " << end << "\r\n"
       << "program-title: " << WideToSjis(title) << "\r\n";
  return iepg.str();
}

std::string HoursMinutes(const SystemTime& t) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", t.wHour, t.wMinute);
  return text;
}

void CopyInto(const std::wstring& folder, const std::wstring& name) {
  ASSERT_TRUE(CopyFileW((gui::ExeFolder() + L"\\" + name).c_str(), (folder + L"\\" + name).c_str(), FALSE))
      << WideToUtf8(name);
}

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The program with its plug-in and the plug-in's mail library.
    ASSERT_TRUE(dir_.CopyFromTestFolder({"Nimbra.exe", "Pelluxdlg.dll", "Pellux.dll"}));
    folder_ = Utf8ToWide(dir_.path());
    powerLog_ = folder_ + L"\\Nimbra-dryrun.log";
    now_ = static_cast<int64_t>(time(nullptr));
  }

  // Moves the program with its libraries into a folder of the given name.
  void UseProgramFolder(const std::wstring& name) {
    const std::wstring from = folder_;
    folder_ += L"\\" + name;
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    for (const wchar_t* file : {L"Nimbra.exe", L"Pelluxdlg.dll", L"Pellux.dll"})
      ASSERT_TRUE(MoveFileW((from + L"\\" + file).c_str(), (folder_ + L"\\" + file).c_str()));
    powerLog_ = folder_ + L"\\Nimbra-dryrun.log";
  }
  std::wstring Ini() const { return folder_ + L"\\Nimbra.ini"; }
  SystemTime LocalIn(int64_t seconds) const {
    SystemTime t{};
    SecondsToTime(now_ + seconds, &t);
    return t;
  }

  // The recording program, in a folder whose name needs the system's code
  // page and quoting.
  std::wstring InstallRecordingProgram() {
    const std::wstring dir = folder_ + L"\\録画 ソフト";
    EXPECT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    CopyInto(dir, L"recording_program.exe");
    return dir + L"\\recording_program.exe";
  }
  // The recording stand-in for the mailer, in a folder of its own.
  std::wstring InstallMailer() {
    const std::wstring dir = folder_ + L"\\mailer";
    EXPECT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    CopyInto(dir, L"recording_mailer.exe");
    return dir + L"\\recording_mailer.exe";
  }
  // Checks that the recording program was started on the working copy of
  // the iEPG file beside the program, in the program's folder.
  void ExpectRecorderStartedOn(const std::wstring& recorder, const std::string& iepg) {
    EXPECT_EQ("arg=default.pl\ncwd=" + WideToUtf8(folder_) + "\n", WaitForFile(recorder + L".log"));
    EXPECT_EQ(iepg, ReadAll(folder_ + L"\\default.pl"));
  }
  // A schedule's end with the mail on: the mail goes out before the
  // countdown opens, which then runs to the suspend (logged, never real) and
  // closes. The mailer's arguments, as UTF-16. sawItRun: the program ran
  // while the window was open (not only after its end, as a program started
  // late does), so it kept the PC awake meanwhile.
  std::vector<std::wstring> MailedThenSuspended(Program& nimbra, const std::wstring& mailer,
                                                bool sawItRun) {
    std::vector<std::wstring> args;
    HWND countdown = nimbra.WaitForCaption(kCountdown);
    EXPECT_NE(nullptr, countdown) << WideToUtf8(nimbra.Unexpected());
    if (!countdown) return args;
    EXPECT_NE(nullptr, GetDlgItem(countdown, IDC_PROGRESS_STOP));
    gui::SaveScreenshot("countdown-window", countdown);
    for (const std::string& arg : ArgumentsInRecord(WaitForFile(mailer + L".args"))) {
      args.push_back(SjisToWide(arg));
    }
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(countdown); }));
    EXPECT_TRUE(WaitUntil([&] { return Contains(ReadAll(powerLog_), "suspend"); }));
    const std::string log = ReadAll(powerLog_);
    EXPECT_TRUE(Contains(log, "suspend 1")) << log;
    EXPECT_FALSE(Contains(log, "shutdown")) << log;
    // The keep-awake while it ran named the program and the schedule.
    if (sawItRun) {
      EXPECT_TRUE(Contains(log, "awake-reason Nimbra: 「")) << log;
    }
    return args;
  }

  ScratchDir dir_;
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
  EXPECT_EQ(L"Nimbra [ドライラン]", gui::WindowText(nimbra.Frame()));
  ASSERT_TRUE(nimbra.WaitForRows(2));
  EXPECT_EQ(L"001", gui::RemoteListText(nimbra.List(), 0, 0));
  EXPECT_EQ(L"ニュース", gui::RemoteListText(nimbra.List(), 0, 1));
  EXPECT_EQ(L"待ち", gui::RemoteListText(nimbra.List(), 0, 4));
  EXPECT_EQ(L"なし", gui::RemoteListText(nimbra.List(), 0, 5));
  EXPECT_EQ(L"指定なし", gui::RemoteListText(nimbra.List(), 0, 6));
  EXPECT_EQ(L"ドラマ", gui::RemoteListText(nimbra.List(), 1, 1));
  // The start and end columns fit their date and time in the list's font,
  // never narrower than their given width.
  for (int column : {2, 3}) {
    const int width = ListView_GetColumnWidth(nimbra.List(), column);
    EXPECT_GE(width, 120) << column;
    const std::wstring text = gui::RemoteListText(nimbra.List(), 0, column);
    EXPECT_GE(width, gui::RemoteListStringWidth(nimbra.List(), text) + 12)  // the cell margins
        << column;
  }
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
  HWND dlg = nimbra.WaitForCaption(kReservation);
  ASSERT_NE(nullptr, dlg);
  SystemTime s = LocalIn(3 * day), e{};
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

// The main window opens where it was left: a place no monitor shows gives
// the first place (600 × 300 at 340, 362); the place at exit is saved and
// taken at the next start.
TEST_F(EndToEndTest, TheMainWindowOpensWhereItWasLeftOrAtItsFirstPlace) {
  const auto placeOf = [](HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top};
  };
  WriteAll(Ini(), SettingsFile({}, "user_enable=0\r\nmain_left=-9000\r\nmain_top=-9000\r\n"
                                   "main_width=700\r\nmain_height=400\r\n"));
  {
    Program nimbra(folder_);
    ASSERT_TRUE(nimbra.Start());
    ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
    EXPECT_EQ((std::vector<LONG>{340, 362, 600, 300}), placeOf(nimbra.Frame()));
    ASSERT_TRUE(SetWindowPos(nimbra.Frame(), nullptr, 120, 80, 640, 420,
                             SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_EQ(0, nimbra.Exit());
  }
  const std::string ini = ReadAll(Ini());
  for (const char* key : {"main_left=120\r\n", "main_top=80\r\n", "main_width=640\r\n",
                          "main_height=420\r\n"})
    EXPECT_TRUE(Contains(ini, key)) << key << ini;
  Program again(folder_);
  ASSERT_TRUE(again.Start());
  ASSERT_NE(nullptr, again.WaitForFrame()) << WideToUtf8(again.Unexpected());
  EXPECT_EQ((std::vector<LONG>{120, 80, 640, 420}), placeOf(again.Frame()));
  EXPECT_EQ(0, again.Exit());
}

TEST_F(EndToEndTest, StartedWithAnIepgFileStartsTheRecorderAndOffersTheSchedule) {
  const std::wstring recorder = InstallRecordingProgram();
  WriteAll(Ini(), SettingsFile({}, "user_enable=1\r\nepg_offset=60\r\ntv_app_path=" +
                                       WideToSjis(recorder) + "\r\n"));

  // The browser saved the file elsewhere and the shell starts the program
  // there.
  const std::wstring downloads = folder_ + L"\\downloads";
  ASSERT_TRUE(CreateDirectoryW(downloads.c_str(), nullptr));
  const SystemTime day = LocalIn(86400);
  const std::string iepg = IepgFile(day, "21:00", "22:30", L"ドキュメント７２時間");
  const std::wstring file = downloads + L"\\番組.tvpi";
  WriteAll(file, iepg);

  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start(file, downloads));
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());

  // The reservation dialog opens pre-filled, the start a minute early.
  HWND dlg = nimbra.WaitForCaption(kReservation);
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

  ExpectRecorderStartedOn(recorder, iepg);

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
  HWND countdown = nimbra.WaitForCaption(kCountdown);
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

// Any program can send the suspend query: while a schedule's window runs it
// is refused, and the schedule runs on with no countdown.
TEST_F(EndToEndTest, ASuspendQueryWhileAScheduleRunsIsRefusedAndChangesNothing) {
  WriteAll(Ini(), SettingsFile({{L"録画中", now_ - 60, now_ + 3600},
                                {L"ニュース", now_ + 86400, now_ + 86400 + 3600}},
                               "user_enable=1\r\nsmenu_fhock=1\r\nsleep_flag=0\r\n"));
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  ASSERT_TRUE(nimbra.WaitForRows(2));
  ASSERT_TRUE(WaitUntil([&] { return gui::RemoteListText(nimbra.List(), 0, 4) == L"実行"; }));
  // The running window keeps the PC awake, named by program and schedule.
  EXPECT_TRUE(WaitUntil(
      [&] { return Contains(ReadAll(powerLog_), "awake-reason Nimbra: 「録画中」を実行中"); }))
      << ReadAll(powerLog_);

  DWORD_PTR answer = 0;
  ASSERT_NE(0, SendMessageTimeoutW(nimbra.Frame(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0,
                                   SMTO_ABORTIFHUNG, 30000, &answer));
  EXPECT_EQ(0x424D5144u, answer);
  // The handler has run: a countdown would be open by now.
  EXPECT_EQ(nullptr, FindWindowW(nullptr, kCountdown));
  EXPECT_EQ(L"実行", gui::RemoteListText(nimbra.List(), 0, 4));

  EXPECT_EQ(0, nimbra.Exit());
  const std::string log = ReadAll(powerLog_);
  EXPECT_EQ(std::string::npos, log.find("suspend")) << log;
}

TEST_F(EndToEndTest, IdlingWithAScheduleAheadHoldsOneArmedTimerAndShowsTheNextWake) {
  const int64_t start = now_ + 86400;
  WriteAll(Ini(), SettingsFile({{L"ニュース", start, start + 3600}}, "user_enable=1\r\n"));
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  HWND status = FindWindowExW(nimbra.Frame(), nullptr, STATUSCLASSNAMEW, nullptr);
  ASSERT_NE(nullptr, status);
  // The default lead: the wake is a minute before the start.
  SystemTime wake{};
  SecondsToTime(start - 60, &wake);
  wchar_t expected[32];
  swprintf(expected, 32, L"次回起動 %02d/%02d %02d:%02d", wake.wMonth, wake.wDay, wake.wHour,
           wake.wMinute);
  std::wstring shown;
  EXPECT_TRUE(WaitUntil([&] {
    shown = gui::RemoteStatusText(status, 0);
    return shown.rfind(expected, 0) == 0;
  })) << WideToUtf8(shown);
  // A few seconds of idling: many ticks, no new arming.
  Sleep(2000);
  EXPECT_EQ(0, nimbra.Exit());
  const std::string log = ReadAll(powerLog_);
  const std::string armed = "arm " + std::to_string(start - 60);
  EXPECT_NE(std::string::npos, log.find(armed)) << log;
  EXPECT_EQ(log.find("arm "), log.rfind("arm ")) << "armed once: " << log;
}

TEST_F(EndToEndTest, ClosingWithAScheduleAheadAsksFirstAndNoKeepsTheProgram) {
  const int64_t start = now_ + 86400;
  WriteAll(Ini(), SettingsFile({{L"ニュース", start, start + 3600}}, "user_enable=1\r\n"));
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  // The window's close box: No keeps the program and its wake timer.
  PostMessageW(nimbra.Frame(), WM_CLOSE, 0, 0);
  HWND box = nimbra.WaitForDialog([](HWND h) {
    return GetDlgItem(h, 0xFFFF) && gui::MessageBoxText(h).find(L"終了しますか") != std::wstring::npos;
  });
  ASSERT_NE(nullptr, box) << WideToUtf8(nimbra.Unexpected());
  const std::wstring question = gui::MessageBoxText(box);
  EXPECT_NE(std::wstring::npos, question.find(L"「ニュース」")) << WideToUtf8(question);
  gui::SaveScreenshot("close-question", box);
  PostMessageW(box, WM_COMMAND, IDNO, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_TRUE(IsWindow(nimbra.Frame()));
  // The menu's end: Yes ends it.
  EXPECT_EQ(0, nimbra.Exit());
  EXPECT_EQ(1u, nimbra.CloseQuestions().size());
}

// The wake self-test from the diagnosis: asked, then the end's countdown,
// the power log's arming and sleep, the dry run's played resume, and the
// result in a box, in the diagnosis and in the journal.
TEST_F(EndToEndTest, TheWakeSelfTestSleepsThroughThePowerLogAndTellsItsResult) {
  const int64_t start = now_ + 86400;
  WriteAll(Ini(), SettingsFile({{L"ニュース", start, start + 3600}},
                               "user_enable=1\r\nsleep_flag=1\r\n"));
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  const auto boxSaying = [&](const wchar_t* part) {
    return nimbra.WaitForDialog([part](HWND h) {
      return GetDlgItem(h, 0xFFFF) && gui::MessageBoxText(h).find(part) != std::wstring::npos;
    });
  };

  PostMessageW(nimbra.Frame(), WM_COMMAND, ID_HELP_WAKE_DIAGNOSIS, 0);
  HWND diagnosis = nimbra.WaitForCaption(L"Nimbra - 起動診断");
  ASSERT_NE(nullptr, diagnosis) << WideToUtf8(nimbra.Unexpected());
  EXPECT_NE(std::wstring::npos,
            gui::WindowText(GetDlgItem(diagnosis, IDC_WAKE_REPORT)).find(L"スリープ復帰テスト: 未実施"));
  gui::SaveScreenshot("wake-diagnosis", diagnosis);
  gui::Click(diagnosis, IDC_WAKE_TEST);
  HWND question = boxSaying(L"スリープ復帰テストを行います");
  ASSERT_NE(nullptr, question) << WideToUtf8(nimbra.Unexpected());
  EXPECT_NE(std::wstring::npos, gui::MessageBoxText(question).find(L"今すぐ休止状態に入り"));
  PostMessageW(question, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));

  HWND result = boxSaying(L"スリープ復帰テストの結果");
  ASSERT_NE(nullptr, result) << WideToUtf8(nimbra.Unexpected());
  const std::wstring told = gui::MessageBoxText(result);
  EXPECT_NE(std::wstring::npos, told.find(L"○ タイマーで復帰しました")) << WideToUtf8(told);
  EXPECT_NE(std::wstring::npos, told.find(L"ドライラン")) << WideToUtf8(told);
  PostMessageW(result, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(result); }));

  // The test's timer, then the sleep in the chosen state; the schedule's
  // timer stands again afterwards.
  const std::string log = ReadAll(powerLog_);
  const size_t testArm = log.find("arm-reason Nimbra: スリープ復帰テスト");
  const size_t sleep = log.find("suspend 1");
  ASSERT_NE(std::string::npos, testArm) << log;
  ASSERT_NE(std::string::npos, sleep) << log;
  EXPECT_LT(testArm, sleep) << log;
  EXPECT_NE(std::string::npos, log.find("arm " + std::to_string(start - 60), sleep)) << log;

  PostMessageW(nimbra.Frame(), WM_COMMAND, ID_HELP_WAKE_DIAGNOSIS, 0);
  diagnosis = nimbra.WaitForCaption(L"Nimbra - 起動診断");
  ASSERT_NE(nullptr, diagnosis) << WideToUtf8(nimbra.Unexpected());
  const std::wstring report = gui::WindowText(GetDlgItem(diagnosis, IDC_WAKE_REPORT));
  EXPECT_NE(std::wstring::npos, report.find(L"休止状態、ドライラン）: タイマーで復帰")) << WideToUtf8(report);
  PostMessageW(diagnosis, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(diagnosis); }));

  EXPECT_EQ(0, nimbra.Exit());
  EXPECT_TRUE(Contains(ReadAll(folder_ + L"\\Nimbra-journal.txt"), "\twake-test\t1\t"));
  // A played test is no proof for this PC: the settings file keeps none.
  EXPECT_FALSE(Contains(ReadAll(Ini()), "wake_test"));
}

TEST_F(EndToEndTest, TheJournalWindowListsTheWindowsNewestFirstAndMarksAMissedOne) {
  // A window that passed while the program was not running, after a run
  // that the journal recorded.
  const int64_t start = now_ - 7200;
  const SystemTime exited = LocalIn(-86400);
  char line[64];
  std::snprintf(line, sizeof line, "%04d-%02d-%02d %02d:%02d:%02d\texit\t0\t-\t-\t-\t\n",
                exited.wYear, exited.wMonth, exited.wDay, exited.wHour, exited.wMinute,
                exited.wSecond);
  WriteAll(folder_ + L"\\Nimbra-journal.txt", line);
  WriteAll(Ini(), SettingsFile({{L"ドラマ", start, start + 1800}}, "user_enable=1\r\n"));
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  HWND status = FindWindowExW(nimbra.Frame(), nullptr, STATUSCLASSNAMEW, nullptr);
  std::wstring shown;
  EXPECT_TRUE(WaitUntil([&] {
    shown = gui::RemoteStatusText(status, 0);
    return shown.find(L"前回の録画: 見逃し") != std::wstring::npos;
  })) << WideToUtf8(shown);
  PostMessageW(nimbra.Frame(), WM_COMMAND, ID_MENU_JOURNAL, 0);
  HWND journal = nimbra.WaitForCaption(L"実行履歴");
  ASSERT_NE(nullptr, journal) << WideToUtf8(nimbra.Unexpected());
  HWND list = GetDlgItem(journal, IDC_JOURNAL_LIST);
  EXPECT_EQ(1, static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
  EXPECT_EQ(L"ドラマ", gui::RemoteListText(list, 0, 1));
  EXPECT_EQ(L"見逃し", gui::RemoteListText(list, 0, 2));
  gui::SaveScreenshot("journal-window", journal);
  PostMessageW(journal, WM_COMMAND, IDOK, 0);
  // Looked at: the note goes.
  EXPECT_TRUE(WaitUntil([&] {
    shown = gui::RemoteStatusText(status, 0);
    return shown.find(L"前回の録画") == std::wstring::npos;
  })) << WideToUtf8(shown);
  EXPECT_EQ(0, nimbra.Exit());
}

TEST_F(EndToEndTest, TheLogonStartGoesStraightIntoTheTrayAndImportsNothing) {
  WriteAll(Ini(), SettingsFile({{L"ニュース", now_ + 86400, now_ + 86400 + 3600}}, ""));
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start(L"/tray"));
  // The frame exists but stays hidden behind the tray icon.
  HWND hidden = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    HWND frame = nullptr;
    while ((frame = FindWindowExW(nullptr, frame, L"NimbraMainFrame", nullptr))) {
      DWORD pid = 0;
      GetWindowThreadProcessId(frame, &pid);
      if (pid == nimbra.Pid()) hidden = frame;
    }
    return hidden != nullptr && FindWindowExW(hidden, nullptr, L"NimbraView", nullptr);
  }));
  Sleep(1000);  // past the command-line import's delay
  EXPECT_FALSE(IsWindowVisible(hidden));
  PostMessageW(hidden, WM_COMMAND, ID_MENU_COME2TRAY, 0);
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  // The stored schedule, and no import of a file "/tray" (its error would
  // have ended the wait for the frame).
  ASSERT_TRUE(nimbra.WaitForRows(1));
  EXPECT_EQ(0, nimbra.Exit());
}

// From the tray: the last item of its menu is the File menu's exit, which
// ends the program; ﾍﾙﾌﾟ > 使い方ガイド without the guide beside the program says where
// it belongs.
TEST_F(EndToEndTest, TheTrayMenuExitsAndTheMissingGuideIsNamed) {
  WriteAll(Ini(), SettingsFile({}, ""));
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  PostMessageW(nimbra.Frame(), WM_COMMAND, ID_HELP_GUIDE, 0);
  HWND box = nimbra.WaitForDialog([](HWND h) {
    return GetDlgItem(h, 0xFFFF) &&
           gui::MessageBoxText(h).find(L"Nimbra-docs\\index.html") != std::wstring::npos;
  });
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(0u, gui::MessageBoxText(box).find(L"使い方ガイドが見つかりません。\n"));
  PostMessageW(box, WM_COMMAND, IDOK, 0);

  PostMessageW(nimbra.Frame(), WM_COMMAND, ID_MENU_GO2TRAY, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(nimbra.Frame()); }));
  PostMessageW(nimbra.View(), WM_USER + 100, 0, WM_RBUTTONDOWN);
  HWND popup = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    popup = nullptr;
    while ((popup = FindWindowExW(nullptr, popup, L"#32768", nullptr))) {
      DWORD pid = 0;
      GetWindowThreadProcessId(popup, &pid);
      if (pid == nimbra.Pid() && IsWindowVisible(popup)) return true;
    }
    return false;
  }));
  // Up from no selection is the last item: with nothing ahead, 終了 ends
  // the program without a question. (The menu itself belongs to the
  // program's process, out of this one's reach.)
  PostMessageW(popup, WM_KEYDOWN, VK_UP, 0);
  PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(0, nimbra.WaitForExit());
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
  const std::wstring mailer = InstallMailer();
  // Running now, ending in a few seconds; nothing follows.
  const int64_t start = now_ - 600, end = now_ + 4;
  WriteAll(Ini(), SettingsFile({{L"録画", start, end}},
                               "user_enable=1\r\nfinish_act=0\r\nsleep_flag=1\r\n") +
                      MailSection(mailer));
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  ASSERT_TRUE(nimbra.WaitForRows(1));

  const std::vector<std::wstring> expected = {
      L"-hmail.example.jp", L"-fnimbra@example.jp", L"-s録画終了",
      L"-T" + MailTime(start) + L"--" + MailTime(end) + L"___録画", L"me@example.jp"};
  // The window ends seconds after the program starts; a loaded machine may
  // start it later than that, so whether it saw the window run is not known
  // here (the iEPG test below and the suspend-query test check the keep-awake).
  EXPECT_EQ(expected, MailedThenSuspended(nimbra, mailer, false));
  EXPECT_EQ(L"終了", gui::RemoteListText(nimbra.List(), 0, 4));

  EXPECT_EQ(0, nimbra.Exit());
  // The plug-in's section is still there after both saved.
  const std::string ini = ReadAll(Ini());
  EXPECT_NE(std::string::npos, ini.find("m_sm_path=" + WideToSjis(mailer))) << ini;
}

// The text of the first balloon on screen that holds part.
std::wstring WaitForBalloon(const std::wstring& part) {
  std::wstring found;
  WaitUntil([&] {
    for (const std::wstring& text : gui::ShownBalloonTexts()) {
      if (text.find(part) == std::wstring::npos) continue;
      found = text;
      return true;
    }
    return false;
  });
  return found;
}

TEST_F(EndToEndTest, AScheduleThatEndsIsPostedToTheWebhookAfterItsCountdownBegan) {
  OneRequestServer server(204);
  const int64_t start = now_ - 600, end = now_ + 4;
  WriteAll(Ini(), SettingsFile({{L"録画 \"特番\"", start, end}},
                               "user_enable=1\r\nfinish_act=0\r\nsleep_flag=1\r\n") +
                      "[Notify]\r\nballoon_end=1\r\nwebhook_kind=3\r\nwebhook_url=http://127.0.0.1:" +
                      std::to_string(server.port) + "/hook/SECRET\r\n");
  Program nimbra(folder_);
  nimbra.DismissPluginLoadErrors();
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  ASSERT_NE(nullptr, nimbra.WaitForCaption(kCountdown)) << WideToUtf8(nimbra.Unexpected());
  ASSERT_TRUE(WaitUntil([&] { return server.answered.load(); }));
  EXPECT_EQ(0u, server.request.rfind("POST /hook/SECRET HTTP/1.1\r\n", 0)) << server.request;
  EXPECT_TRUE(Contains(server.request, "\"event\":\"window_end\"")) << server.request;
  EXPECT_TRUE(Contains(server.request, "\"title\":\"録画 \\\"特番\\\"\"")) << server.request;
  // The end balloon, asked for, in the notification area, with the verdict.
  const std::wstring balloon = WaitForBalloon(L"番組: 録画 \"特番\"");
  EXPECT_NE(std::wstring::npos, balloon.find(L"判定: ")) << WideToUtf8(balloon);
  EXPECT_TRUE(WaitUntil([&] { return Contains(ReadAll(powerLog_), "suspend"); }));
  EXPECT_EQ(0, nimbra.Exit());
  const std::string ini = ReadAll(Ini());
  EXPECT_TRUE(Contains(ini, "webhook_kind=3")) << ini;
}

// A notification that cannot be sent is told by a balloon with the reason,
// from the tray icon that the balloon puts there; the program goes on to
// the suspend.
TEST_F(EndToEndTest, ANotificationThatCannotBeSentIsToldByABalloon) {
  OneRequestServer server(404);
  const int64_t start = now_ - 600, end = now_ + 4;
  WriteAll(Ini(), SettingsFile({{L"録画", start, end}},
                               "user_enable=1\r\nfinish_act=0\r\nsleep_flag=1\r\n") +
                      "[Notify]\r\nballoon_trouble=1\r\nwebhook_kind=3\r\nwebhook_url=http://127.0.0.1:" +
                      std::to_string(server.port) + "/gone\r\n");
  Program nimbra(folder_);
  nimbra.DismissPluginLoadErrors();
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  EXPECT_EQ(L"HTTP 404（URLが見つかりません）", WaitForBalloon(L"HTTP 404"))
      << WideToUtf8(nimbra.Unexpected());
  EXPECT_TRUE(WaitUntil([&] { return Contains(ReadAll(powerLog_), "suspend"); }));
  EXPECT_EQ(0, nimbra.Exit());
}

// The whole road of a schedule: an iEPG file given to the program, the
// reservation dialog confirmed with the end brought near, the recording
// program started, the schedule's end mailed through the plug-in, the
// countdown, and the suspend it ends in.
TEST_F(EndToEndTest, FromAnIepgFileToTheMailTheCountdownAndTheSuspend) {
  // The folder's name ends in 表, whose second Shift-JIS byte is that of '\':
  // the plug-in, the mail library and the working copy are found in it all
  // the same.
  ASSERT_NO_FATAL_FAILURE(UseProgramFolder(L"番組表"));
  const std::wstring recorder = InstallRecordingProgram();
  const std::wstring mailer = InstallMailer();
  WriteAll(Ini(), SettingsFile({}, "user_enable=1\r\nsleep_flag=1\r\nfinish_act=0\r\n"
                                   "reg_bk_flag=1\r\nsel_ext=0\r\ntv_app_path=" +
                                       WideToSjis(recorder) + "\r\n") +
                      MailSection(mailer));

  // A broadcast that began ten minutes ago and ends in ten.
  const SystemTime began = LocalIn(-600), ends = LocalIn(600), soon = LocalIn(12);
  if (began.wDay != ends.wDay) GTEST_SKIP() << "too close to midnight";
  const std::string iepg = IepgFile(began, HoursMinutes(began).c_str(),
                                    HoursMinutes(ends).c_str(), L"ニュース");
  // The browser starts the program in its download folder with the file's
  // name alone.
  const std::wstring downloads = folder_ + L"\\downloads";
  ASSERT_TRUE(CreateDirectoryW(downloads.c_str(), nullptr));
  WriteAll(downloads + L"\\番組.tvpi", iepg);

  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start(L"番組.tvpi", downloads));
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  HWND dlg = nimbra.WaitForCaption(kReservation);
  ASSERT_NE(nullptr, dlg) << WideToUtf8(nimbra.Unexpected());
  EXPECT_EQ(L"ニュース", gui::WindowText(GetDlgItem(dlg, IDC_TITLE)));
  ASSERT_TRUE(gui::RemoteSetPicker(GetDlgItem(dlg, IDC_END_TIME), soon));
  gui::Click(dlg, IDOK);
  ExpectRecorderStartedOn(recorder, iepg);

  const std::vector<std::wstring> mail = MailedThenSuspended(nimbra, mailer, true);
  ASSERT_EQ(5u, mail.size());
  EXPECT_EQ(L"-hmail.example.jp", mail[0]);
  EXPECT_EQ(L"-s録画終了", mail[2]);
  EXPECT_EQ(L"___ニュース", mail[3].substr(mail[3].size() - 7)) << WideToUtf8(mail[3]);
  EXPECT_EQ(0, nimbra.Exit());
}

}  // namespace
