// The window base's routing of messages that carry an address.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "framework/window.h"
#include "support/wait.h"

namespace {

// Reads every notification's record, as the program's windows do.
class NotifiedWindow final : public CWindow {
 public:
  bool Open() {
    WNDCLASSEXW wc{};
    wc.lpszClassName = L"NimbraNotifiedWindowTest";
    return RegisterClass(wc) &&
           Create(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr);
  }
  ~NotifiedWindow() override { Destroy(); }
  int notifications = 0;  // handed to the handler, which reads them
  UINT lastCode = 0;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    // As a control does when another thread asks it for something: it
    // notifies its parent from within, with a record of its own.
    if (msg == WM_APP) {
      NMHDR record{GetHwnd(), 1, static_cast<UINT>(wp)};
      return SendMessageW(GetHwnd(), WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&record));
    }
    if (msg == WM_NOTIFY) {
      ++notifications;
      lastCode = reinterpret_cast<const NMHDR*>(lp)->code;
      return 1;
    }
    return CWindow::WindowProc(msg, wp, lp);
  }
};

// Another process can send any address with a notification; it arrives as a
// message sent from another thread, and must never be read (a crash, or
// worse, whatever lies at that address taken for a control's record).
TEST(WindowRouting, ANotificationFromAnotherThreadIsNeverRead) {
  NotifiedWindow window;
  ASSERT_TRUE(window.Open());
  const HWND hwnd = window.GetHwnd();

  NMHDR own{hwnd, 1, 42};  // a control's own, from this thread
  EXPECT_EQ(1, SendMessageW(hwnd, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&own)));
  EXPECT_EQ(42u, window.lastCode);

  std::atomic<bool> done{false};
  LRESULT result = -1, inner = -1;
  std::thread sender([&] {
    result = SendMessageW(hwnd, WM_NOTIFY, 1, 0x10);  // no record lives there
    inner = SendMessageW(hwnd, WM_APP, 43, 0);
    done = true;
  });
  const bool answered = WaitUntil([&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return done.load();
  });
  sender.join();
  EXPECT_TRUE(answered);
  EXPECT_EQ(0, result);
  // The notification made in this thread while answering the other one is read.
  EXPECT_EQ(1, inner);
  EXPECT_EQ(2, window.notifications);
  EXPECT_EQ(43u, window.lastCode);
}

}  // namespace
