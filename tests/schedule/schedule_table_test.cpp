#include "schedule/schedule_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

bool AllZero(const ScheduleEntry& x) {
  static const ScheduleEntry zero{};
  return std::memcmp(&x, &zero, sizeof x) == 0;
}

std::string Titles(const ScheduleTable& t) {
  std::string out;
  for (int i = 0; i < t.GetScheduleCount(); ++i) out += t.GetSchedule(i)->title;
  return out;
}

TEST(ScheduleTable, AllocatesZeroedSlotsWithTheDefaultForNonPositiveCapacity) {
  ScheduleTable t;
  t.AllocScheduleTable(0);
  EXPECT_EQ(t.GetCapacity(), 10);
  t.AllocScheduleTable(-3);
  EXPECT_EQ(t.GetCapacity(), 10);
  t.AllocScheduleTable(2147483647);  // a hand-edited file must not stop every start
  EXPECT_EQ(t.GetCapacity(), ScheduleTable::kMaxCapacity);
  t.AllocScheduleTable(20);
  EXPECT_EQ(t.GetCapacity(), 20);
  EXPECT_EQ(t.GetScheduleCount(), 0);
  ASSERT_NE(t.GetSchedule(19), nullptr);  // slots beyond the count are reachable
  EXPECT_TRUE(AllZero(*t.GetSchedule(19)));
  EXPECT_EQ(t.GetSchedule(20), nullptr);
  EXPECT_EQ(t.GetSchedule(-1), nullptr);
}

TEST(ScheduleTable, InsertsShiftingUpAndDeletesShiftingDownLeavingZeroSlots) {
  ScheduleTable t;
  t.AllocScheduleTable(5);
  const SystemTime s = MakeSystemTime(2027, 1, 1, 10, 0);
  for (const char* title : {"A", "C", "E"}) t.InsertSchedule(t.GetScheduleCount(), s, s, title);
  t.InsertSchedule(1, s, s, "B");
  t.InsertSchedule(3, s, s, "D");
  EXPECT_EQ(Titles(t), "ABCDE");
  EXPECT_EQ(t.InsertSchedule(0, s, s, "X"), nullptr);  // full
  EXPECT_EQ(Titles(t), "ABCDE");

  t.DeleteSchedule(2);
  EXPECT_EQ(Titles(t), "ABDE");
  EXPECT_TRUE(AllZero(*t.GetSchedule(4)));
  t.DeleteSchedule(3);
  t.DeleteSchedule(0);
  t.DeleteSchedule(0);
  t.DeleteSchedule(0);
  EXPECT_EQ(t.GetScheduleCount(), 0);
  t.DeleteSchedule(0);  // nothing left: no effect
  EXPECT_EQ(t.GetScheduleCount(), 0);
}

TEST(ScheduleTable, FillsExactlyToTheLargestCapacityWithoutMovingItsSlots) {
  ScheduleTable t;
  t.AllocScheduleTable(ScheduleTable::kMaxCapacity);
  const SystemTime s = MakeSystemTime(2027, 1, 1, 10, 0);
  ScheduleEntry* first = t.InsertSchedule(0, s, s, "first");
  ASSERT_NE(first, nullptr);
  while (t.GetScheduleCount() < t.GetCapacity())
    ASSERT_NE(t.InsertSchedule(t.GetScheduleCount(), s, s, "x"), nullptr);
  EXPECT_EQ(t.InsertSchedule(0, s, s, "one too many"), nullptr);
  EXPECT_EQ(t.GetScheduleCount(), ScheduleTable::kMaxCapacity);
  EXPECT_EQ(first, t.GetSchedule(0));  // an address taken before the table grew
  EXPECT_STREQ(first->title, "first");

  t.AllocScheduleTable(3);  // a smaller table again starts empty, all zero
  const ScheduleTable& view = t;
  EXPECT_EQ(view.GetCapacity(), 3);
  ASSERT_NE(view.GetSchedule(2), nullptr);
  EXPECT_TRUE(AllZero(*view.GetSchedule(2)));
  EXPECT_EQ(view.GetSchedule(3), nullptr);
}

TEST(ScheduleTable, InsertEntryCopiesRepeatFieldsButNotState) {
  ScheduleTable t;
  t.AllocScheduleTable(3);
  ScheduleEntry x{};
  x.s = MakeSystemTime(2027, 1, 1, 10, 0);
  x.e = MakeSystemTime(2027, 1, 1, 11, 0);
  std::strcpy(x.title, "weekly");
  x.state = kStateFinished;
  x.loop = 1;
  x.loop_meth = 4;
  x.b_way = 62;
  x.kikan_f = 1;
  x.kikan_s = MakeSystemTime(2027, 1, 1);
  x.kikan_e = MakeSystemTime(2027, 3, 31);
  ScheduleEntry* slot = t.InsertScheduleEntry(0, x);
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(slot->state, 0);
  EXPECT_EQ(slot->loop_meth, 4);
  EXPECT_EQ(slot->b_way, 62);
  EXPECT_EQ(slot->kikan_e, MakeSystemTime(2027, 3, 31));
  EXPECT_STREQ(slot->title, "weekly");
}

TEST(ScheduleTable, CachedSecondsFollowChangesOfTheSlot) {
  ScheduleTable t;
  t.AllocScheduleTable(3);
  const SystemTime a = MakeSystemTime(2027, 1, 1, 10, 0);
  const SystemTime b = MakeSystemTime(2027, 1, 1, 12, 0);
  t.InsertSchedule(0, a, b, "x");
  const int32_t first = t.StartSeconds(0);
  t.GetSchedule(0)->s = b;  // changed in place, as the tick does
  EXPECT_EQ(t.StartSeconds(0) - first, 7200);
  t.InsertSchedule(0, a, a, "y");  // shifted: slot 1 now holds the old entry
  EXPECT_EQ(t.StartSeconds(1), first + 7200);
  EXPECT_EQ(t.StartSeconds(0), first);
}

TEST(CopyTitle, CutsLongTitlesWithoutSplittingACharacter) {
  char dest[kTitleSize];
  std::string ascii(600, 'a');
  CopyTitle(dest, ascii.c_str());
  EXPECT_EQ(std::strlen(dest), 511u);

  // 255 two-byte characters (510 bytes), then one more: 512 bytes. The last
  // character would end at byte 512 and is dropped whole.
  std::string sjis;
  for (int i = 0; i < 256; ++i) sjis += "\x83\x5c";  // "ソ", trail byte 0x5C
  CopyTitle(dest, sjis.c_str());
  EXPECT_EQ(std::strlen(dest), 510u);
  EXPECT_EQ(std::string(dest), sjis.substr(0, 510));

  std::string mixed = "a" + sjis;  // the cut falls after a whole character at 511
  CopyTitle(dest, mixed.c_str());
  EXPECT_EQ(std::strlen(dest), 511u);
}

}  // namespace
