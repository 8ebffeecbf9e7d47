#include "sim/sim_plan.h"

#include <cstdio>
#include <cstring>

#include "platform/text.h"
#include "schedule/repeat_rules.h"
#include "schedule/schedule_table.h"
#include "schedule/time_rules.h"

namespace {

constexpr int64_t kDay = 86400;

std::string Hms(const SystemTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond);
  return text;
}

// Midnight of the day of t.
int64_t DayOf(int64_t t) {
  const SystemTime d = LocalTime(t);
  return WallSeconds(d.wYear, d.wMonth, d.wDay, 0, 0);
}

}  // namespace

std::string Stamp(const SystemTime& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%04u/%02u/%02u ", t.wYear, t.wMonth, t.wDay);
  return text + Hms(t);
}

SystemTime LocalTime(int64_t t) {
  SystemTime st{};
  SecondsToTime(t, &st);
  return st;
}

int64_t WallSeconds(int year, int month, int day, int hour, int minute, int second) {
  return TimeToSeconds(MakeSystemTime(year, month, day + hour / 24, hour % 24, minute, second));
}

std::string EntryKey(const ScheduleEntry& e) {
  std::string key(e.title, strnlen(e.title, kTitleSize));
  // The settings file keeps values trimmed, titles included.
  while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
  while (!key.empty() && (key.front() == ' ' || key.front() == '\t')) key.erase(0, 1);
  if (!e.loop) return key + "|" + Stamp(e.s) + "|" + Stamp(e.e);
  char fields[96];
  std::snprintf(fields, sizeof fields, "|%d|%d|%d|", e.loop_meth, e.b_way, e.kikan_f);
  return key + "|" + Hms(e.s) + "|" + Hms(e.e) + fields + (e.kikan_f ? Stamp(e.kikan_e) : "");
}

std::string OccurrenceKey(const ScheduleEntry& e) {
  return EntryKey(e) + "@" + Stamp(e.s) + "-" + Stamp(e.e);
}

std::vector<Span> Occurrences(const ScheduleEntry& e, int64_t until) {
  std::vector<Span> out;
  const int64_t first = TimeToSeconds(e.s);
  const int64_t duration = TimeToSeconds(e.e) - first;
  if (!e.loop) {
    if (first < until) out.push_back({first, first + duration});
    return out;
  }
  const int64_t periodEnd = e.kikan_f ? TimeToSeconds(e.kikan_e) : INT64_MAX;
  for (int k = 0;; ++k) {
    const int64_t start =
        WallSeconds(e.s.wYear, e.s.wMonth, e.s.wDay + k, e.s.wHour, e.s.wMinute, e.s.wSecond);
    if (start < 0 || start >= until) break;
    if (k > 0 && DayOf(start) > periodEnd) break;
    const SystemTime day = LocalTime(start);
    if (k == 0 || (e.b_way & (1 << day.wDayOfWeek))) out.push_back({start, start + duration});
  }
  return out;
}

ScheduleEntry RepeatingEntry(int method, int32_t weekdays, int64_t from, int hour, int minute,
                             int second, int durationSeconds, int periodDays) {
  int64_t day = DayOf(from);
  while (!(weekdays & (1 << LocalTime(day).wDayOfWeek))) day = DayOf(day + kDay + 3600);
  const SystemTime d = LocalTime(day);
  const int64_t start = WallSeconds(d.wYear, d.wMonth, d.wDay, hour, minute, second);
  ScheduleEntry e{};
  SecondsToTime(start, &e.s);
  SecondsToTime(start + durationSeconds, &e.e);
  SystemTime periodStart = LocalTime(day), periodEnd{};
  if (periodDays > 0) {
    periodEnd = LocalTime(WallSeconds(d.wYear, d.wMonth, d.wDay + periodDays, 0, 0));
  } else {
    periodStart = SystemTime{};
  }
  SetRepeatFields(&e, 1, method, weekdays, periodDays > 0 ? 1 : 0, periodStart, periodEnd);
  CopyTitle(e.title, RepeatTitleSjis(method, weekdays).c_str());
  return e;
}

ScheduleEntry OneShotEntry(const std::string& titleSjis, int64_t start, int64_t end) {
  ScheduleEntry e{};
  SecondsToTime(start, &e.s);
  SecondsToTime(end, &e.e);
  CopyTitle(e.title, titleSjis.c_str());
  return e;
}

std::vector<ScheduleEntry> InitialTable(int64_t start) {
  int64_t monday = DayOf(start);
  while (LocalTime(monday).wDayOfWeek != 1) monday = DayOf(monday + kDay + 3600);
  const SystemTime m = LocalTime(monday);
  auto at = [&m](int day, int hour, int minute) {
    return WallSeconds(m.wYear, m.wMonth, m.wDay + day, hour, minute);
  };
  constexpr int32_t kWednesday = 1 << 3, kFriday = 1 << 5, kSunday = 1 << 0;
  std::vector<ScheduleEntry> t = {
      RepeatingEntry(1, MethodWeekdays(1), monday, 6, 55, 0, 35 * 60, 0),
      // Across midnight, for a season.
      RepeatingEntry(1, MethodWeekdays(1), monday, 23, 45, 0, 35 * 60, 75),
      RepeatingEntry(2, MethodWeekdays(2), monday, 21, 0, 0, 54 * 60, 0),
      // One minute after the Monday/Wednesday/Friday one on Wednesdays...
      RepeatingEntry(0, kWednesday, monday, 21, 55, 0, 55 * 60, 200),
      // ...and thirty seconds after it on Fridays.
      RepeatingEntry(0, kFriday, monday, 21, 54, 30, 35 * 60 + 30, 0),
      RepeatingEntry(3, MethodWeekdays(3), monday, 20, 0, 0, 54 * 60, 120),
      RepeatingEntry(4, MethodWeekdays(4), monday, 18, 0, 0, 30 * 60, 150),
      RepeatingEntry(5, MethodWeekdays(5), monday, 9, 0, 0, 60 * 60, 0),
      RepeatingEntry(0, kSunday, monday, 1, 0, 0, 90 * 60, 0),
      OneShotEntry(Utf8ToSjis("映画 前編"), at(2, 13, 0), at(2, 16, 0)),
      OneShotEntry(Utf8ToSjis("深夜アニメ"), at(4, 0, 25), at(4, 0, 55)),
      OneShotEntry("Live 2h", at(5, 19, 0), at(5, 20, 59)),
      OneShotEntry(Utf8ToSjis("ドキュメンタリー"), at(8, 22, 0), at(8, 23, 30)),
      OneShotEntry(Utf8ToSjis("映画 後編"), at(9, 13, 0), at(9, 16, 0)),
      OneShotEntry(Utf8ToSjis("特番"), at(12, 14, 30), at(12, 15, 0)),
  };
  return t;
}
