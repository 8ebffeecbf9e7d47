#include <ctime>

#include "platform/clock.h"
#include "platform/local_time.h"

namespace {

class PosixClock final : public IClock {
 public:
  SystemTime LocalNow() const override {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    LocalTimeOf(ts.tv_sec, &tm);
    SystemTime st{};
    st.wYear = static_cast<uint16_t>(tm.tm_year + 1900);
    st.wMonth = static_cast<uint16_t>(tm.tm_mon + 1);
    st.wDayOfWeek = static_cast<uint16_t>(tm.tm_wday);
    st.wDay = static_cast<uint16_t>(tm.tm_mday);
    st.wHour = static_cast<uint16_t>(tm.tm_hour);
    st.wMinute = static_cast<uint16_t>(tm.tm_min);
    st.wSecond = static_cast<uint16_t>(tm.tm_sec);
    st.wMilliseconds = static_cast<uint16_t>(ts.tv_nsec / 1000000);
    return st;
  }
  int64_t SecondsNow() const override { return static_cast<int64_t>(std::time(nullptr)); }
};

}  // namespace

IClock& SystemClock() {
  static PosixClock clock;
  return clock;
}

bool LocalTimeOf(int64_t t, std::tm* out) {
  const time_t tt = static_cast<time_t>(t);
  return localtime_r(&tt, out) != nullptr;
}

int64_t MakeLocalSeconds(std::tm* local) { return static_cast<int64_t>(mktime(local)); }

void RefreshTimeZone() { tzset(); }
