// The repeat dialog's rules: names, first matching day, opening values, the
// method and weekday handlers, and the OK procedure with its texts.
#include <gtest/gtest.h>

#include "platform/text.h"
#include "schedule/repeat_rules.h"
#include "schedule/schedule_table.h"
#include "schedule/time_rules.h"
#include "support/fakes.h"

namespace {

SystemTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  SystemTime t = MakeSystemTime(y, mo, d, h, mi, s);
  SecondsToTime(TimeToSeconds(t), &t);  // with its day of week
  return t;
}

const char* kE1 =
    "日時指定error\n終了日(時刻)が開始日(時刻)より早い、\nまたは開始日と指定曜日が一致していない";

TEST(RepeatNames, MethodsAndWeekdayLetters) {
  const char* names[] = {"毎週", "毎日", "毎週（月、水、金）", "毎週（火、木）", "毎週（月～金）",
                         "毎週（土、日）"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_STREQ(GetMethodName(i), names[i]);
    EXPECT_EQ(GetMethodNameSjis(i), Utf8ToSjis(names[i])) << i;
  }
  EXPECT_STREQ(GetMethodName(6), "毎週");
  EXPECT_STREQ(GetMethodName(-1), "毎週");

  EXPECT_EQ(GetWeekString(0), "");
  EXPECT_EQ(GetWeekString(10), "月水");
  EXPECT_EQ(GetWeekString(65), "日土");
  EXPECT_EQ(GetWeekString(127), "日月火水木金土");
  EXPECT_EQ(GetWeekStringSjis(127), Utf8ToSjis("日月火水木金土"));
  EXPECT_EQ(GetWeekString(1 << 7), "");  // bits past Saturday mean nothing

  EXPECT_EQ(SjisToUtf8(UntitledSjis()), "タイトルなし");
  EXPECT_EQ(SjisToUtf8(NoRepeatTitleSjis()), "繰り返しなし予約");
  EXPECT_EQ(SjisToUtf8(RepeatTitleSjis(kMethodWeekly, 10)), "毎週 月水");
  EXPECT_EQ(SjisToUtf8(RepeatTitleSjis(kMethodWeekend, 65)), "毎週（土、日） ");
}

TEST(FindFirstDay, EveryWeekdayWithTheMethodsSets) {
  // Weekday bits: Sunday 1, Monday 2, ... Saturday 64. 2030-05-05 is a Sunday.
  const struct {
    int weekday;
    int32_t bits;
    int daysAhead;
  } cases[] = {
      {0, 1, 0},    // Sunday, Sundays: the same day
      {0, 2, 1},    // Sunday, Mondays
      {0, 64, 6},   // Sunday, Saturdays: the end of the week
      {1, 1, 6},    // Monday, Sundays: across the week's end
      {1, 65, 5},   // Monday, weekends: Saturday
      {2, 127, 0},  // Tuesday, every day
      {3, 10, 0},   // Wednesday, Monday and Wednesday
      {4, 10, 4},   // Thursday, Monday and Wednesday: next Monday
      {5, 20, 4},   // Friday, Tuesday and Thursday: next Tuesday
      {6, 42, 2},   // Saturday, Monday, Wednesday and Friday: next Monday
      {6, 62, 2},   // Saturday, Monday to Friday
      {6, 65, 0},   // Saturday, weekends
  };
  for (const auto& c : cases) {
    const SystemTime ref = At(2030, 5, 5 + c.weekday, 21, 15, 30);
    ASSERT_EQ(ref.wDayOfWeek, c.weekday);
    EXPECT_EQ(FindFirstDay(ref, c.bits), At(2030, 5, 5 + c.weekday + c.daysAhead, 21, 15, 30))
        << "weekday " << c.weekday << " bits " << c.bits;
  }
  // No weekday at all: the day before.
  EXPECT_EQ(FindFirstDay(At(2030, 5, 1, 8, 0), 0), At(2030, 4, 30, 8, 0));
}

