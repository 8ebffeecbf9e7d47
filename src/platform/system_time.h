#pragma once
// A local calendar time in exactly the layout of the Windows SYSTEMTIME
// structure: eight 16-bit fields. It crosses into the plug-in and the mail
// library byte for byte inside the schedule record, so the record itself is
// plain C (the boundary header includes it); the helpers are C++ only.
#include <stdint.h>

typedef struct SystemTime {
  uint16_t wYear;
  uint16_t wMonth;
  uint16_t wDayOfWeek;  // 0 Sunday ... 6 Saturday
  uint16_t wDay;
  uint16_t wHour;
  uint16_t wMinute;
  uint16_t wSecond;
  uint16_t wMilliseconds;
} SystemTime;

#ifndef __cplusplus
_Static_assert(sizeof(SystemTime) == 16, "SystemTime must keep the SYSTEMTIME layout");
#else
static_assert(sizeof(SystemTime) == 16, "SystemTime must keep the SYSTEMTIME layout");

inline bool operator==(const SystemTime& a, const SystemTime& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDayOfWeek == b.wDayOfWeek &&
         a.wDay == b.wDay && a.wHour == b.wHour && a.wMinute == b.wMinute &&
         a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}
inline bool operator!=(const SystemTime& a, const SystemTime& b) { return !(a == b); }

// Builds a time from its date and time of day; day of week and milliseconds 0.
constexpr SystemTime MakeSystemTime(int year, int month, int day, int hour = 0, int minute = 0,
                                    int second = 0) {
  return SystemTime{static_cast<uint16_t>(year),   static_cast<uint16_t>(month), 0,
                    static_cast<uint16_t>(day),    static_cast<uint16_t>(hour),
                    static_cast<uint16_t>(minute), static_cast<uint16_t>(second), 0};
}
#endif
