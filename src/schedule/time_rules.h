#pragma once
// Time conversion and the rules of one entry in time: validity, order, the
// minimum span, the next occurrence of a repeating entry. Every comparison of
// two times compares calendar seconds obtained through the local time zone
// with automatic daylight-saving detection. The table builds on these; the
// queries over the table are in table_queries.h.
#include <cstdint>

#include "platform/system_time.h"
#include "schedule/schedule_entry.h"

// Seconds since 1970-01-01 00:00 UTC of the local date-time st (day of week
// and milliseconds ignored; day numbers past the month's end roll over). An
// all-zero date gives 0; anything else that cannot be represented gives -1.
int32_t TimeToSeconds(const SystemTime& st);
// The local date-time of t, day of week included, milliseconds 0. False, and
// st untouched, when t cannot be converted (negative).
bool SecondsToTime(int64_t t, SystemTime* st);
void ClearTimeOfDay(SystemTime* st);

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
