// The wake rules over a small table: which start the standing timer is due
// for, when the PC is kept awake, when an end stays awake, and the texts.
#include "engine/wake_plan.h"

#include <gtest/gtest.h>

#include <string>

#include "schedule/schedule_table.h"
#include "schedule/time_rules.h"
#include "support/fakes.h"

namespace {

// 2030-05-10 at h:m:s local.
int64_t T(int h, int m, int s = 0) { return TimeToSeconds(MakeSystemTime(2030, 5, 10, h, m, s)); }

// 21:00-22:00 finished, 22:00-22:30 and 23:00-23:30 waiting.
class WakePlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table.AllocScheduleTable(10);
    Add(21, 0, 22, 0)->state = kStateFinished;
    Add(22, 0, 22, 30);
    Add(23, 0, 23, 30);
  }
  ScheduleEntry* Add(int sh, int sm, int eh, int em) {
    const int n = table.GetScheduleCount();
    return table.InsertSchedule(n, MakeSystemTime(2030, 5, 10, sh, sm),
                                MakeSystemTime(2030, 5, 10, eh, em), "t");
  }
  ScheduleTable table;
};

TEST_F(WakePlanTest, WakeAndKeepAwakeThroughTheDay) {
  struct Case {
    int64_t now;
    int lead, gap;
    int64_t wake;  // 0: nothing ahead
    bool awake;
  };
  const Case cases[] = {
      // The finished entry is skipped; the lead moves the wake earlier.
      {T(20, 0), 60, 300, T(21, 59), false},
      {T(20, 0), 0, 0, T(22, 0), false},
      {T(20, 0), 180, 0, T(21, 57), false},
      // Awake from lead + gap before a start.
      {T(21, 53, 59), 60, 300, T(21, 59), false},
      {T(21, 54), 60, 300, T(21, 59), true},
      // Inside the lead the timer stays due for the start itself.
      {T(21, 59, 30), 60, 0, T(22, 0), true},
      // Running: the next one ahead is the target; awake to the end.
      {T(22, 0), 60, 0, T(22, 59), true},
      {T(22, 29, 59), 60, 0, T(22, 59), true},
      {T(22, 30), 60, 0, T(22, 59), false},
      // The gap after the end: 29 minutes to the wake is more than 5 ...
      {T(22, 30), 60, 300, T(22, 59), false},
      // ... and less than 30.
      {T(22, 30), 60, 1800, T(22, 59), true},
      // Past the last start nothing lies ahead.
      {T(23, 10), 60, 300, 0, true},
      {T(23, 30), 60, 300, 0, false},
  };
  for (const Case& c : cases) {
    const WakePlan p = PlanWake(table, c.now, WakeSettings{c.lead, c.gap});
    SCOPED_TRACE(testing::Message() << "now " << c.now - T(0, 0) << " lead " << c.lead
                                    << " gap " << c.gap);
    EXPECT_EQ(p.haveWake, c.wake != 0);
    if (c.wake) {
      EXPECT_EQ(p.wakeSeconds, c.wake);
    }
    EXPECT_EQ(p.keepAwake, c.awake);
  }
}

TEST_F(WakePlanTest, EarliestStartWinsWhateverTheRowOrder) {
  // A row out of order (the table is kept sorted, a hand-edited file may not be).
  table.InsertSchedule(0, MakeSystemTime(2030, 5, 10, 22, 40), MakeSystemTime(2030, 5, 10, 22, 50),
                       "late")->state = kStateWaiting;
  const WakePlan p = PlanWake(table, T(22, 10), WakeSettings{0, 0});
  EXPECT_EQ(p.index, 0);
  EXPECT_EQ(p.startSeconds, T(22, 40));
}

TEST(WakePlan, EntriesPastTheLimitOrUnrepresentableAreNeverAhead) {
  ScheduleTable table;
  table.AllocScheduleTable(4);
  table.InsertSchedule(0, SystemTime{}, SystemTime{}, "zero");
  table.InsertSchedule(1, MakeSystemTime(2040, 1, 1, 0, 0), MakeSystemTime(2040, 1, 1, 1, 0), "2040");
  EXPECT_FALSE(PlanWake(table, T(20, 0), WakeSettings{}).haveWake);
  EXPECT_FALSE(PlanWake(table, T(20, 0), WakeSettings{}).keepAwake);
}

