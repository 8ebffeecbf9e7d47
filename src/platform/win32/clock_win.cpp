#include <windows.h>

#include <ctime>

#include "platform/clock.h"
#include "platform/local_time.h"

namespace {

class WinClock final : public IClock {
 public:
  SystemTime LocalNow() const override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return SystemTime{st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
                      st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
  }
  // The system's UTC clock itself, whatever zone the C runtime was told.
  int64_t SecondsNow() const override {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const int64_t ticks = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return ticks / 10000000LL - 11644473600LL;
  }
};

}  // namespace

IClock& SystemClock() {
  static WinClock clock;
  return clock;
}

bool LocalTimeOf(int64_t t, std::tm* out) {
  if (t < 0) return false;
  const __time64_t tt = t;
  return _localtime64_s(out, &tt) == 0;
}

int64_t MakeLocalSeconds(std::tm* local) { return static_cast<int64_t>(_mktime64(local)); }

void RefreshTimeZone() { _tzset(); }
