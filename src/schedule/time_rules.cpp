#include "schedule/time_rules.h"

#include <cstdint>
#include <ctime>
#include <limits>

#include "platform/clock.h"
#include "platform/local_time.h"

int32_t TimeToSeconds(const SystemTime& st) {
  if (st.wYear == 0 && st.wMonth == 0 && st.wDay == 0) return 0;
  if (st.wYear < 1970) return -1;
  std::tm tm{};
  tm.tm_year = st.wYear - 1900;
  tm.tm_mon = st.wMonth - 1;
  tm.tm_mday = st.wDay;
  tm.tm_hour = st.wHour;
  tm.tm_min = st.wMinute;
  tm.tm_sec = st.wSecond;
  tm.tm_isdst = -1;
  const int64_t t = MakeLocalSeconds(&tm);
  if (t < 0 || t > std::numeric_limits<int32_t>::max()) return -1;
  return static_cast<int32_t>(t);
}

bool SecondsToTime(int64_t t, SystemTime* st) {
  if (t < 0) return false;
  std::tm tm{};
  if (!LocalTimeOf(t, &tm)) return false;
  st->wYear = static_cast<uint16_t>(tm.tm_year + 1900);
  st->wMonth = static_cast<uint16_t>(tm.tm_mon + 1);
  st->wDayOfWeek = static_cast<uint16_t>(tm.tm_wday);
  st->wDay = static_cast<uint16_t>(tm.tm_mday);
  st->wHour = static_cast<uint16_t>(tm.tm_hour);
  st->wMinute = static_cast<uint16_t>(tm.tm_min);
  st->wSecond = static_cast<uint16_t>(tm.tm_sec);
  st->wMilliseconds = 0;
  return true;
}

int64_t LocalSecondsNow(const IClock& clock) { return TimeToSeconds(clock.LocalNow()); }

const char* const kTimeTooLateText =
    "2038年1月19日以降の日時は扱えません。\n2038年1月18日 23:59:59 までの日時を設定してください。";

SystemTime LatestScheduleTime() { return MakeSystemTime(2038, 1, 18, 23, 59, 59); }

bool IsRepresentableTime(const SystemTime& st) {
  // The fields decide first, so the limit does not move with the zone; in
  // zones west of UTC the conversion can fail a little earlier still.
  const SystemTime last = LatestScheduleTime();
  const uint16_t a[] = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
  const uint16_t b[] = {last.wYear, last.wMonth, last.wDay, last.wHour, last.wMinute, last.wSecond};
  for (size_t i = 0; i < sizeof a / sizeof a[0]; ++i) {
    if (a[i] != b[i]) {
      if (a[i] > b[i]) return false;
      break;
    }
  }
  return TimeToSeconds(st) >= 0;
}

void ClearTimeOfDay(SystemTime* st) {
  st->wHour = 0;
  st->wMinute = 0;
  st->wSecond = 0;
  st->wMilliseconds = 0;
}

bool IsValidDateTime(const SystemTime& st, int currentYear) {
  return st.wDay >= 1 && st.wDay <= 31 && st.wHour <= 23 && st.wMinute <= 59 && st.wMonth >= 1 &&
         st.wMonth <= 12 && st.wSecond <= 59 && st.wYear >= currentYear;
}

bool IsValidOrder(const SystemTime& s, const SystemTime& e, int currentYear) {
  return TimeToSeconds(s) <= TimeToSeconds(e) && IsValidDateTime(s, currentYear) &&
         IsValidDateTime(e, currentYear);
}

bool HasMinInterval(const SystemTime& s, const SystemTime& e, int minutes) {
  // In 64 bits: the span of two 32-bit seconds (one of them -1 for a time
  // that cannot be represented) does not always fit 32.
  const int64_t span = int64_t{TimeToSeconds(e)} - TimeToSeconds(s);
  const int64_t days = span / 86400;
  const int64_t hours = span / 3600 - days * 24;
  const int64_t mins = span / 60 - (span / 3600) * 60;
  return days != 0 || hours != 0 || mins >= minutes;
}

ScheduleEntry& NextOccurrence(ScheduleEntry& entry) {
  if (entry.loop == 0) return entry;
  // The weekday comes from the date itself, whatever the record's own field says.
  SystemTime start = entry.s;
  SecondsToTime(TimeToSeconds(entry.s), &start);
  const int w = start.wDayOfWeek % 7;
  int d = 0;
  for (int step = 1; step <= 7; ++step) {
    if (entry.b_way & (1 << ((w + step) % 7))) {
      d = step;
      break;
    }
  }
  if (d == 0) {
    // Repeats on no weekday (only a hand-edited file can say so): nothing
    // follows, so the entry ends here rather than guessing a day.
    entry.state = kStateFinished;
    return entry;
  }
  const int64_t newStart = static_cast<int64_t>(TimeToSeconds(entry.s)) + d * 86400;
  const int64_t newEnd = static_cast<int64_t>(TimeToSeconds(entry.e)) + d * 86400;
  // An occurrence past the latest time a schedule can hold does not come:
  // the series ends with the last one that fits.
  SystemTime nextEnd{};
  if (!SecondsToTime(newEnd, &nextEnd) || !IsRepresentableTime(nextEnd)) {
    entry.state = kStateFinished;
    return entry;
  }
  if (entry.kikan_f) {
    SystemTime day{};
    if (SecondsToTime(newStart, &day)) {
      ClearTimeOfDay(&day);
      if (TimeToSeconds(day) > TimeToSeconds(entry.kikan_e)) {
        entry.state = kStateFinished;
        return entry;
      }
    }
  }
  entry.state = kStateWaiting;
  SecondsToTime(newStart, &entry.s);
  SecondsToTime(newEnd, &entry.e);
  return entry;
}

int32_t MethodWeekdays(int method) {
  static const int32_t kSets[kRepeatMethodCount] = {0, 127, 42, 20, 62, 65};
  return (method >= 0 && method < kRepeatMethodCount) ? kSets[method] : 0;
}
