// End to end: iEPG files reaching a program that runs already. A second
// start with a file hands it over (the browser's click while the program
// sits in the tray), a file of several programmes opens its list, and files
// dropped on the window are imported one after another. The real Nimbra.exe
// runs as a dry run in a scratch folder, as in e2e_test.cpp.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/win/resource.h"
#include "gui_driver.h"
#include "platform/win32/text_win.h"
#include "program_driver.h"
#include "schedule/time_rules.h"
#include "support/scratch_dir.h"

namespace {

constexpr wchar_t kReservation[] = L"スケジュール予約";
constexpr wchar_t kList[] = L"iEPGの番組";

using gui::Program;

void WriteAll(const std::wstring& path, const std::string& bytes) {
  ASSERT_TRUE(gui::WriteFileBytes(path, bytes));
}

// One programme's record: version 2 with a station code and name.
std::string Record(const SystemTime& day, const char* start, const char* end,
                   const std::wstring& title) {
  std::ostringstream r;
  r << "Content-type: application/x-tv-program-digital-info; charset=shift_jis\r\n"
    << "version: 2\r\nstation: DFS00400\r\nstation-name: " << WideToSjis(L"テレビ局") << "\r\n"
    << "year: " << day.wYear << "\r\nmonth: " << day.wMonth << "\r\ndate: " << day.wDay << "\r\n"
    << "start: " << start << "\r\nend: " << end << "\r\n"
    << "program-title: " << WideToSjis(title) << "\r\nprogram-id: 1234\r\n";
  return r.str();
}

std::string MultiFile(const std::vector<std::string>& records) {
  std::string f = "Content-type: application/x-multi-tv-program-digital-info; charset=shift_jis\r\n"
                  "version: 2\r\nmulti-program-title: " + WideToSjis(L"今週の予約") +
                  "\r\nboundary: --NIMBRA--\r\n\r\n";
  for (const std::string& r : records) f += "--NIMBRA--\r\n" + r + "\r\n" + "free text\r\n";
  return f + "--NIMBRA----\r\n";
}

class IepgEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.CopyFromTestFolder({"Nimbra.exe", "Pelluxdlg.dll", "Pellux.dll",
                                         "recording_program.exe"}));
    folder_ = Utf8ToWide(dir_.path());
    downloads_ = folder_ + L"\\ダウンロード";
    ASSERT_TRUE(CreateDirectoryW(downloads_.c_str(), nullptr));
    // Tomorrow, so that nothing is in the past.
    SecondsToTime(static_cast<int64_t>(time(nullptr)) + 86400, &day_);
    WriteSettings("");
  }

  // The recording stand-in beside the program, and table (a section of its own).
  void WriteSettings(const std::string& table) {
    WriteAll(folder_ + L"\\Nimbra.ini",
             "[APP_MNG_INFO]\r\nuser_enable=0\r\ntv_app_path=" +
                 WideToSjis(folder_ + L"\\recording_program.exe") + "\r\n" + table);
  }

  // The stored table: one schedule tomorrow 21:30-23:00.
  std::string StoredTable() const {
    SystemTime s = day_, e = day_;
    s.wHour = 21, s.wMinute = 30, s.wSecond = 0;
    e.wHour = 23, e.wMinute = 0, e.wSecond = 0;
    return "[TV_REC_SCHEDULE]\r\nsch_num=1\r\nsch_title[0]=" + WideToSjis(L"映画") +
           "\r\nsch_start[0]=" + std::to_string(TimeToSeconds(s)) +
           "\r\nsch_end[0]=" + std::to_string(TimeToSeconds(e)) + "\r\n";
  }

  // A second start with file, from the downloads folder: it ends by itself
  // without a box once the running program took the file.
  void SecondStartWith(const std::wstring& file) {
    Program second(folder_);
    ASSERT_TRUE(second.Start(file, downloads_));
    EXPECT_EQ(0, second.WaitForExit()) << WideToUtf8(second.Unexpected());
  }

  void ConfirmReservation(Program& nimbra, const std::wstring& title) {
    HWND dlg = nimbra.WaitForCaption(kReservation);
    ASSERT_NE(nullptr, dlg) << WideToUtf8(nimbra.Unexpected());
    EXPECT_EQ(title, gui::WindowText(GetDlgItem(dlg, IDC_TITLE)));
    gui::Click(dlg, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }));
  }

  ScratchDir dir_;
  std::wstring folder_;
  std::wstring downloads_;
  SystemTime day_{};
};

TEST_F(IepgEndToEndTest, ASecondStartWithATvpidFileReachesTheProgramInTheTray) {
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start(L"/tray"));
  HWND hidden = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    hidden = FindWindowW(L"NimbraMainFrame", nullptr);
    return hidden && FindWindowExW(hidden, nullptr, L"NimbraView", nullptr);
  }));
  EXPECT_FALSE(IsWindowVisible(hidden));

  const std::wstring file = downloads_ + L"\\番組.tvpid";
  WriteAll(file, Record(day_, "20:00", "20:54", L"旅の番組"));
  SecondStartWith(L"番組.tvpid");  // relative to the downloads folder

  // The window comes out of the tray with the reservation dialog pre-filled.
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  ConfirmReservation(nimbra, L"旅の番組");
  ASSERT_TRUE(nimbra.WaitForRows(1));
  EXPECT_EQ(L"旅の番組", gui::RemoteListText(nimbra.List(), 0, 1));
  EXPECT_FALSE(gui::WaitForFile(folder_ + L"\\recording_program.exe.log").empty());
  EXPECT_EQ(0, nimbra.Exit());
}

