#pragma once
// What the notifications say about a window beyond its record: the journal's
// verdict on it (was the PC awake all through it, and if not, why) and the
// wake that follows, as the status line writes it.
#include <functional>
#include <string>

#include "boundary/nimbra_boundary.h"
#include "engine/journal_recorder.h"
#include "engine/wake_plan.h"

struct WindowVerdictFacts {
  bool judged = false;      // the journal knows the window
  bool fullyAwake = false;  // judged, and awake from its start to its end
  std::string verdict;      // "最後まで起動", "12秒遅れて開始", "見逃し" …
  std::string cause;        // "PCの電源が切れていたか、スリープ中でした"; "" when awake throughout
};

class IWindowFacts {
 public:
  virtual ~IWindowFacts() = default;
  // The journal's verdict on the window of entry, as far as it has been
  // journalled (called after the end or the miss is).
  virtual WindowVerdictFacts Verdict(const ScheduleEntry& entry) = 0;
  // The next wake ("12/24 20:59"), "" when none lies ahead.
  virtual std::string NextWake() = 0;
};

// The facts from the journal's events and the plan as it stands.
class CJournalWindowFacts final : public IWindowFacts {
 public:
  // journal: none when the program keeps none (nothing is judged then).
  CJournalWindowFacts(const CJournalRecorder* journal, std::function<WakePlan()> plan)
      : journal_(journal), plan_(std::move(plan)) {}

  WindowVerdictFacts Verdict(const ScheduleEntry& entry) override;
  std::string NextWake() override;

 private:
  const CJournalRecorder* journal_;
  std::function<WakePlan()> plan_;
};
