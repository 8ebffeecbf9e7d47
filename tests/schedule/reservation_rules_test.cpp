// The reservation dialog's values and its date-and-time composition.
#include <gtest/gtest.h>

#include "schedule/reservation_rules.h"

namespace {

TEST(Reservation, ComposesTheDateOfOnePickerWithTheTimeOfTheOther) {
  const SystemTime date{2030, 5, 3, 3, 23, 59, 59, 0};
  const SystemTime time{2001, 1, 1, 1, 21, 0, 35, 0};
  EXPECT_EQ(ComposeDateTime(date, time), (SystemTime{2030, 5, 3, 3, 21, 0, 35, 0}));
}

TEST(Reservation, NewValuesAndTheTitleLimit) {
  const SystemTime now{2030, 5, 1, 3, 12, 0, 0, 0};
  const ReservationValues v = NewReservationValues(now);
  EXPECT_EQ(v.m_start, now);
  EXPECT_EQ(v.m_end, now);
  EXPECT_EQ(v.m_title, "");
  EXPECT_TRUE(IsReservationTitleValid(std::string(256, 'a')));
  EXPECT_FALSE(IsReservationTitleValid(std::string(257, 'a')));
}

TEST(Reservation, TheEntryIsOneShotAndWaiting) {
  ReservationValues v;
  v.m_start = {2030, 5, 1, 3, 12, 0, 0, 0};
  v.m_end = {2030, 5, 1, 3, 13, 0, 0, 0};
  v.m_title = std::string(600, 'x');
  const ScheduleEntry x = EntryFromReservation(v);
  EXPECT_EQ(x.s, v.m_start);
  EXPECT_EQ(x.state, 0);
  EXPECT_EQ(x.loop, 0);
  EXPECT_EQ(std::string(x.title), std::string(511, 'x'));
}

}  // namespace
