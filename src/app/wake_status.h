#pragma once
// What the program tells the user about waking: the one line that the status
// bar and the tray tip show, and the notices of problems that will stop the PC
// from waking, each told once.
#include <cstdint>
#include <set>
#include <string>

#include "engine/wake_readiness.h"
#include "platform/app_title.h"

// The scheduler's text (the next wake, or the staying awake), followed by
// the readiness when it needs attention.
std::string WakeStatusLine(const std::string& schedulerText, const WakeDiagnosis& diagnosis);

// The readiness checks' notices. A problem is told the first time a check
// finds it; later checks that find it again stay quiet, one that finds a new
// problem tells only that one.
class CReadinessNotices {
 public:
  // The paragraphs of the warnings and blockers not told before; "" when none.
  std::string Take(const WakeDiagnosis& diagnosis);

 private:
  std::set<std::string> told_;
};

class ScheduleTable;

// The question before the program ends while a schedule lies ahead: the wake
// timer goes with the program, so the PC will not wake for it. "" when no
// schedule is waiting or running at now (local seconds).
std::string CloseQuestion(const ScheduleTable& table, int64_t now);

// The caption of the notices and of the diagnosis dialog.
inline constexpr char kWakeDiagnosisCaption[] = NIMBRA_APP_TITLE " - 起動診断";
// The caption of the wake self-test's question and result.
inline constexpr char kWakeTestCaption[] = NIMBRA_APP_TITLE " - スリープ復帰テスト";
