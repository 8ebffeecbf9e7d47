#include "app/window_facts.h"

#include "engine/journal_verdict.h"
#include "platform/text.h"
#include "schedule/time_rules.h"

WindowVerdictFacts CJournalWindowFacts::Verdict(const ScheduleEntry& entry) {
  WindowVerdictFacts facts;
  if (!journal_) return facts;
  const int64_t start = TimeToSeconds(entry.s);
  const std::string title = SjisToUtf8(entry.title);
  const std::vector<JournalWindow> windows = AssembleWindows(journal_->Events());
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if (it->start != start || it->title != title) continue;
    const JournalVerdict verdict = JudgeWindow(*it);
    facts.judged = true;
    facts.fullyAwake = verdict.kind == VerdictKind::kFullyAwake;
    facts.verdict = VerdictHeadline(verdict);
    facts.cause = CauseText(verdict);
    break;
  }
  return facts;
}

std::string CJournalWindowFacts::NextWake() { return plan_ ? NextWakeText(plan_()) : ""; }
