// The countdown's real window with a real worker thread, in this process:
// it counts, it stops on "中止", and it closes itself. The power service only
// records; nothing touches the machine.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <set>
#include <string>

#include "engine/countdown.h"
#include "engine/power_control.h"
#include "engine/win/progress_resource.h"
#include "engine/win/progress_sub_dlg.h"
#include "framework/controls.h"
#include "framework/window.h"
#include "gui_driver.h"
#include "platform/debug_log.h"
#include "platform/recording_power.h"
#include "support/fakes.h"
#include "support/wait.h"

namespace {

constexpr int kSteps = 20;  // 10 seconds in 500 ms steps

struct Observed {
  std::wstring caption;
  std::set<std::wstring> texts;
  int lastPos = -1;
  int rangeHigh = -1;
};

class CountdownWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { InitCommonControlsOnce(); }

  // The worker takes each step only after this thread has seen the one
  // before, so that every step's state is observed however slowly this
  // thread runs (only a test stalled for minutes lets it go on).
  void GateSteps(CCountdown& countdown) {
    countdown.SetStepWait([this](int) { WaitForSingleObject(stepGate_, 150000); });
  }

  // Runs the countdown until its window has closed itself; onFirstText runs
  // once, when the first status text is shown.
  Observed RunToClose(CCountdown& countdown, const std::function<void(HWND)>& onFirstText) {
    Observed seen;
    int releasedPos = -1;
    auto* dlg = dynamic_cast<CProgressSubDlg*>(countdown.Window());
    if (!dlg) return seen;
    bool fired = false;
    // Bounded so that a broken countdown fails instead of hanging.
    WaitUntil([&] {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      HWND h = dlg->GetHwnd();
      if (!h) return true;
      seen.caption = gui::WindowText(h);
      const std::wstring text = gui::WindowText(GetDlgItem(h, IDC_PROGRESS_TEXT));
      seen.texts.insert(text);
      HWND bar = GetDlgItem(h, IDC_PROGRESS);
      seen.lastPos = static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
      seen.rangeHigh = static_cast<int>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
      if (!fired && text != L"Static" && !text.empty()) {
        fired = true;
        if (onFirstText) onFirstText(h);
      }
      if (seen.rangeHigh == kSteps && seen.lastPos != releasedPos) {
        releasedPos = seen.lastPos;
        SetEvent(stepGate_);
      }
      return false;
    });
    return seen;
  }

  void TearDown() override { CloseHandle(stepGate_); }

  HANDLE stepGate_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  RecordingPower power_;
  ScriptedPrompt prompt_;
  FakeClock clock_;
  CDebugLog log_;
  CPowerControl control_{power_, prompt_, clock_, log_, "tz_wakeup_timer"};
  CoreServices services_{clock_, prompt_, log_};
  CProgressSubDlgFactory factory_;
};

