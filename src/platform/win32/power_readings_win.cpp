// The Windows readings: the active power scheme's "Allow wake timers" value
// through powrprof, the sleep states through GetPwrCapabilities, and the
// power source through GetSystemPowerStatus.
#include <windows.h>

#include <powrprof.h>

#include <cstddef>
#include <cstdint>
#include <mutex>

#include "platform/debug_log.h"
#include "platform/power_readings.h"
#include "platform/win32/powrprof_function.h"
#include "platform/win32/system_cause_win.h"

namespace {

// The sleep subgroup, its "Allow wake timers" setting and its "System
// unattended sleep timeout".
constexpr GUID kSleepSubgroup = {
    0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
constexpr GUID kAllowWakeTimers = {
    0xbd3b718a, 0x0680, 0x4d9d, {0x8a, 0xb2, 0xe1, 0xd2, 0xb4, 0xac, 0x80, 0x6d}};
constexpr GUID kUnattendedSleep = {
    0x7bc4a2f9, 0xd8fc, 0x4469, {0xb0, 0x7b, 0x33, 0xeb, 0x78, 0x5a, 0xac, 0xa0}};

using GetActiveSchemeFn = DWORD(WINAPI*)(HKEY, GUID**);
using ReadValueIndexFn = DWORD(WINAPI*)(HKEY, const GUID*, const GUID*, const GUID*, LPDWORD);

// The scheme's calls, resolved once; a missing one reads as unknown.
struct SchemeCalls {
  GetActiveSchemeFn active = PowrprofFunction<GetActiveSchemeFn>("PowerGetActiveScheme");
  ReadValueIndexFn readAc = PowrprofFunction<ReadValueIndexFn>("PowerReadACValueIndex");
  ReadValueIndexFn readDc = PowrprofFunction<ReadValueIndexFn>("PowerReadDCValueIndex");
};
const SchemeCalls& Scheme() {
  static const SchemeCalls calls;
  return calls;
}

// The headers here name the bytes after FastSystemS4 spare; the system puts
// Hiberboot, WakeAlarmPresent and AoAc (low-power idle instead of S3) there.
constexpr size_t kAoAcOffset = 0x14;
static_assert(offsetof(SYSTEM_POWER_CAPABILITIES, FastSystemS4) == 0x11,
              "capabilities layout differs from the system's");
static_assert(offsetof(SYSTEM_POWER_CAPABILITIES, SystemBatteriesPresent) == 0x1e,
              "capabilities layout differs from the system's");

// The policy's owner frees the scheme GUID with LocalFree.
struct LocalGuid {
  GUID* p = nullptr;
  ~LocalGuid() {
    if (p) LocalFree(p);
  }
};

// The first failed call of a reading: its name and the system's number.
struct Failure {
  const char* call = nullptr;
  DWORD error = ERROR_SUCCESS;
  bool operator==(const Failure& o) const { return call == o.call && error == o.error; }
};

// The scheme's two readings: "Allow wake timers" and the unattended sleep.
struct SchemeFailures {
  Failure wakeTimers;
  Failure unattended;
};

SchemeFailures ReadScheme(PowerReadings& r) {
  const SchemeCalls& calls = Scheme();
  if (!calls.active || !calls.readAc || !calls.readDc) {
    const Failure missing{"powrprof", ERROR_PROC_NOT_FOUND};
    return {missing, missing};
  }
  LocalGuid scheme;
  DWORD error = calls.active(nullptr, &scheme.p);
  if (error != ERROR_SUCCESS || !scheme.p) {
    const Failure failed{"PowerGetActiveScheme", error != ERROR_SUCCESS ? error : ERROR_INVALID_DATA};
    return {failed, failed};
  }
  SchemeFailures failed;
  DWORD value = 0;
  error = calls.readAc(nullptr, scheme.p, &kSleepSubgroup, &kAllowWakeTimers, &value);
  if (error == ERROR_SUCCESS)
    r.wakeTimersAc = WakeTimerPolicyFromValue(value);
  else
    failed.wakeTimers = {"PowerReadACValueIndex", error};
  value = 0;
  error = calls.readDc(nullptr, scheme.p, &kSleepSubgroup, &kAllowWakeTimers, &value);
  if (error == ERROR_SUCCESS)
    r.wakeTimersDc = WakeTimerPolicyFromValue(value);
  else if (!failed.wakeTimers.call)
    failed.wakeTimers = {"PowerReadDCValueIndex", error};
  // Reading only: the program never changes a power setting.
  value = 0;
  error = calls.readAc(nullptr, scheme.p, &kSleepSubgroup, &kUnattendedSleep, &value);
  if (error == ERROR_SUCCESS && value <= INT32_MAX)
    r.unattendedSleepAc = static_cast<int32_t>(value);
  else
    failed.unattended = {"PowerReadACValueIndex(unattended)",
                         error != ERROR_SUCCESS ? error : ERROR_INVALID_DATA};
  value = 0;
  error = calls.readDc(nullptr, scheme.p, &kSleepSubgroup, &kUnattendedSleep, &value);
  if (error == ERROR_SUCCESS && value <= INT32_MAX)
    r.unattendedSleepDc = static_cast<int32_t>(value);
  else if (!failed.unattended.call)
    failed.unattended = {"PowerReadDCValueIndex(unattended)",
                         error != ERROR_SUCCESS ? error : ERROR_INVALID_DATA};
  return failed;
}

Failure ReadCapabilities(PowerReadings& r) {
  SYSTEM_POWER_CAPABILITIES caps{};
  SetLastError(ERROR_SUCCESS);
  if (!GetPwrCapabilities(&caps)) {
    const DWORD error = GetLastError();
    return {"GetPwrCapabilities", error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE};
  }
  r.capabilitiesRead = true;
  r.standbyS1 = caps.SystemS1 != FALSE;
  r.standbyS2 = caps.SystemS2 != FALSE;
  r.standbyS3 = caps.SystemS3 != FALSE;
  r.hibernateS4 = caps.SystemS4 != FALSE;
  r.hiberFilePresent = caps.HiberFilePresent != FALSE;
  r.modernStandby = reinterpret_cast<const BYTE*>(&caps)[kAoAcOffset] != 0;
  r.hasBattery = caps.SystemBatteriesPresent != FALSE;
  return {};
}

void ReadSource(PowerReadings& r) {
  SYSTEM_POWER_STATUS status{};
  if (!GetSystemPowerStatus(&status)) return;
  if (status.ACLineStatus == 1)
    r.source = PowerSource::kMains;
  else if (status.ACLineStatus == 0)
    r.source = PowerSource::kBattery;
  // 128: no system battery; 255: unknown.
  if (status.BatteryFlag != 255 && (status.BatteryFlag & 128) == 0) r.hasBattery = true;
}

class Win32PowerReadings final : public IPowerReadings {
 public:
  explicit Win32PowerReadings(CDebugLog& log) : log_(log) {}

  PowerReadings Read() const override {
    PowerReadings r;
    const SchemeFailures scheme = ReadScheme(r);
    r.schemeCause = Cause(scheme.wakeTimers, schemeLogged_);
    r.unattendedCause = Cause(scheme.unattended, unattendedLogged_);
    r.capabilitiesCause = Cause(ReadCapabilities(r), capabilitiesLogged_);
    ReadSource(r);
    return r;
  }

 private:
  // The readings are taken again and again: a failure goes to the log when
  // it differs from the one logged last.
  SystemCause Cause(const Failure& failed, Failure& logged) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failed == logged) return SystemCauseOf(failed.error);
    logged = failed;
    return failed.call ? LogSystemCause(log_, failed.call, failed.error) : SystemCause::kNone;
  }

  CDebugLog& log_;
  mutable std::mutex mutex_;
  mutable Failure schemeLogged_;
  mutable Failure unattendedLogged_;
  mutable Failure capabilitiesLogged_;
};

}  // namespace

std::unique_ptr<IPowerReadings> MakeSystemPowerReadings(CDebugLog& log) {
  return std::make_unique<Win32PowerReadings>(log);
}