TEST(RepeatInit, UnsetPeriodDatesTheNextDayEndAndTheForcedPeriod) {
  const SystemTime now = At(2030, 5, 1, 12, 0);
  RepeatValues v;
  v.m_start = At(2030, 5, 31, 23, 0);
  v.m_end = At(2030, 6, 1, 1, 0);  // past midnight across the month's end
  SecondsToTime(0, &v.m_kikan_s);  // 1970-01-01 09:00: stored without a period
  v.m_kikan_e = SystemTime{};      // never set at all
  v.m_loop = 1;
  v.m_loop_meth = 9;
  v.m_b_way = 0x1FF;
  const RepeatDialogInit init = InitRepeatDialog(v, now);
  EXPECT_EQ(init.endDayIndex, kEndDayNext);
  EXPECT_EQ(init.values.m_kikan_f, 1);
  EXPECT_FALSE(init.periodBoxEnabled);
  EXPECT_EQ(init.values.m_kikan_s, now);
  EXPECT_EQ(init.values.m_kikan_e, now);
  EXPECT_EQ(init.periodStart, now);
  EXPECT_EQ(init.startTime, v.m_start);
  EXPECT_EQ(init.endTime, v.m_end);
  EXPECT_EQ(init.methodIndex, 0);
  EXPECT_EQ(init.weekdayBits, 127);

  v.m_end = At(2030, 5, 31, 23, 30);
  v.m_kikan_s = At(2030, 5, 31);
  v.m_kikan_e = At(2030, 8, 1);
  v.m_loop_meth = kMethodTueThu;
  const RepeatDialogInit same = InitRepeatDialog(v, now);
  EXPECT_EQ(same.endDayIndex, kEndDaySame);
  EXPECT_EQ(same.periodStart, At(2030, 5, 31));
  EXPECT_EQ(same.periodEnd, At(2030, 8, 1));
  EXPECT_EQ(same.methodIndex, kMethodTueThu);

  v.m_loop = 0;  // the period pickers then show today
  EXPECT_EQ(InitRepeatDialog(v, now).periodEnd, now);
}

TEST(RepeatHandlers, EnablingFollowsTheRepeatBox) {
  for (bool on : {true, false}) {
    for (const auto& [id, enabled] : RepeatControlEnabling(on)) {
      if (id == 1031 || id == 1033)
        EXPECT_FALSE(enabled) << id;
      else
        EXPECT_EQ(enabled, on) << id;
    }
  }
  EXPECT_EQ(RepeatControlEnabling(true).size(), 17u);
}

TEST(RepeatHandlers, MethodChangeChecksItsDaysAndMovesThePeriodStart) {
  const SystemTime wednesday = At(2030, 5, 1, 12, 0);
  const MethodChange weekend = OnRepeatMethodChanged(kMethodWeekend, 2, wednesday);
  EXPECT_EQ(weekend.weekdayBits, 65);
  EXPECT_EQ(weekend.periodStart, At(2030, 5, 4, 12, 0));  // the coming Saturday
  const MethodChange weekly = OnRepeatMethodChanged(kMethodWeekly, 2, wednesday);
  EXPECT_EQ(weekly.weekdayBits, 2);  // boxes left as they were
  EXPECT_EQ(weekly.periodStart, At(2030, 5, 6, 12, 0));
}

TEST(RepeatHandlers, FirstRunSkipsAStartAlreadyPastToday) {
  const SystemTime wednesdayNoon = At(2030, 5, 1, 12, 0);
  const int32_t wednesday = 1 << 3;
  EXPECT_EQ(FirstRunText(wednesday, At(2000, 1, 1, 21, 0), wednesdayNoon), "2030/05/01 (水)");
  EXPECT_EQ(FirstRunText(wednesday, At(2000, 1, 1, 9, 0), wednesdayNoon), "2030/05/08 (水)");
  EXPECT_EQ(FirstRunText(wednesday | 1 << 4, At(2000, 1, 1, 9, 0), wednesdayNoon),
            "2030/05/02 (木)");
}