TEST_F(CountdownWindowTest, CountsToTheEndRunsTheSuspendAndClosesItself) {
  CCountdown countdown(control_, services_);
  GateSteps(countdown);
  ASSERT_TRUE(countdown.Initialize("サスペンドの準備中", 10, 500, SleepMode::kHibernate, 0, nullptr,
                                   SuspendAction, nullptr, 0, SuspendCancelAction, nullptr, 0));
  ASSERT_TRUE(countdown.Create(factory_));
  auto* window = dynamic_cast<CProgressSubDlg*>(countdown.Window());
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(L"", gui::WindowText(GetDlgItem(window->GetHwnd(), IDC_PROGRESS_TEXT)))
      << "no status before the first count";
  const Observed seen = RunToClose(countdown, [](HWND w) { gui::SaveScreenshot("countdown", w); });

  auto* dlg = dynamic_cast<CProgressSubDlg*>(countdown.Window());
  ASSERT_NE(nullptr, dlg);
  EXPECT_EQ(nullptr, dlg->GetHwnd()) << "the window closes itself";
  EXPECT_EQ(L"サスペンドの準備中", seen.caption);
  EXPECT_TRUE(seen.texts.count(L"10秒後に終了します"));
  EXPECT_TRUE(seen.texts.count(L"0秒後に終了します"));
  EXPECT_FALSE(seen.texts.count(L"中止しています"));
  EXPECT_EQ(20, seen.rangeHigh);
  EXPECT_EQ(19, seen.lastPos);
  ASSERT_EQ(1u, power_.Calls("suspend").size());
  EXPECT_EQ(1, power_.Calls("suspend")[0].value);
  EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(CountdownWindowTest, StopButtonRunsTheCancelActionInsteadAndClosesItself) {
  CCountdown countdown(control_, services_);
  GateSteps(countdown);
  ASSERT_TRUE(countdown.Initialize("サスペンドの準備中", 10, 500, SleepMode::kStandby, 0, nullptr,
                                   SuspendAction, nullptr, 0, SuspendCancelAction, nullptr, 0));
  ASSERT_TRUE(countdown.Create(factory_));
  const Observed seen = RunToClose(countdown, [](HWND h) {
    // Enter and Escape do nothing; the button stops the count.
    SendMessageW(h, WM_COMMAND, IDOK, 0);
    SendMessageW(h, WM_COMMAND, IDCANCEL, 0);
    SendMessageW(h, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(h));
    SendMessageW(h, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_STOP, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(h, IDC_PROGRESS_STOP)));
  });

  auto* dlg = dynamic_cast<CProgressSubDlg*>(countdown.Window());
  ASSERT_NE(nullptr, dlg);
  EXPECT_EQ(nullptr, dlg->GetHwnd());
  EXPECT_TRUE(seen.texts.count(L"10秒後に終了します"));
  EXPECT_FALSE(seen.texts.count(L"0秒後に終了します"));
  EXPECT_TRUE(power_.Calls("suspend").empty());
  ASSERT_EQ(1u, prompt_.shown.size());
  EXPECT_EQ("サスペンドを中止しました", prompt_.shown[0].text);
}

// The window opens where the user looks: centred on the work area of the
// main window's monitor, also while the main window is hidden in the tray,
// and above other windows.
TEST_F(CountdownWindowTest, OpensTopmostCentredOnTheMainWindowsWorkArea) {
  WNDCLASSEXW wc{};
  wc.lpszClassName = L"NimbraCountdownAnchor";
  ASSERT_TRUE(CWindow::RegisterClass(wc));
  CWindow main;
  ASSERT_TRUE(main.Create(0, wc.lpszClassName, L"Nimbra", WS_OVERLAPPEDWINDOW, 500, 400, 300, 200,
                          nullptr, nullptr));  // never shown: the tray case
  CProgressSubDlgFactory anchored(&main, &log_);
  CCountdown countdown(control_, services_);
  countdown.SetStepWait([](int) {});
  ASSERT_TRUE(countdown.Initialize("サスペンドの準備中", 10, 500, SleepMode::kStandby, 0, nullptr,
                                   SuspendAction, nullptr, 0, SuspendCancelAction, nullptr, 0));
  ASSERT_TRUE(countdown.Create(anchored));
  auto* dlg = dynamic_cast<CProgressSubDlg*>(countdown.Window());
  ASSERT_NE(nullptr, dlg);

  MONITORINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(main.GetHwnd(), MONITOR_DEFAULTTOPRIMARY), &info));
  const RECT& work = info.rcWork;
  RECT own{};
  ASSERT_TRUE(GetWindowRect(dlg->GetHwnd(), &own));
  EXPECT_GE(own.left, work.left);
  EXPECT_GE(own.top, work.top);
  EXPECT_LE(own.right, work.right);
  EXPECT_LE(own.bottom, work.bottom);
  EXPECT_LE(std::abs((own.left - work.left) - (work.right - own.right)), 1);
  EXPECT_LE(std::abs((own.top - work.top) - (work.bottom - own.bottom)), 1);
  EXPECT_TRUE(GetWindowLongPtrW(dlg->GetHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  main.Destroy();
}

}  // namespace