TEST(WakePlan, EndStaysAwakeWhenTheNextWakeIsCloserThanTheGap) {
  struct Case {
    int64_t end, start;
    int lead, gap;
    bool stays;
  };
  const Case cases[] = {
      {T(22, 0), T(22, 10), 60, 300, false},  // wake 22:09, 9 minutes later
      {T(22, 0), T(22, 6), 60, 300, false},   // exactly the gap: sleeping is allowed
      {T(22, 0), T(22, 5, 59), 60, 300, true},
      {T(22, 0), T(22, 0), 60, 0, true},      // back to back: the wake lies before the end
      {T(22, 0), T(22, 1), 60, 0, false},     // wake at the end itself, no gap wanted
      {T(22, 0), T(22, 30), 0, 1800, false},
  };
  for (const Case& c : cases) {
    WakePlan next;
    next.haveWake = true;
    next.startSeconds = c.start;
    SCOPED_TRACE(testing::Message() << "start " << c.start - c.end << " lead " << c.lead);
    EXPECT_EQ(StaysAwakeAfterEnd(c.end, next, WakeSettings{c.lead, c.gap}), c.stays);
  }
  EXPECT_FALSE(StaysAwakeAfterEnd(T(22, 0), WakePlan{}, WakeSettings{60, 300}));
}

TEST(WakePlan, Texts) {
  WakePlan p;
  EXPECT_EQ(NextActionText(p), "次の予定なし");
  p.haveWake = true;
  p.wakeSeconds = TimeToSeconds(MakeSystemTime(2030, 12, 24, 20, 59, 30));
  EXPECT_EQ(NextActionText(p), "次回起動 12/24 20:59");
  p.wakeSeconds = TimeToSeconds(MakeSystemTime(2031, 1, 5, 7, 3));
  EXPECT_EQ(NextActionText(p), "次回起動 01/05 07:03");
  EXPECT_EQ(StayAwakeText(p), "次の予定まで待機中（次回起動 01/05 07:03）");
}

}  // namespace

// What the status line says during a window ending at 22:00 on the 10th,
// from what follows it: an entry of the table, the running entry's own next
// occurrence, or nothing.
TEST(WakePlan, EndForecastTexts) {
  auto D = [](int day, int h, int m) { return TimeToSeconds(MakeSystemTime(2030, 5, day, h, m)); };
  const int64_t end = D(10, 22, 0);
  constexpr SleepMode kH = SleepMode::kHibernate, kS = SleepMode::kStandby;
  const struct {
    int64_t ahead;   // an entry of the table starting then; 0: none
    int64_t rolled;  // the running entry's next occurrence; 0: it ends for good
    int lead, gap;
    SleepMode sleepMode;
    int finishAct;
    const char* text;
  } rows[] = {
      {0, 0, 60, 300, kH, 1, "終了 05/10 22:00 → シャットダウン"},
      {0, 0, 60, 300, kH, 0, "終了 05/10 22:00 → 休止モード（次の予定なし）"},
      {0, 0, 60, 300, kS, 0, "終了 05/10 22:00 → スタンバイ（次の予定なし）"},
      {D(11, 6, 0), 0, 60, 300, kS, 1, "終了 05/10 22:00 → スタンバイ（次回起動 05/11 05:59）"},
      {0, D(11, 21, 0), 60, 300, kH, 1, "終了 05/10 22:00 → 休止モード（次回起動 05/11 20:59）"},
      {D(11, 6, 0), D(11, 21, 0), 0, 0, kH, 1,
       "終了 05/10 22:00 → 休止モード（次回起動 05/11 06:00）"},
      {D(11, 6, 0), D(10, 22, 10), 60, 300, kS, 1,
       "終了 05/10 22:00 → スタンバイ（次回起動 05/10 22:09）"},
      {D(10, 22, 3), 0, 60, 300, kS, 1, "終了 05/10 22:00 → 待機（次回起動 05/10 22:02）"},
      {0, D(10, 22, 4), 60, 300, kH, 1, "終了 05/10 22:00 → 待機（次回起動 05/10 22:03）"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    ScheduleTable table;
    table.AllocScheduleTable(10);
    table.InsertSchedule(0, MakeSystemTime(2030, 5, 10, 21, 0), MakeSystemTime(2030, 5, 10, 22, 0), "now")
        ->state = kStateRunning;
    if (r.ahead) {
      SystemTime s{}, e{};
      SecondsToTime(r.ahead, &s);
      SecondsToTime(r.ahead + 1800, &e);
      table.InsertSchedule(1, s, e, "next");
    }
    const WakeSettings settings{r.lead, r.gap};
    const std::optional<int64_t> rolled = r.rolled ? std::optional<int64_t>(r.rolled) : std::nullopt;
    const EndForecast f = ForecastEnd(end, PlanAfterEnd(table, end, rolled, settings), settings,
                                      r.sleepMode, r.finishAct);
    EXPECT_EQ(EndForecastText(f), r.text);
  }
}
