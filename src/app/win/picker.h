#pragma once
// Date-time pickers and the schedule record's time type. SystemTime has the
// SYSTEMTIME layout, so values cross unchanged.
#include <windows.h>

#include <cstring>

#include "platform/system_time.h"
#include "schedule/time_rules.h"

static_assert(sizeof(SystemTime) == sizeof(SYSTEMTIME), "same layout");

inline SYSTEMTIME ToWin(const SystemTime& t) {
  SYSTEMTIME st;
  std::memcpy(&st, &t, sizeof st);
  return st;
}

inline SystemTime FromWin(const SYSTEMTIME& st) {
  SystemTime t;
  std::memcpy(&t, &st, sizeof t);
  return t;
}

// The picker's value as a local date-time (all zero when it has none).
inline SystemTime GetPickerTime(HWND picker) {
  SYSTEMTIME st{};
  if (SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) {
    st = SYSTEMTIME{};
  }
  return FromWin(st);
}

inline bool SetPickerTime(HWND picker, const SystemTime& t) {
  SYSTEMTIME st = ToWin(t);
  return SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st)) != 0;
}

// A date picker offers no day past the latest a schedule can hold, so that
// such a date cannot be picked (one typed or imported gets its own refusal
// text). A value already past it, from a hand-edited file, is left shown as
// it is, to be refused at OK rather than silently changed.
inline void LimitPickerToLatest(HWND picker) {
  if (!IsRepresentableTime(GetPickerTime(picker))) return;
  SYSTEMTIME range[2] = {{}, ToWin(LatestScheduleTime())};
  SendMessageW(picker, DTM_SETRANGE, GDTR_MAX, reinterpret_cast<LPARAM>(range));
}
