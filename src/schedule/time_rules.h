#pragma once
// Time conversion and the rules of one entry in time: validity, order, the
// minimum span, the next occurrence of a repeating entry. Every comparison of
// two times compares calendar seconds obtained through the local time zone
// with automatic daylight-saving detection. The table builds on these; the
// queries over the table are in table_queries.h.
#include <cstdint>

#include "platform/system_time.h"
#include "schedule/schedule_entry.h"

class IClock;

// Seconds since 1970-01-01 00:00 UTC of the local date-time st (day of week
// and milliseconds ignored; day numbers past the month's end roll over). An
// all-zero date gives 0; anything else that cannot be represented gives -1.
int32_t TimeToSeconds(const SystemTime& st);
// The local date-time of t, day of week included, milliseconds 0. False, and
// st untouched, when t cannot be converted (negative).
bool SecondsToTime(int64_t t, SystemTime* st);
void ClearTimeOfDay(SystemTime* st);
// Now as the user's clock shows it, converted like the schedules' own times.
// Every "has it started, has it ended" decision compares against this, so
// that both sides go through the same local-time conversion even where the C
// runtime's time zone and the system's disagree.
int64_t LocalSecondsNow(const IClock& clock);

// The latest date-time a schedule may use: 2038-01-18 23:59:59 local. Later
// ones do not fit the stored 32-bit seconds (from 2038-01-19 03:14:08 UTC
// on), and entries starting there are never current.
SystemTime LatestScheduleTime();
// True when st (valid fields) is a date-time a schedule can hold: not after
// LatestScheduleTime and convertible to seconds.
bool IsRepresentableTime(const SystemTime& st);
// What the user is told when a date-time lies past LatestScheduleTime.
extern const char* const kTimeTooLateText;

// Field ranges, and a year not before currentYear.
bool IsValidDateTime(const SystemTime& st, int currentYear);
bool IsValidOrder(const SystemTime& s, const SystemTime& e, int currentYear);
// The span has a day or hour part, or at least `minutes` minutes.
bool HasMinInterval(const SystemTime& s, const SystemTime& e, int minutes);

// Moves a repeating entry on to its next occurrence, or marks it finished
// when that lies after its period (or when it repeats on no weekday).
ScheduleEntry& NextOccurrence(ScheduleEntry& entry);

// The repeat methods: index -> weekday set (0 for "毎週", the user's choice).
constexpr int kRepeatMethodCount = 6;
int32_t MethodWeekdays(int method);
