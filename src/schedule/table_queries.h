#pragma once
// The questions the document and the scheduler ask of the whole table: where
// a new entry fits, which entry is current, which one follows. Above both the
// table and the time rules.
#include "schedule/schedule_entry.h"

class ScheduleTable;

// Index at which entry fits between the table's windows, or -1 on overlap
// (touching windows overlap).
int FindInsertPos(const ScheduleTable& table, const ScheduleEntry& entry);
// The not-finished entry with the earliest start before 2038-01-18 23:59:59,
// lowest index on ties; -1 when none.
int FindCurrentSchedule(const ScheduleTable& table);
// The not-finished entry whose start is nearest after ref's end; -1 when none.
int FindNextSchedule(const ScheduleTable& table, const ScheduleEntry& ref);
