#include "schedule/reservation_rules.h"

#include "schedule/schedule_table.h"

ReservationValues NewReservationValues(const SystemTime& now) {
  ReservationValues v;
  v.m_start = now;
  v.m_end = now;
  return v;
}

ReservationValues ReservationValuesFor(const ScheduleEntry& entry) {
  ReservationValues v;
  v.m_start = entry.s;
  v.m_end = entry.e;
  v.m_title = entry.title;
  return v;
}

SystemTime ComposeDateTime(const SystemTime& date, const SystemTime& time) {
  SystemTime t = date;
  t.wHour = time.wHour;
  t.wMinute = time.wMinute;
  t.wSecond = time.wSecond;
  return t;
}

bool IsReservationTitleValid(const std::string& title) {
  return title.size() <= kReservationTitleLimit;
}

ScheduleEntry EntryFromReservation(const ReservationValues& values) {
  ScheduleEntry entry{};
  entry.s = values.m_start;
  entry.e = values.m_end;
  CopyTitle(entry.title, values.m_title.c_str());
  return entry;
}