TEST_F(IepgEndToEndTest, AMultiProgrammeFileAddsTheTickedOnesAndReportsTheRefused) {
  WriteSettings(StoredTable());
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  ASSERT_TRUE(nimbra.WaitForRows(1));

  const std::wstring file = downloads_ + L"\\week.tvpi";
  WriteAll(file, MultiFile({Record(day_, "19:00", "20:00", L"一"), Record(day_, "21:00", "22:00", L"重なり"),
                            Record(day_, "23:30", "00:30", L"深夜"), Record(day_, "06:00", "07:00", L"外す")}));
  SecondStartWith(file);

  HWND list = nimbra.WaitForCaption(kList);
  ASSERT_NE(nullptr, list) << WideToUtf8(nimbra.Unexpected());
  HWND rows = GetDlgItem(list, IDC_IEPG_LIST);
  ASSERT_EQ(4, gui::RemoteListCount(rows));
  EXPECT_EQ(L"深夜", gui::RemoteListText(rows, 2, 0));
  EXPECT_EQ(L"テレビ局", gui::RemoteListText(rows, 2, 1));
  EXPECT_EQ(L"23:30-00:30", gui::RemoteListText(rows, 2, 3));
  const std::wstring date = gui::RemoteListText(rows, 1, 2);
  ASSERT_TRUE(gui::RemoteSetCheck(rows, 3, false));
  gui::SaveScreenshot("iepg-list", list);
  gui::Click(list, IDOK);

  HWND report = nimbra.WaitForMessage(
      L"2件の番組を予約しました。\n\n予約できなかった番組（1件）:\n・重なり（" + date +
      L" 21:00-22:00） … 既存のスケジュールと重なっています");
  ASSERT_NE(nullptr, report) << WideToUtf8(nimbra.Unexpected());
  PostMessageW(report, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(nimbra.WaitForRows(3));
  EXPECT_EQ(L"一", gui::RemoteListText(nimbra.List(), 0, 1));
  EXPECT_EQ(L"映画", gui::RemoteListText(nimbra.List(), 1, 1));
  EXPECT_EQ(L"深夜", gui::RemoteListText(nimbra.List(), 2, 1));
  EXPECT_EQ(0, nimbra.Exit());
}

TEST_F(IepgEndToEndTest, TwoFilesDroppedOnTheWindowAreImportedOneAfterTheOther) {
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  const std::wstring first = downloads_ + L"\\a.tvpi", second = downloads_ + L"\\b.tvpid";
  WriteAll(first, Record(day_, "19:00", "20:00", L"最初"));
  WriteAll(second, Record(day_, "21:00", "22:00", L"二番目"));
  ASSERT_TRUE(gui::RemoteDropFiles(nimbra.Frame(), {first, second}));

  // The second waits until the first's dialog is closed.
  ConfirmReservation(nimbra, L"最初");
  ConfirmReservation(nimbra, L"二番目");
  ASSERT_TRUE(nimbra.WaitForRows(2));
  EXPECT_EQ(L"二番目", gui::RemoteListText(nimbra.List(), 1, 1));
  EXPECT_EQ(0, nimbra.Exit());
}

TEST_F(IepgEndToEndTest, TheRunningProgramTakesOnlyKeyedHandOversOfIepgFiles) {
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame()) << WideToUtf8(nimbra.Unexpected());
  const std::wstring file = downloads_ + L"\\a.tvpi";
  WriteAll(file, Record(day_, "19:00", "20:00", L"偽物"));

  // A hand-over's shape with a key made up: refused, nothing opens.
  std::string message(20, '\x5A');  // the key, then the path's length
  const uint32_t chars = static_cast<uint32_t>(file.size());
  message.replace(16, 4, reinterpret_cast<const char*>(&chars), 4);
  message.append(reinterpret_cast<const char*>(file.data()), file.size() * sizeof(wchar_t));
  COPYDATASTRUCT data{0x4E494D42, static_cast<DWORD>(message.size()), message.data()};
  DWORD_PTR answer = 1;
  ASSERT_TRUE(SendMessageTimeoutW(nimbra.Frame(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                  SMTO_BLOCK, 5000, &answer));
  EXPECT_EQ(0u, answer);

  // A second start with a file that is no iEPG file: the running program
  // does not take it, and the second start says so.
  const std::wstring other = downloads_ + L"\\notes.txt";
  WriteAll(other, "hello");
  Program second(folder_);
  ASSERT_TRUE(second.Start(other));
  HWND box = second.WaitForMessage(L"起動中のNimbraはこのファイルを受け取りませんでした。\n" + other);
  ASSERT_NE(nullptr, box) << WideToUtf8(second.Unexpected());
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_NE(0, second.WaitForExit());
  EXPECT_TRUE(gui::ProcessDialogs(nimbra.Pid()).empty());
  EXPECT_EQ(0, nimbra.WaitForRows(0) ? nimbra.Exit() : -1);
}

}  // namespace
