// The checked way into the table and its messages.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/debug_log.h"
#include "schedule/nimbra_doc.h"
#include "schedule/time_rules.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace {

ScheduleEntry Entry(const SystemTime& s, const SystemTime& e) {
  ScheduleEntry x{};
  x.s = s;
  x.e = e;
  std::strcpy(x.title, "t");
  return x;
}

SystemTime At(int y, int mo, int d, int h, int mi, int s = 0) {
  return MakeSystemTime(y, mo, d, h, mi, s);
}

class AddSchedule : public ::testing::Test {
 protected:
  ScratchDir dir;
  FakeClock clock{TimeToSeconds(At(2027, 1, 10, 12, 0))};
  ScriptedPrompt prompt;
  CDebugLog debugLog;
  CNimbraDoc doc{clock, prompt, debugLog, dir.File("Nimbra.ini")};

  void SetUp() override { doc.LoadSettings(); }

  std::string Add(const SystemTime& s, const SystemTime& e, int expected) {
    prompt.shown.clear();
    EXPECT_EQ(doc.AddSchedule(Entry(s, e)), expected);
    return prompt.shown.empty() ? std::string() : prompt.shown.back().text;
  }
};

TEST_F(AddSchedule, RefusalsInCheckOrder) {
  const char* kOrder = "設定した値のエラー。開始より終了が早い、または値が不正";
  const char* kInterval = "開始と終了の間隔を2分以上で設定してください";
  const char* kOverlap = "既存のスケジュールと重なっています";

  EXPECT_EQ(Add(At(2027, 1, 11, 10, 0), At(2027, 1, 11, 11, 0), 0), "");
  EXPECT_EQ(Add(At(2027, 1, 11, 12, 0), At(2027, 1, 11, 11, 0), -1), kOrder);
  EXPECT_EQ(Add(At(2026, 12, 31, 10, 0), At(2027, 1, 1, 11, 0), -1), kOrder);  // last year
  EXPECT_EQ(Add(At(2027, 1, 12, 10, 0), At(2027, 1, 12, 10, 0), -1), kInterval);
  EXPECT_EQ(Add(At(2027, 1, 12, 10, 0), At(2027, 1, 12, 10, 1, 59), -1), kInterval);
  EXPECT_EQ(Add(At(2027, 1, 11, 9, 0), At(2027, 1, 11, 10, 0), -1), kOverlap);
  EXPECT_EQ(Add(At(2027, 1, 11, 9, 0), At(2027, 1, 11, 9, 59, 59), 0), "");
  EXPECT_EQ(Add(At(2027, 1, 12, 10, 0), At(2027, 1, 12, 10, 2), 2), "");
  EXPECT_EQ(prompt.shown.size(), 0u);
  EXPECT_EQ(doc.Table().GetScheduleCount(), 3);
}

// Around the latest time a schedule can hold (2038-01-18 23:59:59 local; the
// 32-bit seconds end at 2038-01-19 12:14:07 in Japan): each side gets the
// same refusal and its own text, never the order's or the interval's.
TEST_F(AddSchedule, TimesPastTheLatestAreRefusedWithTheirOwnText) {
  const struct {
    SystemTime s, e;
    int expected;
  } cases[] = {
      {At(2038, 1, 18, 22, 0), At(2038, 1, 18, 23, 59, 59), 0},
      {At(2038, 1, 18, 23, 0), At(2038, 1, 19, 0, 0), -1},       // end one second past
      {At(2038, 1, 19, 13, 0), At(2038, 1, 19, 14, 0), -1},      // both past the 32-bit end
      {At(2038, 1, 19, 13, 0), At(2038, 1, 18, 23, 0), -1},      // start past, end before
      {At(2038, 1, 19, 10, 0), At(2038, 1, 19, 11, 0), -1},      // within 32 bits, past the limit
      {At(2106, 2, 7, 15, 28), At(2106, 2, 7, 15, 30), -1},      // past the unsigned end too
      {At(2027, 6, 1, 10, 0), At(2040, 6, 1, 10, 0), -1},
  };
  for (const auto& c : cases) {
    const std::string told = Add(c.s, c.e, c.expected);
    EXPECT_EQ(told, c.expected == -1 ? std::string(kTimeTooLateText) : std::string())
        << c.s.wYear << "-" << c.s.wMonth << "-" << c.s.wDay << " " << c.s.wHour;
  }
  EXPECT_EQ(doc.Table().GetScheduleCount(), 1);
}

TEST_F(AddSchedule, AFullTableSaysSoButStillGivesTheIndex) {
  for (int i = 0; i < 10; ++i)
    ASSERT_EQ(doc.AddSchedule(Entry(At(2027, 2, 1 + i, 10, 0), At(2027, 2, 1 + i, 11, 0))), i);
  EXPECT_EQ(Add(At(2027, 3, 1, 10, 0), At(2027, 3, 1, 11, 0), 10), "登録最大数を超えました。");
  EXPECT_EQ(prompt.shown.back().caption, "Nimbra");
  EXPECT_EQ(doc.Table().GetScheduleCount(), 10);
  // The overlap check comes first.
  EXPECT_EQ(Add(At(2027, 2, 1, 10, 30), At(2027, 2, 1, 11, 30), -1),
            "既存のスケジュールと重なっています");
}

TEST_F(AddSchedule, TheEntryKeepsTheStateItsCallerGives) {
  ScheduleEntry x = Entry(At(2027, 1, 11, 10, 0), At(2027, 1, 11, 11, 0));
  x.state = kStateFinished;
  ASSERT_EQ(doc.AddSchedule(x), 0);
  EXPECT_EQ(doc.Table().GetSchedule(0)->state, kStateFinished);
  ASSERT_EQ(doc.AddSchedule(Entry(At(2027, 1, 10, 13, 0), At(2027, 1, 10, 14, 0))), 0);
  EXPECT_EQ(doc.Table().GetSchedule(0)->state, kStateWaiting);
}

}  // namespace
