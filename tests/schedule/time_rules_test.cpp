#include "schedule/time_rules.h"

#include <gtest/gtest.h>

#include "schedule/schedule_table.h"
#include "schedule/table_queries.h"
#include "support/fakes.h"

namespace {

ScheduleEntry Entry(const SystemTime& s, const SystemTime& e, int32_t state = kStateWaiting) {
  ScheduleEntry x{};
  x.s = s;
  x.e = e;
  x.state = state;
  return x;
}

SystemTime At(int y, int mo, int d, int h, int mi, int s = 0) {
  return MakeSystemTime(y, mo, d, h, mi, s);
}

TEST(TimeConversion, RoundTripsLocalTimeWithWeekday) {
  const SystemTime t = At(2026, 12, 7, 21, 30, 15);
  const int32_t secs = TimeToSeconds(t);
  EXPECT_EQ(secs, 1796646615);  // 2026-12-07 12:30:15 UTC
  SystemTime back{};
  ASSERT_TRUE(SecondsToTime(secs, &back));
  EXPECT_EQ(back.wYear, 2026);
  EXPECT_EQ(back.wDayOfWeek, 1);  // Monday
  EXPECT_EQ(back.wHour, 21);
  EXPECT_EQ(back.wSecond, 15);
  EXPECT_EQ(back.wMilliseconds, 0);
}

TEST(TimeConversion, EdgesOfTheRepresentableRange) {
  EXPECT_EQ(TimeToSeconds(SystemTime{}), 0);                // all-zero date
  EXPECT_EQ(TimeToSeconds(At(1969, 12, 31, 23, 0)), -1);   // before 1970
  EXPECT_EQ(TimeToSeconds(At(1970, 1, 1, 0, 0)), -1);      // 1969 in UTC
  EXPECT_EQ(TimeToSeconds(At(1970, 1, 1, 9, 0)), 0);
  // Day 31 of a 30-day month rolls into the next month.
  EXPECT_EQ(TimeToSeconds(At(2027, 4, 31, 10, 0)), TimeToSeconds(At(2027, 5, 1, 10, 0)));

  SystemTime untouched = At(2000, 1, 1, 0, 0);
  EXPECT_FALSE(SecondsToTime(-1, &untouched));
  EXPECT_EQ(untouched, At(2000, 1, 1, 0, 0));
  SystemTime epoch{};
  ASSERT_TRUE(SecondsToTime(0, &epoch));
  EXPECT_EQ(epoch.wYear, 1970);
  EXPECT_EQ(epoch.wHour, 9);
}

TEST(TimeRules, TheLatestTimeAScheduleCanHold) {
  const struct {
    SystemTime t;
    bool representable;
  } cases[] = {
      {At(2038, 1, 18, 23, 59, 59), true},  {At(2038, 1, 19, 0, 0, 0), false},
      {At(2038, 1, 19, 12, 14, 7), false},  {At(2038, 1, 19, 12, 14, 8), false},
      {At(2038, 2, 1, 0, 0, 0), false},     {At(2039, 1, 1, 0, 0, 0), false},
      {At(2037, 12, 31, 23, 59, 59), true}, {At(1970, 1, 1, 9, 0, 0), true},
      {At(1970, 1, 1, 8, 59, 59), false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsRepresentableTime(c.t), c.representable)
        << c.t.wYear << "-" << c.t.wMonth << "-" << c.t.wDay << " " << c.t.wHour;
}

// The spans of the rules are taken in 64 bits: the extremes of 32-bit seconds
// (and -1 for a time that cannot be held) neither wrap nor trap.
TEST(TimeRules, SpansAtTheLimitsDoNotOverflow) {
  const SystemTime first = At(1970, 1, 1, 9, 0, 0);          // second 0
  const SystemTime last = At(2038, 1, 19, 12, 14, 7);        // second INT32_MAX
  const SystemTime past = At(2040, 1, 1, 0, 0, 0);           // -1
  EXPECT_EQ(TimeToSeconds(last), 2147483647);
  EXPECT_TRUE(HasMinInterval(first, last, 2));
  EXPECT_TRUE(HasMinInterval(last, first, 2));  // a negative span has a day part
  EXPECT_TRUE(HasMinInterval(past, last, 2));
  EXPECT_FALSE(HasMinInterval(past, past, 2));
}

TEST(TimeRules, ValidityAndOrder) {
  EXPECT_TRUE(IsValidDateTime(At(2026, 12, 31, 23, 59, 59), 2026));
  EXPECT_FALSE(IsValidDateTime(At(2025, 12, 31, 23, 59, 59), 2026));  // previous year
  EXPECT_TRUE(IsValidDateTime(At(2027, 4, 31, 0, 0), 2026));          // field check only
  EXPECT_FALSE(IsValidDateTime(At(2027, 13, 1, 0, 0), 2026));
  EXPECT_FALSE(IsValidDateTime(At(2027, 1, 0, 0, 0), 2026));
  EXPECT_FALSE(IsValidDateTime(At(2027, 1, 1, 24, 0), 2026));
  EXPECT_FALSE(IsValidDateTime(At(2027, 1, 1, 0, 60), 2026));
  EXPECT_FALSE(IsValidDateTime(At(2027, 1, 1, 0, 0, 60), 2026));

  EXPECT_TRUE(IsValidOrder(At(2027, 1, 1, 10, 0), At(2027, 1, 1, 10, 0), 2026));
  EXPECT_FALSE(IsValidOrder(At(2027, 1, 1, 10, 0, 1), At(2027, 1, 1, 10, 0), 2026));
}

TEST(TimeRules, MinimumInterval) {
  const SystemTime s = At(2027, 1, 1, 10, 0, 0);
  EXPECT_TRUE(HasMinInterval(s, At(2027, 1, 1, 10, 2, 0), 2));
  EXPECT_FALSE(HasMinInterval(s, At(2027, 1, 1, 10, 1, 59), 2));
  EXPECT_TRUE(HasMinInterval(s, At(2027, 1, 1, 11, 0, 30), 2));  // hour part
  EXPECT_TRUE(HasMinInterval(s, At(2027, 1, 2, 10, 0, 30), 2));  // day part
  EXPECT_FALSE(HasMinInterval(s, s, 2));
}

class TableRules : public ::testing::Test {
 protected:
  void SetUp() override { table.AllocScheduleTable(10); }
  void Add(const SystemTime& s, const SystemTime& e, int32_t state = kStateWaiting) {
    ScheduleEntry* x = table.InsertSchedule(table.GetScheduleCount(), s, e, "t");
    x->state = state;
  }
  ScheduleTable table;
};

TEST_F(TableRules, InsertPositionTreatsTouchingWindowsAsOverlap) {
  EXPECT_EQ(FindInsertPos(table, Entry(At(2027, 1, 1, 10, 0), At(2027, 1, 1, 11, 0))), 0);
  Add(At(2027, 1, 1, 10, 0), At(2027, 1, 1, 11, 0));
  Add(At(2027, 1, 1, 14, 0), At(2027, 1, 1, 15, 0));
  EXPECT_EQ(FindInsertPos(table, Entry(At(2027, 1, 1, 11, 0), At(2027, 1, 1, 12, 0))), -1);
  EXPECT_EQ(FindInsertPos(table, Entry(At(2027, 1, 1, 11, 0, 1), At(2027, 1, 1, 12, 0))), 1);
  EXPECT_EQ(FindInsertPos(table, Entry(At(2027, 1, 1, 9, 0), At(2027, 1, 1, 9, 59, 59))), 0);
  EXPECT_EQ(FindInsertPos(table, Entry(At(2027, 1, 1, 9, 0), At(2027, 1, 1, 10, 0))), -1);
  EXPECT_EQ(FindInsertPos(table, Entry(At(2027, 1, 1, 12, 0), At(2027, 1, 1, 14, 0))), -1);
  EXPECT_EQ(FindInsertPos(table, Entry(At(2027, 1, 1, 15, 0, 1), At(2027, 1, 1, 16, 0))), 2);
  EXPECT_EQ(FindInsertPos(table, Entry(At(2027, 1, 1, 10, 30), At(2027, 1, 1, 10, 40))), -1);
  // A window that spans an existing one overlaps it.
  EXPECT_EQ(FindInsertPos(table, Entry(At(2027, 1, 1, 9, 0), At(2027, 1, 1, 16, 0))), -1);
}

TEST_F(TableRules, CurrentScheduleSkipsFinishedAndPrefersLowerIndexOnTies) {
  EXPECT_EQ(FindCurrentSchedule(table), -1);
  Add(At(2027, 1, 1, 8, 0), At(2027, 1, 1, 9, 0), kStateFinished);
  Add(At(2027, 1, 1, 12, 0), At(2027, 1, 1, 13, 0));
  Add(At(2027, 1, 1, 10, 0), At(2027, 1, 1, 11, 0));  // out of order, as a file may hold
  Add(At(2027, 1, 1, 10, 0), At(2027, 1, 1, 11, 30));
  EXPECT_EQ(FindCurrentSchedule(table), 2);
  table.GetSchedule(2)->state = kStateFinished;
  EXPECT_EQ(FindCurrentSchedule(table), 3);
  table.GetSchedule(3)->state = kStateRunning;  // running entries still count
  EXPECT_EQ(FindCurrentSchedule(table), 3);
}

TEST_F(TableRules, CurrentScheduleIgnoresStartsFromThe2038Limit) {
  Add(At(2038, 1, 18, 23, 59, 59), At(2038, 1, 19, 0, 30));
  EXPECT_EQ(FindCurrentSchedule(table), -1);
  Add(At(2038, 1, 18, 23, 0, 0), At(2038, 1, 18, 23, 30));
  EXPECT_EQ(FindCurrentSchedule(table), 1);
}

TEST_F(TableRules, NextScheduleStartsStrictlyAfterTheReferenceEnd) {
  const ScheduleEntry ref = Entry(At(2027, 1, 1, 10, 0), At(2027, 1, 1, 11, 0));
  EXPECT_EQ(FindNextSchedule(table, ref), -1);
  Add(At(2027, 1, 1, 11, 0, 0), At(2027, 1, 1, 11, 30));
  Add(At(2027, 1, 1, 13, 0, 0), At(2027, 1, 1, 14, 0));
  Add(At(2027, 1, 1, 11, 0, 1), At(2027, 1, 1, 11, 40));
  Add(At(2027, 1, 1, 11, 0, 1), At(2027, 1, 1, 11, 50));
  EXPECT_EQ(FindNextSchedule(table, ref), 2);
  table.GetSchedule(2)->state = kStateFinished;
  EXPECT_EQ(FindNextSchedule(table, ref), 3);
  table.GetSchedule(3)->state = kStateFinished;
  EXPECT_EQ(FindNextSchedule(table, ref), 1);
}

struct RollCase {
  const char* name;
  SystemTime start;
  int32_t weekdays;
  SystemTime expectedStart;
};

TEST(NextOccurrence, RollsToTheNextTickedWeekdayKeepingTheWindow) {
  // 2027-01-02 is a Saturday.
  const RollCase cases[] = {
      {"daily Saturday to Sunday", At(2027, 1, 2, 21, 0), 127, At(2027, 1, 3, 21, 0)},
      {"weekly Saturday only", At(2027, 1, 2, 21, 0), 1 << 6, At(2027, 1, 9, 21, 0)},
      {"weekdays Friday to Monday", At(2027, 1, 1, 21, 0), 62, At(2027, 1, 4, 21, 0)},
      {"Mon/Wed/Fri Monday to Wednesday", At(2027, 1, 4, 21, 0), 42, At(2027, 1, 6, 21, 0)},
      {"Tue/Thu Thursday to Tuesday", At(2027, 1, 7, 21, 0), 20, At(2027, 1, 12, 21, 0)},
      {"weekend Sunday to Saturday", At(2027, 1, 3, 21, 0), 65, At(2027, 1, 9, 21, 0)},
      {"across a month end", At(2027, 1, 31, 23, 30), 127, At(2027, 2, 1, 23, 30)},
  };
  for (const auto& c : cases) {
    ScheduleEntry x{};
    SecondsToTime(TimeToSeconds(c.start), &x.s);
    SecondsToTime(TimeToSeconds(c.start) + 3600, &x.e);
    x.loop = 1;
    x.b_way = c.weekdays;
    x.state = kStateRunning;
    NextOccurrence(x);
    EXPECT_EQ(TimeToSeconds(x.s), TimeToSeconds(c.expectedStart)) << c.name;
    EXPECT_EQ(TimeToSeconds(x.e) - TimeToSeconds(x.s), 3600) << c.name;
    EXPECT_EQ(x.state, kStateWaiting) << c.name;
  }
}

TEST(NextOccurrence, EndsAtThePeriodEndDate) {
  ScheduleEntry x{};
  SecondsToTime(TimeToSeconds(At(2027, 5, 9, 21, 0)), &x.s);
  SecondsToTime(TimeToSeconds(At(2027, 5, 9, 22, 0)), &x.e);
  x.loop = 1;
  x.b_way = 127;
  x.kikan_f = 1;
  x.kikan_e = At(2027, 5, 10, 0, 0);
  NextOccurrence(x);  // the period's last day is still taken
  EXPECT_EQ(x.s.wDay, 10);
  EXPECT_EQ(x.state, kStateWaiting);
  NextOccurrence(x);  // the day after ends the repetition; times stay
  EXPECT_EQ(x.state, kStateFinished);
  EXPECT_EQ(x.s.wDay, 10);
  EXPECT_EQ(x.e.wHour, 22);
}

TEST(NextOccurrence, ASeriesEndsBeforeTheLatestTime) {
  ScheduleEntry e = Entry(At(2038, 1, 17, 22, 0), At(2038, 1, 17, 23, 0));
  e.loop = 1;
  e.b_way = 127;
  NextOccurrence(e);  // the 18th fits
  EXPECT_EQ(e.state, kStateWaiting);
  EXPECT_EQ(e.s.wDay, 18);
  NextOccurrence(e);  // the 19th does not
  EXPECT_EQ(e.state, kStateFinished);
  EXPECT_EQ(TimeToSeconds(e.e), TimeToSeconds(At(2038, 1, 18, 23, 0, 0)));
}

TEST(NextOccurrence, OneShotAndEmptyWeekdaySetDoNotMove) {
  ScheduleEntry once = Entry(At(2027, 1, 2, 21, 0), At(2027, 1, 2, 22, 0), kStateRunning);
  NextOccurrence(once);
  EXPECT_EQ(once.s, At(2027, 1, 2, 21, 0));
  EXPECT_EQ(once.state, kStateRunning);

  ScheduleEntry none = once;
  none.loop = 1;
  none.b_way = 0;  // only a hand-edited file can say this
  NextOccurrence(none);
  EXPECT_EQ(none.state, kStateFinished);
  EXPECT_EQ(none.s, At(2027, 1, 2, 21, 0));
}

}  // namespace
