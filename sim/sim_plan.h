#pragma once
// The schedules the simulated user keeps, as the user means them: the
// entries of a realistic table, and the windows each one stands for,
// worked out from wall-clock dates on their own (not by the program's rules).
#include <cstdint>
#include <string>
#include <vector>

#include "schedule/schedule_entry.h"

// What identifies an entry in the table whatever its current occurrence:
// title, times of day and repeat fields for a repeating entry; title and
// full times for a one-shot.
std::string EntryKey(const ScheduleEntry& entry);
// EntryKey with the current occurrence's start and end.
std::string OccurrenceKey(const ScheduleEntry& entry);
// "YYYY/MM/DD HH:MM:SS".
std::string Stamp(const SystemTime& t);

// The windows [start, end) in calendar seconds of every occurrence of entry
// that starts before until: the first start, then each later day whose
// weekday is in the set at the same wall-clock time, while that day is not
// after the period's end.
struct Span {
  int64_t start;
  int64_t end;
};
std::vector<Span> Occurrences(const ScheduleEntry& entry, int64_t until);

// Local date-time of calendar seconds t, day of week filled in.
SystemTime LocalTime(int64_t t);
// Calendar seconds of a local wall-clock time; days, hours and minutes past
// their range roll over.
int64_t WallSeconds(int year, int month, int day, int hour, int minute, int second = 0);

// A repeating entry as the repeat dialog makes it: the first start on the
// first day at or after from whose weekday is in weekdays, the end
// durationSeconds later, and a period ending periodDays after that day
// (no period when periodDays is 0).
ScheduleEntry RepeatingEntry(int method, int32_t weekdays, int64_t from, int hour, int minute,
                             int second, int durationSeconds, int periodDays);
ScheduleEntry OneShotEntry(const std::string& titleSjis, int64_t start, int64_t end);

// The table a user starts the year with, from the Monday at or after start:
// every repeat method (with and without a period), windows across midnight,
// windows one minute and thirty seconds apart, and one-shots.
std::vector<ScheduleEntry> InitialTable(int64_t start);
