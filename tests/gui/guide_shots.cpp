// Takes the pictures of the user guide: the real Nimbra.exe in a folder of
// its own, with a few realistic schedules and otherwise the default settings,
// driven through its windows as a user would. It runs as a dry run (the power
// steps only go to Nimbra-dryrun.log) without the title's dry-run mark, so
// the pictures show the program as the user sees it.
//   nimbra-guide-shots.exe <folder of the program> <folder for the pictures>
// Exits 0 when every picture was taken; otherwise says which step failed.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "app/win/resource.h"
#include "app/win/settings_resource.h"
#include "engine/win/progress_resource.h"
#include "gui_driver.h"
#include "platform/win32/text_win.h"
#include "program_driver.h"
#include "schedule/repeat_rules.h"
#include "schedule/time_rules.h"
#include "support/wait.h"

namespace {

// The session's folders on the prefix's own drive.
constexpr wchar_t kFolder[] = L"C:\\Nimbra";
constexpr wchar_t kRecorderFolder[] = L"C:\\録画ソフト";
constexpr wchar_t kDownloads[] = L"C:\\Nimbra\\ダウンロード";

constexpr int64_t kDay = 86400;

struct Schedule {
  std::wstring title;
  int64_t start, end;
  int method = -1;  // -1: once; else the repeat method
  int32_t weekdays = 0;
  int64_t periodEnd = 0;  // 0: no period
};

[[noreturn]] void Fail(const std::string& what, const gui::Program* program = nullptr) {
  std::fprintf(stderr, "guide-shots: %s", what.c_str());
  if (program && !program->Unexpected().empty())
    std::fprintf(stderr, " (the program said: %s)", WideToUtf8(program->Unexpected()).c_str());
  std::fprintf(stderr, "\n");
  std::exit(1);
}

void Require(bool ok, const std::string& what, const gui::Program* program = nullptr) {
  if (!ok) Fail(what, program);
}

// The window as it looks once its program has drawn everything it was asked
// to (the sheet's tabs repaint after the page has turned).
void Shot(const std::string& name, HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid)) {
    WaitForInputIdle(process, 5000);
    CloseHandle(process);
  }
  Require(gui::SaveScreenshot(name, window), "cannot save the picture " + name);
  std::printf("guide-shots: %s.png\n", name.c_str());
}

// Local midnight of the day that holds t, plus hours and minutes.
int64_t At(int64_t t, int days, int hour, int minute) {
  SystemTime d{};
  SecondsToTime(t + days * kDay, &d);
  return TimeToSeconds(MakeSystemTime(d.wYear, d.wMonth, d.wDay, hour, minute, 0));
}

// The first day from tomorrow on whose weekday is in the set (bit 0 Sunday).
int DaysToWeekday(int64_t now, int32_t weekdays) {
  for (int days = 1; days <= 7; ++days) {
    SystemTime d{};
    SecondsToTime(now + days * kDay, &d);
    if (weekdays & (1 << d.wDayOfWeek)) return days;
  }
  return 1;
}

std::string SettingsFile(const std::vector<Schedule>& table, const std::wstring& recorder) {
  std::ostringstream ini;
  // The recording program is the one setting every user makes first; all
  // else stays as a new installation has it.
  ini << "[APP_MNG_INFO]\r\ntv_app_path=" << WideToSjis(recorder) << "\r\n"
      << "[TV_REC_SCHEDULE]\r\nsch_num=" << table.size() << "\r\n";
  for (size_t i = 0; i < table.size(); ++i) {
    const Schedule& s = table[i];
    const bool repeats = s.method >= 0;
    ini << "sch_title[" << i << "]=" << WideToSjis(s.title) << "\r\n"
        << "sch_start[" << i << "]=" << s.start << "\r\n"
        << "sch_end[" << i << "]=" << s.end << "\r\n"
        << "sch_loop_f[" << i << "]=" << (repeats ? 1 : 0) << "\r\n"
        << "sch_loop_meth[" << i << "]=" << (repeats ? s.method : 0) << "\r\n"
        << "sch_b_wday[" << i << "]=" << s.weekdays << "\r\n"
        << "sch_kikan_f[" << i << "]=" << (s.periodEnd ? 1 : 0) << "\r\n"
        << "sch_kikan_s[" << i << "]=" << s.start << "\r\n"
        << "sch_kikan_e[" << i << "]=" << (s.periodEnd ? s.periodEnd : s.end) << "\r\n";
  }
  return ini.str();
}

