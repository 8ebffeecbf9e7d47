#pragma once
// The reservation dialog ("スケジュール予約") in portable terms: the values it
// edits and the rule that builds one date-time from a date picker and a time
// picker. The dialog checks nothing about the times; the document's add
// operation does, and the caller shows the dialog again with the same values
// when the entry is refused.
#include <cstddef>
#include <string>

#include "platform/system_time.h"
#include "schedule/schedule_entry.h"

// The title box takes at most this many bytes of Shift-JIS.
constexpr size_t kReservationTitleLimit = 256;

// What the dialog shows when it opens and holds after OK.
struct ReservationValues {
  SystemTime m_start{};  // local start: the start-date and start-time pickers
  SystemTime m_end{};    // local end: the end-date and end-time pickers
  std::string m_title;   // Shift-JIS title, at most kReservationTitleLimit bytes
};

// A new schedule: start and end both now, the title empty.
ReservationValues NewReservationValues(const SystemTime& now);
// The values of an existing entry (start, end and title).
ReservationValues ReservationValuesFor(const ScheduleEntry& entry);

// One date-time from two pickers: year, month, day of week, day and
// milliseconds of date; hour, minute and second of time. Seconds are kept.
SystemTime ComposeDateTime(const SystemTime& date, const SystemTime& time);

// The title box's check on OK: true when title fits the limit. A longer
// title keeps the dialog open with the framework's "too many characters"
// message.
bool IsReservationTitleValid(const std::string& title);

// The one-shot entry a confirmed dialog stands for: every other field zero
// (state waiting), the title cut to what the record holds.
ScheduleEntry EntryFromReservation(const ReservationValues& values);
