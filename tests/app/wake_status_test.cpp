// The status line and the readiness notices.
#include "app/wake_status.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "schedule/schedule_table.h"
#include "schedule/time_rules.h"
#include "support/fakes.h"

namespace {

WakeDiagnosis With(std::initializer_list<ReadinessFinding> findings) {
  WakeDiagnosis d;
  d.findings = findings;
  return d;
}

const ReadinessFinding kOk{FindingLevel::kOk, "ok"};
const ReadinessFinding kNote{FindingLevel::kNote, "note"};
const ReadinessFinding kPolicyOff{FindingLevel::kBlocking, "policy off"};
const ReadinessFinding kFellBack{FindingLevel::kWarning, "fell back"};

TEST(WakeStatusLine, AddsTheReadinessOnlyWhenItNeedsAttention) {
  EXPECT_EQ("次回起動 12/24 20:59", WakeStatusLine("次回起動 12/24 20:59", With({kOk, kNote})));
  const std::string blocked = WakeStatusLine("次の予定なし", With({kOk, kPolicyOff}));
  EXPECT_EQ(0u, blocked.find("次の予定なし")) << blocked;
  EXPECT_NE(std::string::npos, blocked.find(With({kPolicyOff}).StatusText())) << blocked;
}

TEST(ReadinessNotices, EachProblemIsToldOnceAndANewOneAlone) {
  CReadinessNotices notices;
  EXPECT_EQ("", notices.Take(With({kOk, kNote})));
  const std::string first = notices.Take(With({kOk, kPolicyOff}));
  EXPECT_EQ(0u, first.find("policy off")) << first;
  EXPECT_NE(std::string::npos, first.find(kWakeDiagnosisMenuPath)) << first;
  EXPECT_EQ("", notices.Take(With({kPolicyOff})));  // the next check: quiet
  const std::string second = notices.Take(With({kPolicyOff, kFellBack}));
  EXPECT_EQ(0u, second.find("fell back")) << second;
  EXPECT_EQ(std::string::npos, second.find("policy off")) << second;
}

}  // namespace

namespace {

TEST(CloseQuestion, NamesTheScheduleAheadAndIsEmptyWhenNoneLiesAhead) {
  ScheduleTable table;
  table.AllocScheduleTable(4);
  const int64_t start = TimeToSeconds(MakeSystemTime(2030, 12, 24, 21, 0, 0));
  EXPECT_EQ("", CloseQuestion(table, start - 600));
  SystemTime s{}, e{};
  SecondsToTime(start, &s);
  SecondsToTime(start + 3600, &e);
  table.InsertSchedule(0, s, e, Utf8ToSjis("ニュース").c_str())->state = kStateWaiting;
  const std::string ahead = CloseQuestion(table, start - 600);
  EXPECT_NE(std::string::npos, ahead.find("「ニュース」（12/24 21:00）のためにPCが起動しなくなります")) << ahead;
  table.GetSchedule(0)->state = kStateRunning;
  EXPECT_NE(std::string::npos, CloseQuestion(table, start + 60).find("実行中です"));
  table.GetSchedule(0)->state = kStateFinished;
  EXPECT_EQ("", CloseQuestion(table, start + 7200));
}

}  // namespace
