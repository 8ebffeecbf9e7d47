#include "schedule/table_queries.h"

#include <cstdint>
#include <limits>

#include "schedule/schedule_table.h"
#include "schedule/time_rules.h"

int FindInsertPos(const ScheduleTable& table, const ScheduleEntry& entry) {
  const int n = table.GetScheduleCount();
  if (n == 0) return 0;
  const int32_t newStart = TimeToSeconds(entry.s);
  const int32_t newEnd = TimeToSeconds(entry.e);
  if (newEnd < table.StartSeconds(0)) return 0;
  for (int i = 0; i + 1 < n; ++i) {
    if (table.EndSeconds(i) < newStart && newEnd < table.StartSeconds(i + 1)) return i + 1;
  }
  return table.EndSeconds(n - 1) >= newStart ? -1 : n;
}

int FindCurrentSchedule(const ScheduleTable& table) {
  int32_t best = table.CurrentLimitSeconds();
  int result = -1;
  const int n = table.GetScheduleCount();
  for (int i = 0; i < n; ++i) {
    if (table.GetSchedule(i)->state == kStateFinished) continue;
    const int32_t start = table.StartSeconds(i);
    if (start < best) {
      best = start;
      result = i;
    }
  }
  return result;
}

int FindNextSchedule(const ScheduleTable& table, const ScheduleEntry& ref) {
  int result = -1;
  uint32_t bestDiff = std::numeric_limits<uint32_t>::max();
  const int32_t refEnd = TimeToSeconds(ref.e);
  const int n = table.GetScheduleCount();
  for (int i = 0; i < n; ++i) {
    const int32_t start = table.StartSeconds(i);
    const uint32_t d = static_cast<uint32_t>(start) - static_cast<uint32_t>(refEnd);
    if (refEnd < start && table.GetSchedule(i)->state != kStateFinished && d < bestDiff) {
      result = i;
      bestDiff = d;
    }
  }
  return result;
}
