// The Windows power service, as far as it is safe to run: timers and the
// keep-awake request. Nothing here suspends or shuts anything down.
#include "platform/win32/power_win.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "platform/debug_log.h"
#include "platform/win32/text_win.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace {

std::string UniqueName(const char* what) {
  return std::string("nimbra_test_") + what + "_" + std::to_string(GetCurrentProcessId());
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The newer power calls as a system answers that has them working, or that
// fails them as Wine does; they only count and remember.
struct FakeCalls {
  static inline int sets = 0;
  static inline int clears = 0;
  static inline std::vector<std::wstring> reasons;
  static HANDLE WINAPI Create(PREASON_CONTEXT c) {
    reasons.push_back(c->Reason.SimpleReasonString);
    return CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  static HANDLE WINAPI CreateFails(PREASON_CONTEXT) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return INVALID_HANDLE_VALUE;
  }
  static BOOL WINAPI Set(HANDLE, POWER_REQUEST_TYPE type) {
    sets += type == PowerRequestSystemRequired;
    return TRUE;
  }
  static BOOL WINAPI Clear(HANDLE, POWER_REQUEST_TYPE type) {
    clears += type == PowerRequestSystemRequired;
    return TRUE;
  }
  static BOOL WINAPI SetTimer(HANDLE h, const LARGE_INTEGER* due, LONG period, PTIMERAPCROUTINE f,
                              LPVOID arg, BOOL) {
    return SetWaitableTimer(h, due, period, f, arg, FALSE);
  }
  static BOOL WINAPI SetTimerEx(HANDLE h, const LARGE_INTEGER* due, LONG period, PTIMERAPCROUTINE f,
                                LPVOID arg, PREASON_CONTEXT c, ULONG) {
    reasons.push_back(c->Reason.SimpleReasonString);
    return SetWaitableTimer(h, due, period, f, arg, FALSE);
  }
  static BOOL WINAPI SetTimerExFails(HANDLE, const LARGE_INTEGER*, LONG, PTIMERAPCROUTINE, LPVOID,
                                     PREASON_CONTEXT, ULONG) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
  }
};

// The request carries the reason the system's list shows; asking again takes
// a fresh one before the old is cleared, and off clears the last.
TEST(Win32Power, KeepAwakeSetsAPowerRequestWithTheReasonAndClearsItWhenOff) {
  CDebugLog log;
  PowerRequestCalls calls;
  calls.create = &FakeCalls::Create;
  calls.set = &FakeCalls::Set;
  calls.clear = &FakeCalls::Clear;
  FakeCalls::sets = FakeCalls::clears = 0;
  FakeCalls::reasons.clear();
  {
    Win32Power p(log, calls);
    p.KeepAwake(true, "Nimbra: 「ニュース」を実行中");
    p.KeepAwake(true, "Nimbra: 「ニュース」を実行中");  // after a resume
    EXPECT_EQ(FakeCalls::sets, 2);
    EXPECT_EQ(FakeCalls::clears, 1);
    p.KeepAwake(false, "");
    EXPECT_EQ(FakeCalls::clears, 2);
    p.KeepAwake(true, "b");
  }
  EXPECT_EQ(FakeCalls::clears, 3) << "the program's end drops the request";
  ASSERT_EQ(FakeCalls::reasons.size(), 3u);
  EXPECT_EQ(FakeCalls::reasons[0], L"Nimbra: 「ニュース」を実行中");
}

// Where the request cannot be had (missing, or failing as under Wine), the
// execution state alone keeps the PC awake, and the debug log says so once.
TEST(Win32Power, AMissingOrFailingPowerRequestFallsBackAndIsLoggedOnce) {
  struct Case {
    const char* what;
    PowerRequestCalls calls;
  };
  PowerRequestCalls failing;
  failing.create = &FakeCalls::CreateFails;
  failing.set = &FakeCalls::Set;
  failing.clear = &FakeCalls::Clear;
  std::vector<Case> cases = {{"missing", PowerRequestCalls{}}, {"failing", failing}};
  if (RunningUnderWine()) cases.push_back({"this system's", PowerRequestCalls::FromKernel32()});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    CDebugLog log(dir.File("dbg_print.log"));
    log.SetLevel(1);
    Win32Power p(log, c.calls);
    for (int k = 0; k < 3; ++k) {
      p.KeepAwake(true, "Nimbra");
      p.KeepAwake(false, "");
    }
    EXPECT_EQ(Count(ReadAll(dir.File("dbg_print.log")), "kept awake by the execution state only"),
              1u);
  }
}

