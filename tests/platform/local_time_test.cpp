// The C runtime's zone, changed while the program runs.
#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

// The conversions keep the zone they first read until the refresh: a zone
// changed while the program runs moves every local time after it.
TEST(LocalTime, AZoneChangedWhileRunningIsTakenAfterTheRefresh) {
  static char japan[] = "TZ=JST-9";
  static char utc[] = "TZ=UTC0";
  std::tm tm{};
  putenv(japan);
  RefreshTimeZone();
  ASSERT_TRUE(LocalTimeOf(0, &tm));
  EXPECT_EQ(tm.tm_hour, 9);

  putenv(utc);
  RefreshTimeZone();
  ASSERT_TRUE(LocalTimeOf(0, &tm));
  EXPECT_EQ(tm.tm_hour, 0);
  std::tm midnight{};
  midnight.tm_year = 70;
  midnight.tm_mday = 1;
  midnight.tm_isdst = -1;
  EXPECT_EQ(MakeLocalSeconds(&midnight), 0);

  putenv(japan);
  RefreshTimeZone();
  ASSERT_TRUE(LocalTimeOf(0, &tm));
  EXPECT_EQ(tm.tm_hour, 9);
}

}  // namespace