// The controls as the user leaves them: a repetition from 2030-05-06 (a
// Monday) to 2030-06-30, 21:00 to 22:00 on the same day.
RepeatDialogInput Controls(int method, int32_t bits) {
  RepeatDialogInput in;
  in.loop = 1;
  in.kikanF = 1;
  in.startTime = At(2030, 5, 1, 21, 0);
  in.endTime = At(2030, 5, 1, 22, 0);
  in.endDayIndex = kEndDaySame;
  in.methodIndex = method;
  in.weekdayBits = bits;
  in.periodStart = At(2030, 5, 6, 12, 34, 56);
  in.periodEnd = At(2030, 6, 30, 7, 0);
  return in;
}

const SystemTime kNow = At(2030, 5, 1, 12, 0);

struct OkCase {
  const char* what;
  RepeatDialogInput in;
  RepeatOkOutcome outcome;
};

TEST(RepeatOk, OutcomesOfTheChecks) {
  auto with = [](RepeatDialogInput in, auto change) {
    change(in);
    return in;
  };
  const OkCase cases[] = {
      {"Monday, weekly on Monday and Wednesday", Controls(0, 10), RepeatOkOutcome::kConfirm},
      {"Monday, weekly on Tuesday", Controls(0, 4), RepeatOkOutcome::kRefused},
      {"Monday, weekly on no day", Controls(0, 0), RepeatOkOutcome::kRefused},
      {"Monday, Mon-Wed-Fri", Controls(2, 42), RepeatOkOutcome::kConfirm},
      {"Tuesday, Mon-Wed-Fri",
       with(Controls(2, 42), [](auto& in) { in.periodStart = At(2030, 5, 7); }),
       RepeatOkOutcome::kRefused},
      {"daily whatever the boxes", Controls(1, 0), RepeatOkOutcome::kConfirm},
      {"end before start on the same day",
       with(Controls(1, 127), [](auto& in) { in.endTime = At(2030, 5, 1, 1, 0); }),
       RepeatOkOutcome::kRefused},
      {"end before start, next day",
       with(Controls(1, 127),
            [](auto& in) {
              in.endTime = At(2030, 5, 1, 1, 0);
              in.endDayIndex = kEndDayNext;
            }),
       RepeatOkOutcome::kConfirm},
      {"start equal to end", with(Controls(1, 127), [](auto& in) { in.endTime = in.startTime; }),
       RepeatOkOutcome::kConfirm},
      {"period end before period start",
       with(Controls(1, 127), [](auto& in) { in.periodEnd = At(2030, 5, 5); }),
       RepeatOkOutcome::kRefused},
      {"period end on the start day",
       with(Controls(1, 127), [](auto& in) { in.periodEnd = At(2030, 5, 6); }),
       RepeatOkOutcome::kConfirm},
      {"first start earlier today",
       with(Controls(1, 127),
            [](auto& in) {
              in.periodStart = At(2030, 5, 1);
              in.startTime = At(2030, 5, 1, 9, 0);
              in.endTime = At(2030, 5, 1, 13, 0);
            }),
       RepeatOkOutcome::kRefused},
      {"repeat box off", with(Controls(0, 4), [](auto& in) { in.loop = 0; }),
       RepeatOkOutcome::kClose},
      {"repeat box off, start past", with(Controls(0, 4),
                                          [](auto& in) {
                                            in.loop = 0;
                                            in.periodStart = At(2030, 5, 1);
                                            in.startTime = At(2030, 5, 1, 9, 0);
                                          }),
       RepeatOkOutcome::kClose},
      {"repeat box off, end before start",
       with(Controls(0, 4),
            [](auto& in) {
              in.loop = 0;
              in.endTime = At(2030, 5, 1, 20, 0);
            }),
       RepeatOkOutcome::kRefused},
  };
  for (const OkCase& c : cases) {
    const RepeatOkResult r = RepeatDialogOk(c.in, RepeatValues{}, kNow);
    EXPECT_EQ(r.outcome, c.outcome) << c.what << "\n" << r.message;
  }
}