// A one-programme iEPG file (version 1, as most listings sites send).
std::string IepgFile(int64_t start, int64_t end, const std::wstring& station,
                     const std::wstring& title) {
  SystemTime s{}, e{};
  SecondsToTime(start, &s);
  SecondsToTime(end, &e);
  char times[64];
  std::snprintf(times, sizeof times, "start: %02d:%02d\r\nend: %02d:%02d\r\n", s.wHour, s.wMinute,
                e.wHour, e.wMinute);
  std::ostringstream f;
  f << "Content-type: application/x-tv-program-info; charset=shift_jis\r\n"
    << "version: 1\r\nstation: " << WideToSjis(station) << "\r\n"
    << "year: " << s.wYear << "\r\nmonth: " << s.wMonth << "\r\ndate: " << s.wDay << "\r\n"
    << times << "program-title: " << WideToSjis(title) << "\r\n";
  return f.str();
}

// One programme's record of a file of several (version 2, digital).
std::string DigitalRecord(int64_t start, int64_t end, const std::wstring& station,
                          const std::wstring& title) {
  SystemTime s{}, e{};
  SecondsToTime(start, &s);
  SecondsToTime(end, &e);
  char times[64];
  std::snprintf(times, sizeof times, "start: %02d:%02d\r\nend: %02d:%02d\r\n", s.wHour, s.wMinute,
                e.wHour, e.wMinute);
  std::ostringstream r;
  r << "Content-type: application/x-tv-program-digital-info; charset=shift_jis\r\n"
    << "version: 2\r\nstation: DFS00400\r\nstation-name: " << WideToSjis(station) << "\r\n"
    << "year: " << s.wYear << "\r\nmonth: " << s.wMonth << "\r\ndate: " << s.wDay << "\r\n"
    << times << "program-title: " << WideToSjis(title) << "\r\n";
  return r.str();
}

std::string MultiFile(const std::vector<std::string>& records) {
  std::string f = "Content-type: application/x-multi-tv-program-digital-info; charset=shift_jis\r\n"
                  "version: 2\r\nmulti-program-title: " + WideToSjis(L"今週のおすすめ") +
                  "\r\nboundary: --NIMBRA--\r\n\r\n";
  for (const std::string& r : records) f += "--NIMBRA--\r\n" + r + "\r\n";
  return f + "--NIMBRA----\r\n";
}

// "2030-01-07 21:00:00" in local time, as the journal writes it.
std::string Stamp(int64_t t) {
  SystemTime d{};
  SecondsToTime(t, &d);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d.wYear, d.wMonth, d.wDay,
                d.wHour, d.wMinute, d.wSecond);
  return text;
}

// The last few nights as the program would have journalled them: windows
// with each verdict the 実行履歴 window shows (fully awake, late after a
// slow resume, interrupted by the user's sleep, missed while the program was
// closed). The newest one was fully awake, so the main window carries no
// shortfall note.
std::string JournalFile(int64_t now) {
  std::string file =
      "# Nimbra 実行履歴: 日時, 種類, コード, 予定の開始, 予定の終了, ウェイクタイマー, 番組名\n";
  auto line = [&](int64_t at, const char* kind, int code, int64_t from = 0, int64_t to = 0,
                  int64_t timer = 0, const std::wstring& title = L"") {
    file += Stamp(at) + '\t' + kind + '\t' + std::to_string(code) + '\t' +
            (from ? Stamp(from) : "-") + '\t' + (to ? Stamp(to) : "-") + '\t' +
            (timer ? Stamp(timer) : "-") + '\t' + WideToUtf8(title) + '\n';
  };
  const std::wstring news = L"夜のニュース";
  const std::wstring film = L"映画「遠い約束」";
  // Codes: window 0 already on, 1 by the timer; end 1 kept awake for the
  // next, 3 the countdown to the sleep; sleep 1 by the program; resume 1 by
  // the timer; missed 2 the program was not running.
  auto timerNight = [&](int day, int woke) {
    const int64_t start = At(now, day, 22, 59), end = At(now, day, 23, 30);
    const int64_t timer = start - 120;
    line(timer + woke, "resume", 1);
    line(std::max(start, timer + woke), "window", 1, start, end, timer, news);
    line(end, "end", 3, start, end, 0, news);
    line(end + 12, "sleep", 1);
  };
  line(At(now, -6, 21, 4), "start", 0);
  line(At(now, -6, 23, 45), "sleep", 1);
  timerNight(-5, 3);
  line(At(now, -4, 8, 40), "resume", 0);
  line(At(now, -4, 18, 2), "exit", 0);
  // Started again the next evening: the night the program was closed is missed.
  const int64_t missedStart = At(now, -4, 22, 59);
  line(At(now, -3, 19, 20), "start", 0);
  line(At(now, -3, 19, 20), "missed", 2, missedStart, At(now, -4, 23, 30), 0, news);
  // The film, with the PC put to sleep by hand for a while, then the news
  // on the PC that stayed on.
  const int64_t filmStart = At(now, -3, 19, 59), filmEnd = At(now, -3, 21, 54);
  line(filmStart, "window", 0, filmStart, filmEnd, 0, film);
  line(At(now, -3, 20, 41) + 5, "sleep", 0);
  line(At(now, -3, 20, 53) + 40, "resume", 0);
  line(filmEnd, "end", 1, filmStart, filmEnd, 0, film);
  const int64_t newsStart = At(now, -3, 22, 59), newsEnd = At(now, -3, 23, 30);
  line(newsStart, "window", 0, newsStart, newsEnd, 0, news);
  line(newsEnd, "end", 3, newsStart, newsEnd, 0, news);
  line(newsEnd + 12, "sleep", 1);
  timerNight(-2, 168);  // a resume that took nearly three minutes
  timerNight(-1, 4);
  return file;
}

