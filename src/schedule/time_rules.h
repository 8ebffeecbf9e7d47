#pragma once
// The rules that give the schedule table its meaning in time. Every
// comparison of two times compares calendar seconds obtained through the
// local time zone with automatic daylight-saving detection.
#include <cstdint>

#include "platform/system_time.h"
#include "schedule/schedule_entry.h"

class ScheduleTable;

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

// Index at which entry fits between the table's windows, or -1 on overlap
// (touching windows overlap).
int FindInsertPos(const ScheduleTable& table, const ScheduleEntry& entry);
// The not-finished entry with the earliest start before 2038-01-18 23:59:59,
// lowest index on ties; -1 when none.
int FindCurrentSchedule(const ScheduleTable& table);
// The not-finished entry whose start is nearest after ref's end; -1 when none.
int FindNextSchedule(const ScheduleTable& table, const ScheduleEntry& ref);
// Moves a repeating entry on to its next occurrence, or marks it finished
// when that lies after its period (or when it repeats on no weekday).
ScheduleEntry& NextOccurrence(ScheduleEntry& entry);

// The repeat methods: index -> weekday set (0 for "毎週", the user's choice).
constexpr int kRepeatMethodCount = 6;
int32_t MethodWeekdays(int method);
