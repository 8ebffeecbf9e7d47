// The Windows power service, as far as it is safe to run: timers only.
// Nothing here suspends or shuts anything down.
#include "platform/win32/power_win.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "platform/debug_log.h"
#include "platform/win32/text_win.h"
#include "support/fakes.h"

namespace {

std::string UniqueName(const char* what) {
  return std::string("nimbra_test_") + what + "_" + std::to_string(GetCurrentProcessId());
}

// The second opener is "another program": it reports the name taken, holds
// nothing and leaves the first one's arming alone.
TEST(Win32Power, SecondOpenOfANamedTimerReportsThatItExistsAndLeavesItArmed) {
  const std::string name = UniqueName("collide");
  CDebugLog log;
  Win32Power a(log), b(log);
  uint32_t error = 99;
  ASSERT_TRUE(a.OpenWakeTimer(name, &error));
  EXPECT_EQ(error, 0u);
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  ASSERT_TRUE(a.ArmWakeTimer(now - 60, &error));  // due at once
  EXPECT_FALSE(b.OpenWakeTimer(name, &error));
  EXPECT_EQ(error, kErrorAlreadyExists);
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
  uint32_t error = 0;
  ASSERT_TRUE(p.OpenWakeTimer(name, &error));
  UniqueHandle watch(OpenWaitableTimerW(SYNCHRONIZE, FALSE, SjisToWide(name).c_str()));
  ASSERT_TRUE(watch);
  const int64_t now = static_cast<int64_t>(std::time(nullptr));

  // An hour from now is not due yet (as a relative time it would be long past).
  ASSERT_TRUE(p.ArmWakeTimer(now + 3600, &error));
  EXPECT_EQ(WaitForSingleObject(watch.get(), 0), WAIT_TIMEOUT);

  // A time already past is due at once.
  ASSERT_TRUE(p.ArmWakeTimer(now - 60, &error));
  EXPECT_EQ(WaitForSingleObject(watch.get(), 30000), WAIT_OBJECT_0);
  EXPECT_TRUE(p.CancelWakeTimer());
}

}  // namespace
