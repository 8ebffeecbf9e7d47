// The measure: every window the user's table stands for, against the PC
// clock's awake stretches, with the cause of each shortfall. Whether a window
// was fully awake is the program's own journal verdict on the same stretches.
#include <algorithm>
#include <string>
#include <vector>

#include "engine/journal_verdict.h"
#include "platform/text.h"
#include "sim/world.h"

namespace sim {

Shortfall Cause(const Outage& o, const Outage* before, const Due& w, int64_t leadMs) {
  switch (o.kind) {
    case Outage::kResuming:
      // A sleep that began after the lead had no time left to wake early.
      if (before && before->kind == Outage::kAsleep && before->to == o.from &&
          before->from >= w.start - leadMs && before->from < w.start)
        return before->by == Sleeper::kProgram ? Shortfall::kProgramSleep : Shortfall::kSleptInLead;
      return Shortfall::kResumeDelay;
    case Outage::kJumped:
      return Shortfall::kClockJump;
    case Outage::kAsleep:
      break;
  }
  const bool inside = o.from >= w.start && o.from < w.end;
  switch (o.by) {
    case Sleeper::kProgram:
      return inside ? Shortfall::kProgramSleep : Shortfall::kTimerLate;
    case Sleeper::kUser:
      return inside ? Shortfall::kUserSuspend : Shortfall::kTimerLate;
    case Sleeper::kForeign:
    case Sleeper::kUnattended:
      if (inside)
        return o.by == Sleeper::kForeign ? Shortfall::kForeignSleep : Shortfall::kUnattendedInside;
      if (o.timerAt) return Shortfall::kTimerLate;
      return o.armFailed ? Shortfall::kArmFailed : Shortfall::kNoTimerForeign;
  }
  return Shortfall::kTimerLate;
}

namespace {

// The window as the program's journal would hold it: whole seconds, a start
// seen in the second after the first awake moment, every gap after it an outage.
JournalWindow AsJournalWindow(const Due& w, int64_t firstAwake,
                              const std::vector<std::pair<int64_t, int64_t>>& gaps) {
  auto down = [](int64_t ms) { return ms >= 0 ? ms / kSecond : -((-ms + kSecond - 1) / kSecond); };
  auto up = [&](int64_t ms) { return -down(-ms); };
  JournalWindow j;
  j.start = down(w.start);
  j.end = j.start + up(w.end - w.start);
  if (firstAwake != kNever) j.seenAt = j.start + up(firstAwake - w.start);
  for (const auto& g : gaps)
    if (firstAwake != kNever && g.first >= firstAwake)
      j.outages.push_back({j.start + down(g.first - w.start), j.start + up(g.second - w.start),
                           JournalOutage::kSleptByOther});
  return j;
}

}  // namespace

void Simulation::Measure() {
  // The PC clock's awake stretches, merged (a backward jump covers some twice).
  std::sort(awake_.begin(), awake_.end());
  std::vector<std::pair<int64_t, int64_t>> merged;
  for (const auto& a : awake_) {
    if (!merged.empty() && a.first <= merged.back().second)
      merged.back().second = std::max(merged.back().second, a.second);
    else
      merged.push_back(a);
  }
  for (Due& w : due_) {
    if (w.start < startMs_ || w.end > endMs_ || w.gaveWay) continue;
    ++report_.windowsDue;
    // The uncovered pieces of the window.
    std::vector<std::pair<int64_t, int64_t>> gaps;
    int64_t at = w.start;
    int64_t firstAwake = kNever;
    auto it = std::upper_bound(merged.begin(), merged.end(), std::make_pair(w.start, kNever));
    if (it != merged.begin()) --it;
    for (; it != merged.end() && it->first < w.end; ++it) {
      if (it->second <= at) continue;
      if (it->first > at) gaps.push_back({at, it->first});
      firstAwake = std::min(firstAwake, std::max(it->first, w.start));
      at = std::max(at, it->second);
    }
    if (at < w.end) gaps.push_back({at, w.end});
    const VerdictKind verdict = JudgeWindow(AsJournalWindow(w, firstAwake, gaps)).kind;
    const VerdictKind own = gaps.empty()                ? VerdictKind::kFullyAwake
                            : firstAwake == kNever      ? VerdictKind::kMissed
                            : firstAwake > w.start      ? VerdictKind::kLate
                                                        : VerdictKind::kInterrupted;
    if (verdict != own) ++report_.journalDisagreements;
    if (verdict == VerdictKind::kFullyAwake) {
      ++report_.fullyAwake;
      continue;
    }
    if (firstAwake == kNever) {
      ++report_.missedEntirely;
    } else if (firstAwake > w.start) {
      ++report_.lateStarts;
      report_.worstLateSeconds =
          std::max(report_.worstLateSeconds, (firstAwake - w.start + kSecond - 1) / kSecond);
    }
    unsigned causes = 0;
    const Planned& p = planned_[static_cast<size_t>(w.planned)];
    if (p.lostAt <= w.start)
      causes |= 1u << static_cast<int>(p.lostWithSave ? Shortfall::kLostWithSave : Shortfall::kEntryGone);
    else if (p.stoppedAt <= w.start)
      causes |= 1u << static_cast<int>(p.stoppedAtLoad ? Shortfall::kLoadedFinished
                                                       : Shortfall::kEntryGone);
    if (!causes) {
      for (const auto& g : gaps) {
        bool explained = false;
        for (size_t k = 0; k < outages_.size(); ++k) {
          const Outage& o = outages_[k];
          if (o.from < g.second && o.to > g.first) {
            causes |= 1u << static_cast<int>(
                Cause(o, k > 0 ? &outages_[k - 1] : nullptr, w, leadSec_ * kSecond));
            explained = true;
          }
        }
        if (!explained) causes |= 1u << static_cast<int>(Shortfall::kTimerLate);
      }
    }
    bool avoidable = false;
    for (int c = 0; c < static_cast<int>(Shortfall::kCount); ++c) {
      if (!(causes & (1u << c))) continue;
      ++report_.windowsShort[c];
      avoidable = avoidable || !IsUnavoidable(static_cast<Shortfall>(c));
    }
    report_.shortCauses.push_back(causes);
    std::string names;
    for (int c = 0; c < static_cast<int>(Shortfall::kCount); ++c)
      if (causes & (1u << c)) names += std::string(" [") + ShortfallName(static_cast<Shortfall>(c)) + "]";
    Trace("short%s: %s %s%s", avoidable ? " (avoidable)" : "", Stamp(LocalTime(w.start / kSecond)).c_str(),
          SjisToUtf8(p.key).c_str(), names.c_str());
    if (avoidable) {
      ++report_.avoidableShort;
      if (report_.avoidableExamples.size() < 5)
        report_.avoidableExamples.push_back(Stamp(LocalTime(w.start / kSecond)) + " " +
                                            SjisToUtf8(p.key) + names);
    }
  }
  for (const auto& a : actions_) {
    for (const Due& w : due_) {
      if (!w.gaveWay && a.first >= w.start && a.first < w.end) {
        ++(a.second ? report_.userSuspendsInWindow : report_.actionsInWindow);
        if (!a.second && report_.avoidableExamples.size() < 10)
          report_.avoidableExamples.push_back(
              "power action " + Stamp(LocalTime(a.first / kSecond)) + " in " +
              SjisToUtf8(planned_[static_cast<size_t>(w.planned)].key) + " from " +
              Stamp(LocalTime(w.start / kSecond)));
        break;
      }
    }
  }
  std::map<std::string, int> runs;
  for (const ScheduleEntry& entry : plugin_.entries) ++runs[OccurrenceKey(entry)];
  for (const auto& run : runs)
    if (run.second > 1) report_.mailsTwice += run.second - 1;
}

}  // namespace sim
