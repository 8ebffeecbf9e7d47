// End to end: the real Nimbra.exe, copied into a scratch folder with a
// prepared settings file, started and driven from this process the way a
// user would, through its windows. Its power service is the log named by
// NIMBRA_POWER_LOG, so a schedule's end never puts the machine to sleep.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/win/resource.h"
#include "gui_driver.h"
#include "platform/win32/text_win.h"
#include "schedule/time_rules.h"

namespace {

constexpr int kMaxPolls = 3000;  // 50 ms each: a hung program fails the test instead of hanging it

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L'\\'));
}

std::string ReadAll(const std::wstring& path) {
  std::string out;
  if (FILE* f = _wfopen(path.c_str(), L"rb")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    fclose(f);
  }
  return out;
}

void WriteAll(const std::wstring& path, const std::string& bytes) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  ASSERT_NE(nullptr, f);
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
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

class Program {
 public:
  explicit Program(const std::wstring& folder) : folder_(folder) {}
  ~Program() {
    if (process_) {
      if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 9);
      CloseHandle(process_);
    }
  }

  bool Start() {
    std::wstring cmd = L"\"" + folder_ + L"\\Nimbra.exe\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                        &si, &pi)) {
      return false;
    }
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    return true;
  }

  // Dismisses the plug-in host's messages (no plug-in in the scratch folder).
  void DismissPluginMessages() {
    HWND box = gui::FindMessageBox(gui::ProcessDialogs(pid_));
    if (!box) return;
    const std::wstring text = gui::MessageBoxText(box);
    if (text.find(L"LoadLibrary") != std::wstring::npos ||
        text.find(L"ハンドルの取得に失敗しました") != std::wstring::npos) {
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
  }

  HWND WaitForFrame() {
    for (int i = 0; i < kMaxPolls; ++i) {
      DismissPluginMessages();
      HWND frame = nullptr;
      while ((frame = FindWindowExW(nullptr, frame, L"NimbraMainFrame", nullptr))) {
        DWORD pid = 0;
        GetWindowThreadProcessId(frame, &pid);
        if (pid == pid_ && IsWindowVisible(frame)) {
          frame_ = frame;
          HWND view = FindWindowExW(frame, nullptr, L"NimbraView", nullptr);
          list_ = FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr);
          return frame;
        }
      }
      Sleep(50);
    }
    return nullptr;
  }

  // A dialog (or message box) of the program whose caption or text matches.
  HWND WaitForDialog(const std::function<bool(HWND)>& match) {
    for (int i = 0; i < kMaxPolls; ++i) {
      for (HWND h : gui::ProcessDialogs(pid_)) {
        if (match(h)) return h;
      }
      DismissPluginMessages();
      Sleep(50);
    }
    return nullptr;
  }
  HWND WaitForCaption(const std::wstring& caption) {
    return WaitForDialog([&](HWND h) { return gui::WindowText(h) == caption; });
  }
  HWND WaitForMessage(const std::wstring& text) {
    return WaitForDialog([&](HWND h) { return GetDlgItem(h, 0xFFFF) && gui::MessageBoxText(h) == text; });
  }

  bool WaitForRows(int n) {
    for (int i = 0; i < kMaxPolls; ++i) {
      if (gui::RemoteListCount(list_) == n) return true;
      Sleep(50);
    }
    return false;
  }

  // Ends the program the way its menu does; its exit code, or -1.
  int Exit() {
    PostMessageW(frame_, WM_COMMAND, ID_APP_EXIT, 0);
    return WaitForExit();
  }
  int WaitForExit() {
    for (int i = 0; i < kMaxPolls; ++i) {
      DismissPluginMessages();
      if (WaitForSingleObject(process_, 50) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        return static_cast<int>(code);
      }
    }
    return -1;
  }

  HWND Frame() const { return frame_; }
  HWND List() const { return list_; }
  DWORD Pid() const { return pid_; }

 private:
  std::wstring folder_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND frame_ = nullptr;
  HWND list_ = nullptr;
};

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"nimbra-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(GetTickCount());
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((ExeFolder() + L"\\Nimbra.exe").c_str(), (folder_ + L"\\Nimbra.exe").c_str(), FALSE));
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
  ASSERT_NE(nullptr, nimbra.WaitForFrame());
  ASSERT_TRUE(nimbra.WaitForRows(2));
  EXPECT_EQ(L"001", gui::RemoteListText(nimbra.List(), 0, 0));
  EXPECT_EQ(L"ニュース", gui::RemoteListText(nimbra.List(), 0, 1));
  EXPECT_EQ(L"待ち", gui::RemoteListText(nimbra.List(), 0, 4));
  EXPECT_EQ(L"なし", gui::RemoteListText(nimbra.List(), 0, 5));
  EXPECT_EQ(L"指定なし", gui::RemoteListText(nimbra.List(), 0, 6));
  EXPECT_EQ(L"ドラマ", gui::RemoteListText(nimbra.List(), 1, 1));
  gui::SaveScreenshot("main-window");

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
  gui::SaveScreenshot("main-window-reservation");
  gui::Click(dlg, IDOK);
  ASSERT_TRUE(nimbra.WaitForRows(2));
  EXPECT_EQ(L"映画", gui::RemoteListText(nimbra.List(), 1, 1));

  EXPECT_EQ(0, nimbra.Exit());
  const std::string ini = ReadAll(Ini());
  EXPECT_NE(std::string::npos, ini.find("sch_num=2"));
  EXPECT_NE(std::string::npos, ini.find("sch_title[0]=" + WideToSjis(L"ドラマ")));
  EXPECT_NE(std::string::npos, ini.find("sch_title[1]=" + WideToSjis(L"映画")));
  EXPECT_NE(std::string::npos, ini.find("sch_start[1]=" + std::to_string(TimeToSeconds(s))));
}

TEST_F(EndToEndTest, AScheduleThatEndsRunsTheCountdownToTheSuspend) {
  // Running now, ending in a few seconds; nothing follows.
  WriteAll(Ini(), SettingsFile({{L"録画", now_ - 600, now_ + 4}},
                              "user_enable=1\r\nfinish_act=0\r\nsleep_flag=1\r\n"));
  Program nimbra(folder_);
  ASSERT_TRUE(nimbra.Start());
  ASSERT_NE(nullptr, nimbra.WaitForFrame());
  ASSERT_TRUE(nimbra.WaitForRows(1));

  HWND countdown = nimbra.WaitForCaption(L"サスペンドの準備中");
  ASSERT_NE(nullptr, countdown);
  EXPECT_NE(nullptr, GetDlgItem(countdown, IDC_PROGRESS_STOP));
  gui::SaveScreenshot("countdown-window");
  // It completes by itself and closes.
  for (int i = 0; i < kMaxPolls && IsWindow(countdown); ++i) Sleep(50);
  EXPECT_FALSE(IsWindow(countdown));
  EXPECT_EQ(L"終了", gui::RemoteListText(nimbra.List(), 0, 4));

  EXPECT_EQ(0, nimbra.Exit());
  const std::string log = ReadAll(powerLog_);
  EXPECT_NE(std::string::npos, log.find("suspend 1")) << log;
  EXPECT_EQ(std::string::npos, log.find("shutdown")) << log;
}

}  // namespace