// A first start, first end or period end past 2038-01-18 23:59:59 gets the
// text that says so, not the order's E1.
TEST(RepeatOk, TimesPastTheLatestHaveTheirOwnText) {
  auto with = [](RepeatDialogInput in, auto change) {
    change(in);
    return in;
  };
  const struct {
    const char* what;
    RepeatDialogInput in;
    bool tooLate;
  } cases[] = {
      {"period end on the last day",
       with(Controls(1, 127), [](auto& in) { in.periodEnd = At(2038, 1, 18); }), false},
      {"period end past it",
       with(Controls(1, 127), [](auto& in) { in.periodEnd = At(2038, 1, 19); }), true},
      {"period end past it, no period",
       with(Controls(1, 127),
            [](auto& in) {
              in.kikanF = 0;
              in.periodEnd = At(2040, 1, 1);
            }),
       false},
      {"first start past it",
       with(Controls(1, 127),
            [](auto& in) {
              in.periodStart = At(2038, 1, 20);
              in.periodEnd = At(2038, 2, 1);
            }),
       true},
      {"first end on the next day past it",
       with(Controls(1, 127),
            [](auto& in) {
              in.periodStart = At(2038, 1, 18);
              in.periodEnd = At(2038, 1, 18);
              in.endTime = At(2030, 5, 1, 1, 0);
              in.endDayIndex = kEndDayNext;
            }),
       true},
      {"one-shot past it",
       with(Controls(0, 4),
            [](auto& in) {
              in.loop = 0;
              in.periodStart = At(2039, 3, 1);
            }),
       true},
  };
  for (const auto& c : cases) {
    const RepeatOkResult r = RepeatDialogOk(c.in, RepeatValues{}, kNow);
    EXPECT_EQ(r.outcome == RepeatOkOutcome::kRefused && r.message == kTimeTooLateText, c.tooLate)
        << c.what << "\n" << r.message;
  }
}

TEST(RepeatOk, E1KeepsTheCheckBoxesButNotTheTimes) {
  RepeatValues before;
  before.m_start = At(2030, 1, 1, 1, 0);
  const RepeatOkResult r = RepeatDialogOk(Controls(0, 4), before, kNow);
  EXPECT_EQ(r.message, kE1);
  EXPECT_EQ(r.values.m_loop, 1);
  EXPECT_EQ(r.values.m_start, before.m_start);
}

TEST(RepeatOk, StoredValuesAndSummaryForANextDayEnd) {
  RepeatDialogInput in = Controls(0, 10);
  in.startTime = At(2030, 5, 1, 23, 0, 5);
  in.endTime = At(2030, 5, 1, 1, 0);
  in.endDayIndex = kEndDayNext;
  const RepeatOkResult r = RepeatDialogOk(in, RepeatValues{}, kNow);
  ASSERT_EQ(r.outcome, RepeatOkOutcome::kConfirm) << r.message;
  const RepeatValues& v = r.values;
  EXPECT_EQ(v.m_start, At(2030, 5, 6, 23, 0, 5));
  EXPECT_EQ(v.m_kikan_s, v.m_start);
  EXPECT_EQ(v.m_end, At(2030, 5, 7, 1, 0));
  EXPECT_EQ(v.m_kikan_e, At(2030, 6, 30, 1, 0));  // never moved a day
  EXPECT_EQ(v.m_b_way, 10);
  EXPECT_EQ(v.m_loop_meth, 0);
  EXPECT_EQ(v.m_kikan_f, 1);
  EXPECT_EQ(r.message,
            "繰り返し設定：あり\n繰り返し期間：あり\n繰り返し方法：毎週 月水\n"
            "起動時刻：　　23:00:05\n終了時刻：　　01:00:00 (翌)\n"
            "（初回起動日　2030/05/06　初回終了日　2030/05/07）\n"
            "開始日：　　　2030/05/06 (月)\n終了日：　　　2030/06/30 (日)\n\n"
            "この設定でよろしいですか？\n");
}