void Copy(const std::wstring& from, const std::wstring& to) {
  Require(CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE,
          "cannot copy " + WideToUtf8(from) + " to " + WideToUtf8(to));
}

void Write(const std::wstring& path, const std::string& bytes) {
  Require(gui::WriteFileBytes(path, bytes), "cannot write " + WideToUtf8(path));
}

void Post(HWND window, int command) { PostMessageW(window, WM_COMMAND, command, 0); }

void SetText(HWND dlg, int id, const wchar_t* text) {
  SendMessageW(GetDlgItem(dlg, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void Close(gui::Program& nimbra, HWND dlg, const char* what) {
  Post(dlg, IDCANCEL);
  Require(WaitUntil([&] { return !IsWindow(dlg); }), std::string("the ") + what + " stays open",
          &nimbra);
}

// Starts the program and checks that its caption is the normal title.
void StartProgram(gui::Program& nimbra, int rows) {
  Require(nimbra.Start(), "cannot start Nimbra.exe");
  Require(nimbra.WaitForFrame() != nullptr, "the main window does not open", &nimbra);
  const std::wstring caption = gui::WindowText(nimbra.Frame());
  Require(caption == L"Nimbra", "the main window's title is " + WideToUtf8(caption) +
                                    ", not the normal one");
  Require(nimbra.WaitForRows(rows), "the schedules do not show", &nimbra);
}

HWND StatusBar(HWND frame) { return FindWindowExW(frame, nullptr, STATUSCLASSNAMEW, nullptr); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: nimbra-guide-shots <program folder> <picture folder>\n");
    return 2;
  }
  const std::wstring programFolder = argv[1];
  gui::SetScreenshotFolder(argv[2]);
  // A dry run without the title's mark: the normal title, the power steps
  // only logged.
  SetEnvironmentVariableW(L"NIMBRA_DRYRUN_UNMARKED", L"1");

  const std::wstring folder = kFolder;
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW(kDownloads, nullptr);
  CreateDirectoryW(kRecorderFolder, nullptr);
  for (const wchar_t* f : {L"Nimbra.exe", L"Pelluxdlg.dll", L"Pellux.dll"})
    Copy(programFolder + L"\\" + f, folder + L"\\" + f);
  // The recording program: a stand-in that only notes how it was started.
  const std::wstring recorder = std::wstring(kRecorderFolder) + L"\\Recorder.exe";
  Copy(gui::ExeFolder() + L"\\recording_program.exe", recorder);

  const int64_t now = static_cast<int64_t>(time(nullptr));
  const int friday = DaysToWeekday(now, 1 << 5);
  const int sunday = DaysToWeekday(now, 1 << 0);
  std::vector<Schedule> table = {
      {L"夜のニュース", At(now, 1, 22, 59), At(now, 1, 23, 30), kMethodDaily, 127, 0},
      {L"ドラマ「海辺の町」", At(now, friday, 21, 59), At(now, friday, 22, 54), kMethodWeekly,
       1 << 5, At(now, friday + 84, 22, 54)},
      {L"日曜美術の時間", At(now, sunday, 8, 59), At(now, sunday, 9, 45), kMethodWeekly, 1 << 0, 0},
      {L"映画「星降る夜に」", At(now, 3, 20, 59), At(now, 3, 23, 10)},
  };
  const std::wstring ini = folder + L"\\Nimbra.ini";
  Write(ini, SettingsFile(table, recorder));
  Write(folder + L"\\Nimbra-journal.txt", JournalFile(now));

  {
    gui::Program nimbra(folder);
    StartProgram(nimbra, static_cast<int>(table.size()));
    HWND status = StatusBar(nimbra.Frame());
    // The status line names the next wake once the first tick has planned it.
    Require(WaitUntil([&] { return gui::RemoteStatusText(status, 0).rfind(L"次回起動", 0) == 0; }),
            "the status line names no next wake: " +
                WideToUtf8(gui::RemoteStatusText(status, 0)), &nimbra);
    std::printf("guide-shots: status line: %s\n", WideToUtf8(gui::RemoteStatusText(status, 0)).c_str());
    Shot("main-window", nimbra.Frame());

    // A new one-shot schedule, filled in but not yet added.
    Post(nimbra.Frame(), ID_SCHEDULE_ADD);
    HWND dlg = nimbra.WaitForCaption(L"スケジュール予約");
    Require(dlg != nullptr, "the reservation dialog does not open", &nimbra);
    SystemTime s{}, e{};
    SecondsToTime(At(now, 4, 18, 59), &s);
    SecondsToTime(At(now, 4, 19, 45), &e);
    SetText(dlg, IDC_TITLE, L"ドキュメンタリー「森の一年」");
    Require(gui::RemoteSetPicker(GetDlgItem(dlg, IDC_START_DATE), s) &&
                gui::RemoteSetPicker(GetDlgItem(dlg, IDC_START_TIME), s) &&
                gui::RemoteSetPicker(GetDlgItem(dlg, IDC_END_DATE), e) &&
                gui::RemoteSetPicker(GetDlgItem(dlg, IDC_END_TIME), e),
            "cannot set the reservation dialog's times", &nimbra);
    Shot("reservation-dialog", dlg);
    Close(nimbra, dlg, "reservation dialog");

    // The weekly drama with its broadcast period, opened for a change.
    // The list is in start order: the drama's row is looked up by its title.
    int drama = 0;
    while (drama < static_cast<int>(table.size()) &&
           gui::RemoteListText(nimbra.List(), drama, 1) != table[1].title) {
      ++drama;
    }
    Require(gui::RemoteSelectRow(nimbra.List(), drama), "cannot select the drama's row");
    Post(nimbra.Frame(), ID_REGULAR_SCHEDULE);
    dlg = nimbra.WaitForCaption(L"繰り返し予約");
    Require(dlg != nullptr, "the repeat dialog does not open", &nimbra);
    Shot("repeat-dialog", dlg);
    Close(nimbra, dlg, "repeat dialog");

    // The settings sheet's three pages as a new installation has them.
    Post(nimbra.Frame(), ID_SETTING_EPG);
    HWND sheet = nimbra.WaitForCaption(L"設定");
    Require(sheet != nullptr, "the settings sheet does not open", &nimbra);
    const char* pages[] = {"settings-epg-page", "settings-user-page", "settings-smail-page",
                           "settings-notify-page"};
    for (int page = 0; page < 4; ++page) {
      SendMessageW(sheet, PSM_SETCURSEL, page, 0);
      HWND tabs = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
      Require(WaitUntil([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == page; }),
              std::string("the sheet does not turn to ") + pages[page], &nimbra);
      if (page == 3) {
        // An ntfy topic typed in, as a user trying the page would (the sheet
        // is cancelled: nothing is kept).
        HWND notify = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        SetDlgItemTextW(notify, IDC_NOTIFY_URL, L"https://ntfy.sh/nimbra-living-pc-7f3k");
        SendDlgItemMessageW(notify, IDC_NOTIFY_KIND, CB_SETCURSEL, 2, 0);
      }
      Shot(pages[page], sheet);
    }
    // The templates' editor with the keys it offers.
    HWND notify = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    PostMessageW(GetDlgItem(notify, IDC_NOTIFY_TEMPLATE), BM_CLICK, 0, 0);
    HWND templates = nimbra.WaitForCaption(L"件名と本文");
    Require(templates != nullptr, "the templates' editor does not open", &nimbra);
    Shot("notify-template-dialog", templates);
    Close(nimbra, templates, "templates' editor");
    Close(nimbra, sheet, "settings sheet");

    // The about box, once the plug-in has given its version text.
    Post(nimbra.Frame(), ID_APP_ABOUT);
    dlg = nimbra.WaitForCaption(L"ﾊﾞｰｼﾞｮﾝ情報");
    Require(dlg != nullptr, "the about box does not open", &nimbra);
    Require(WaitUntil([&] { return !gui::WindowText(GetDlgItem(dlg, IDC_ABOUT_PLUGIN)).empty(); }),
            "the about box names no plug-in", &nimbra);
    for (int id : {IDC_ABOUT_VERSION, IDC_ABOUT_RIGHTS, IDC_ABOUT_PLUGIN})
      std::printf("guide-shots: about: %s\n", WideToUtf8(gui::WindowText(GetDlgItem(dlg, id))).c_str());
    Shot("about-box", dlg);
    Close(nimbra, dlg, "about box");

    // An iEPG file clicked in the browser while the program runs: the file
    // is handed over and the reservation dialog opens filled in.
    const std::wstring one = std::wstring(kDownloads) + L"\\program.tvpi";
    Write(one, IepgFile(At(now, 2, 19, 30), At(now, 2, 20, 45), L"テレビ東西",
                        L"世界の絶景１００選"));
    {
      gui::Program click(folder);
      Require(click.Start(one, kDownloads), "cannot hand over the iEPG file");
      click.WaitForExit();
    }
    dlg = nimbra.WaitForCaption(L"スケジュール予約");
    Require(dlg != nullptr, "the iEPG file opens no reservation dialog", &nimbra);
    Require(WaitUntil([&] { return !gui::WindowText(GetDlgItem(dlg, IDC_TITLE)).empty(); }),
            "the iEPG reservation has no title", &nimbra);
    Shot("iepg-reservation", dlg);
    Close(nimbra, dlg, "iEPG reservation dialog");

    // A file of several programmes opens their list.
    const std::wstring several = std::wstring(kDownloads) + L"\\programs.tvpid";
    Write(several,
          MultiFile({DigitalRecord(At(now, 5, 19, 0), At(now, 5, 19, 54), L"テレビ東西",
                                   L"動物たちの大地"),
                     DigitalRecord(At(now, 5, 21, 0), At(now, 5, 22, 48), L"テレビ東西",
                                   L"映画「月の港」"),
                     DigitalRecord(At(now, 6, 23, 15), At(now, 6, 23, 45), L"西日本放送",
                                   L"週末スポーツ")}));
    {
      gui::Program click(folder);
      Require(click.Start(several, kDownloads), "cannot hand over the iEPG file");
      click.WaitForExit();
    }
    dlg = nimbra.WaitForCaption(L"iEPGの番組");
    Require(dlg != nullptr, "the iEPG file of several programmes opens no list", &nimbra);
    HWND list = GetDlgItem(dlg, IDC_IEPG_LIST);
    Require(WaitUntil([&] { return gui::RemoteListCount(list) == 3; }),
            "the iEPG list does not show the three programmes", &nimbra);
    Shot("iepg-list", dlg);
    Close(nimbra, dlg, "iEPG list");

    // The journal of the last nights, newest first, the short ones in red.
    Post(nimbra.Frame(), ID_MENU_JOURNAL);
    dlg = nimbra.WaitForCaption(L"実行履歴");
    Require(dlg != nullptr, "the journal window does not open", &nimbra);
    Require(WaitUntil([&] { return gui::RemoteListCount(GetDlgItem(dlg, IDC_JOURNAL_LIST)) == 6; }),
            "the journal window does not list the six windows", &nimbra);
    Shot("journal-window", dlg);
    Close(nimbra, dlg, "journal window");
    Require(nimbra.Exit() == 0, "the program does not end cleanly", &nimbra);
  }

  // A schedule that ends in a moment: its countdown.
  const int64_t soon = static_cast<int64_t>(time(nullptr));
  table.insert(table.begin(), Schedule{L"朝の情報番組", soon - 600, soon + 3});
  Write(ini, SettingsFile(table, recorder));
  {
    gui::Program nimbra(folder);
    StartProgram(nimbra, static_cast<int>(table.size()));
    HWND countdown = nimbra.WaitForCaption(L"サスペンドの準備中");
    Require(countdown != nullptr, "no countdown at the schedule's end", &nimbra);
    Shot("countdown-window", countdown);
    // Stopped, it says so; the window closes once that is read.
    gui::Click(countdown, IDC_PROGRESS_STOP);
    HWND box = nimbra.WaitForMessage(L"サスペンドを中止しました");
    Require(box != nullptr, "the countdown does not stop", &nimbra);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    Require(WaitUntil([&] { return !IsWindow(countdown); }), "the countdown stays open", &nimbra);
    Require(nimbra.Exit() == 0, "the program does not end cleanly", &nimbra);
  }
  return 0;
}