// A timer that will resume the PC is armed again with its reason, so that
// the system's list of wake timers names it. Without SetWaitableTimerEx (or
// where it fails) the plain arming stands, and the debug log says so once.
TEST(Win32Power, TheWakeTimerGetsItsReasonOrStandsWithoutOneLoggedOnce) {
  PowerRequestCalls resuming;  // a system that can resume (Wine cannot)
  resuming.setTimer = &FakeCalls::SetTimer;
  PowerRequestCalls named = resuming, failing = resuming;
  named.setTimerEx = &FakeCalls::SetTimerEx;
  failing.setTimerEx = &FakeCalls::SetTimerExFails;
  struct Case {
    const char* what;
    PowerRequestCalls calls;
    size_t toldOnce;
  };
  for (const Case& c : {Case{"named", named, 0}, Case{"missing", resuming, 1},
                        Case{"failing", failing, 1}}) {
    SCOPED_TRACE(c.what);
    FakeCalls::reasons.clear();
    const std::string name = UniqueName("reason");
    ScratchDir dir;
    CDebugLog log(dir.File("dbg_print.log"));
    log.SetLevel(1);
    Win32Power p(log, c.calls);
    SystemError error;
    ASSERT_TRUE(p.OpenWakeTimer(name, &error));
    UniqueHandle watch(OpenWaitableTimerW(SYNCHRONIZE, FALSE, SjisToWide(name).c_str()));
    ASSERT_TRUE(watch);
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    ASSERT_TRUE(p.ArmWakeTimer(now + 3600, "Nimbra: 「ニュース」の開始に合わせて復帰", &error));
    ASSERT_TRUE(p.ArmWakeTimer(now - 60, "Nimbra: 「ニュース」の開始に合わせて復帰", &error));
    EXPECT_EQ(error.cause, SystemCause::kNone);
    EXPECT_EQ(WaitForSingleObject(watch.get(), 30000), WAIT_OBJECT_0);  // armed either way
    EXPECT_EQ(Count(ReadAll(dir.File("dbg_print.log")), "armed without a reason"), c.toldOnce);
    if (c.calls.setTimerEx == named.setTimerEx) {
      ASSERT_EQ(FakeCalls::reasons.size(), 2u);
      EXPECT_EQ(FakeCalls::reasons[1], L"Nimbra: 「ニュース」の開始に合わせて復帰");
    }
    EXPECT_TRUE(p.CancelWakeTimer());
  }
}

// The second opener is "another program": it reports the name taken, holds
// nothing and leaves the first one's arming alone.
TEST(Win32Power, SecondOpenOfANamedTimerReportsThatItExistsAndLeavesItArmed) {
  const std::string name = UniqueName("collide");
  CDebugLog log;
  Win32Power a(log), b(log);
  SystemError error;
  ASSERT_TRUE(a.OpenWakeTimer(name, &error));
  EXPECT_EQ(error.cause, SystemCause::kNone);
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  ASSERT_TRUE(a.ArmWakeTimer(now - 60, "", &error));  // due at once
  EXPECT_FALSE(b.OpenWakeTimer(name, &error));
  EXPECT_EQ(error.cause, SystemCause::kAlreadyExists);
  EXPECT_FALSE(b.HasWakeTimer());
  EXPECT_FALSE(b.CancelWakeTimer());
  UniqueHandle watch(OpenWaitableTimerW(SYNCHRONIZE, FALSE, SjisToWide(name).c_str()));
  ASSERT_TRUE(watch);
  EXPECT_EQ(WaitForSingleObject(watch.get(), 30000), WAIT_OBJECT_0);  // still armed
  EXPECT_TRUE(a.CancelWakeTimer());
  EXPECT_FALSE(a.CancelWakeTimer());  // twice: nothing held any more
  EXPECT_FALSE(a.HasWakeTimer());
}

TEST(Win32Power, DueTimeIsAbsolute) {
  const std::string name = UniqueName("due");
  CDebugLog log;
  Win32Power p(log);
  SystemError error;
  ASSERT_TRUE(p.OpenWakeTimer(name, &error));
  UniqueHandle watch(OpenWaitableTimerW(SYNCHRONIZE, FALSE, SjisToWide(name).c_str()));
  ASSERT_TRUE(watch);
  const int64_t now = static_cast<int64_t>(std::time(nullptr));

  // An hour from now is not due yet (as a relative time it would be long past).
  ASSERT_TRUE(p.ArmWakeTimer(now + 3600, "Nimbra: 「ニュース」の開始に合わせて復帰", &error));
  EXPECT_EQ(WaitForSingleObject(watch.get(), 0), WAIT_TIMEOUT);

  // A time already past is due at once.
  ASSERT_TRUE(p.ArmWakeTimer(now - 60, "", &error));
  EXPECT_EQ(WaitForSingleObject(watch.get(), 30000), WAIT_OBJECT_0);
  EXPECT_TRUE(p.CancelWakeTimer());
}

}  // namespace