TEST(RepeatOk, FixedMethodsStoreTheirOwnDays) {
  const RepeatOkResult daily = RepeatDialogOk(Controls(1, 2), RepeatValues{}, kNow);
  EXPECT_EQ(daily.values.m_b_way, 127);
  EXPECT_NE(daily.message.find("繰り返し方法：毎日 \n"), std::string::npos);
  RepeatDialogInput in = Controls(4, 62);
  in.weekdayBits = 2;  // boxes changed after choosing the method
  EXPECT_EQ(RepeatDialogOk(in, RepeatValues{}, kNow).values.m_b_way, 62);
}

TEST(RepeatOk, AlreadyPastText) {
  RepeatDialogInput in = Controls(1, 127);
  in.periodStart = At(2030, 5, 1);
  in.startTime = At(2030, 5, 1, 11, 0);
  in.endTime = At(2030, 5, 1, 0, 30);
  in.endDayIndex = kEndDayNext;
  const RepeatOkResult r = RepeatDialogOk(in, RepeatValues{}, kNow);
  EXPECT_EQ(r.outcome, RepeatOkOutcome::kRefused);
  EXPECT_EQ(r.message,
            "設定した日時は既に過ぎています\n\n現在時刻：　　2030/05/01　12:00:00\n\n"
            "初回起動日　2030/05/01　終了日　2030/05/02\n起動時刻：　　11:00:00\n"
            "終了時刻：　　00:30:00(翌)\n");
  // The members already hold the new setting.
  EXPECT_EQ(r.values.m_start, At(2030, 5, 1, 11, 0));
}

TEST(RepeatOk, WithoutRepetitionTheDisabledPeriodStartDatesTheEntry) {
  RepeatDialogInput in = Controls(0, 0);
  in.loop = 0;
  const RepeatOkResult r = RepeatDialogOk(in, RepeatValues{}, kNow);
  EXPECT_EQ(r.outcome, RepeatOkOutcome::kClose);
  EXPECT_TRUE(r.message.empty());
  EXPECT_EQ(r.values.m_start, At(2030, 5, 6, 21, 0));
  EXPECT_EQ(r.values.m_kikan_f, 0);
  const ScheduleEntry x = EntryFromRepeat(r.values);
  EXPECT_EQ(x.loop, 0);
  EXPECT_EQ(x.kikan_s, SystemTime{});
  EXPECT_EQ(SjisToUtf8(x.title), "タイトルなし");
}

TEST(RepeatOk, ThePromptedProcedure) {
  ScriptedPrompt prompt;
  RepeatValues v;
  EXPECT_FALSE(RunRepeatDialogOk(Controls(0, 10), v, kNow, prompt));  // No
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].caption, "設定の確認");
  EXPECT_EQ(prompt.shown[0].buttons, PromptButtons::kYesNo);
  EXPECT_EQ(v.m_b_way, 10);
  prompt.QueueAnswer(PromptAnswer::kYes);
  EXPECT_TRUE(RunRepeatDialogOk(Controls(0, 10), v, kNow, prompt));
  EXPECT_FALSE(RunRepeatDialogOk(Controls(0, 4), v, kNow, prompt));
  EXPECT_EQ(prompt.shown.back().text, kE1);
  EXPECT_EQ(prompt.shown.back().caption, "");  // the system's own caption
  EXPECT_EQ(prompt.shown.back().buttons, PromptButtons::kOk);
}

