#pragma once
// Date-time pickers and the schedule record's time type. SystemTime has the
// SYSTEMTIME layout, so values cross unchanged.
#include <windows.h>

#include <cstring>

#include "platform/system_time.h"

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