TEST(RepeatEntry, PeriodDatesLoseTheirTimeOrVanishWithoutAPeriod) {
  RepeatValues v;
  v.m_loop = 1;
  v.m_loop_meth = kMethodWeekly;
  v.m_b_way = 10;
  v.m_kikan_f = 1;
  v.m_start = v.m_kikan_s = At(2030, 5, 6, 21, 0);
  v.m_end = At(2030, 5, 6, 22, 0);
  v.m_kikan_e = At(2030, 6, 30, 22, 0);
  ScheduleEntry x = EntryFromRepeat(v);
  EXPECT_EQ(x.kikan_s, At(2030, 5, 6));
  EXPECT_EQ(x.kikan_e, At(2030, 6, 30));
  EXPECT_EQ(x.state, kStateWaiting);
  v.m_kikan_f = 0;
  x = EntryFromRepeat(v);
  EXPECT_EQ(x.kikan_f, 0);
  EXPECT_EQ(x.kikan_s, SystemTime{});
  EXPECT_EQ(x.kikan_e, SystemTime{});
}

// The title an entry gets: the made one follows the setting while it is
// made; one the user typed or an import brought stays.
TEST(RepeatEntry, TitleFollowsTheSettingOnlyWhileItIsMade) {
  auto Entry = [](const char* titleUtf8, int32_t loop, int method, int32_t bits) {
    ScheduleEntry e{};
    e.s = At(2030, 5, 6, 21, 0);
    e.e = At(2030, 5, 6, 22, 0);
    CopyTitle(e.title, Utf8ToSjis(titleUtf8).c_str());
    if (loop) SetRepeatFields(&e, 1, method, bits, 0, SystemTime{}, SystemTime{});
    return e;
  };
  const struct {
    const char* what;
    RepeatValues values;  // as the dialog opens
    int32_t loop;         // then confirmed with this setting
    int method;
    int32_t bits;
    const char* title;
  } rows[] = {
      {"new, untouched, no repeat", NewRepeatValues(kNow), 0, 0, 0, "タイトルなし"},
      {"new, untouched, weekly", NewRepeatValues(kNow), 1, kMethodWeekly, 10, "毎週 月水"},
      {"new, untouched, daily", NewRepeatValues(kNow), 1, kMethodDaily, 127, "毎日 "},
      {"imported one-shot made weekly", RepeatValuesFor(Entry("ドラマ 第3話", 0, 0, 0)), 1,
       kMethodWeekly, 8, "ドラマ 第3話"},
      {"named weekly made one-shot", RepeatValuesFor(Entry("ニュース", 1, kMethodWeekly, 8)), 0, 0,
       0, "ニュース"},
      {"made weekly title, days changed", RepeatValuesFor(Entry("毎週 水", 1, kMethodWeekly, 8)), 1,
       kMethodWeekly, 16, "毎週 木"},
      {"made title of another setting", RepeatValuesFor(Entry("毎週 水", 1, kMethodWeekly, 16)), 1,
       kMethodWeekly, 2, "毎週 水"},
      {"made weekly title, repeat off", RepeatValuesFor(Entry("毎日 ", 1, kMethodDaily, 127)), 0, 0,
       0, "繰り返しなし予約"},
      {"untitled one-shot made daily", RepeatValuesFor(Entry("タイトルなし", 0, 0, 0)), 1,
       kMethodDaily, 127, "毎日 "},
      {"empty title made daily", RepeatValuesFor(Entry("", 0, 0, 0)), 1, kMethodDaily, 127,
       "毎日 "},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    RepeatValues v = r.values;
    v.m_loop = r.loop;
    v.m_loop_meth = r.method;
    v.m_b_way = r.bits;
    EXPECT_EQ(SjisToUtf8(EntryFromRepeat(v).title), r.title);
  }
  // Typed into the box: kept whatever the setting.
  RepeatValues typed = NewRepeatValues(kNow);
  typed.m_title = Utf8ToSjis("大河 日曜");
  typed.m_title_made = false;
  typed.m_loop = 1;
  typed.m_loop_meth = kMethodDaily;
  EXPECT_EQ(SjisToUtf8(EntryFromRepeat(typed).title), "大河 日曜");
}

}  // namespace
