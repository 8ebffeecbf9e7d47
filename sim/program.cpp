// The program under test, as the simulated PC runs it: started and ended,
// its messages and ticks delivered, and what it asks of the PC taken.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/file.h"
#include "platform/text.h"
#include "schedule/table_queries.h"
#include "sim/world.h"

namespace sim {

void Simulation::StartProgram() {
  CheckSettingsFile();
  doc_ = std::make_unique<CNimbraDoc>(clock_, prompt_, log_, settingsPath_);
  doc_->LoadSettings();
  doc_->SetView(&view_);
  const char* timer = doc_->AppInfo().GetWakeupTimerName();
  control_ = std::make_unique<CPowerControl>(pc_, prompt_, clock_, log_, timer ? timer : "");
  sched_ = std::make_unique<CScheduler>(*doc_, listView_, plugin_, *control_, gate_,
                                        CoreServices{clock_, prompt_, log_});
  sched_->SetCountdownStepWait([this](int ms) { gate_.Wait(ms); });
  sched_->StartTimers(false);
  Note(report_.events, "program starts");
  tickSoon_ = true;
  lastTick_ = clock_.Ms() - 1;
  CheckEntries(true);
}

void Simulation::EndProcess(bool orderly) {
  if (!sched_) return;
  std::optional<std::string> before;
  if (!orderly) {
    before = ReadFileBytes(settingsPath_);
    NoteUnsavedAtKill();
  }
  sched_.reset();
  control_.reset();
  // The program's own end saves; a killed one does not.
  if (orderly) (void)doc_->SaveSettings();
  doc_.reset();
  if (!orderly && ReadFileBytes(settingsPath_) != before) {
    // A killed process saves nothing: put back what its end wrote.
    if (before) {
      std::FILE* f = std::fopen(settingsPath_.c_str(), "wb");
      if (f) {
        std::fwrite(before->data(), 1, before->size(), f);
        std::fclose(f);
      }
    } else {
      RemoveFile(settingsPath_);
    }
  }
  pc_.ProcessEnded();
  gate_.TakeEnd();
  stopAt_ = kNever;
}

void Simulation::Call(bool byUser, const std::function<void()>& f) {
  const int before = gate_.Created();
  f();
  gate_.Settle();
  if (gate_.Created() != before) {
    Note(report_.events, "countdowns");
    countdownByUser_ = byUser;
    countdownStopped_ = false;
    stopAt_ = rng_.Chance(config_.cancelChance)
                  ? clock_.Ms() + rng_.Below(CScheduler::kCountdownSeconds * kSecond)
                  : kNever;
  }
  Drain();
}

void Simulation::Drain() {
  gate_.Settle();
  if (gate_.TakeEnd() != Gate::End::kNone && sched_ && sched_->Countdown())
    sched_->Countdown()->Finish();
  while (auto request = pc_.TakeRequest()) {
    actions_.push_back({request->second, countdownByUser_});
    if (countdownStopped_) ++report_.stoppedButActed;
    if (request->first == SimPc::Request::kSuspend) {
      Note(report_.events, countdownByUser_ ? "suspends the user asked for" : "suspends by the program");
      GoDown(countdownByUser_ ? Sleeper::kUser : Sleeper::kProgram, false);
    } else {
      Note(report_.events, "shutdowns");
      // The end of the session: the frame saves at the system's query.
      if (doc_) (void)doc_->SaveSettings();
      GoDown(Sleeper::kProgram, true);
    }
  }
  UpdateIdle();
}


struct TickView {
  int index;
  int32_t start, end, state;
  int count;
  bool awake;
  bool operator==(const TickView& o) const {
    return index == o.index && start == o.start && end == o.end && state == o.state &&
           count == o.count && awake == o.awake;
  }
};

void Simulation::Tick() {
  auto look = [this] {
    const ScheduleTable& t = doc_->Table();
    const int i = FindCurrentSchedule(t);
    return TickView{i, i >= 0 ? t.StartSeconds(i) : 0, i >= 0 ? t.EndSeconds(i) : 0,
                    i >= 0 ? t.GetSchedule(i)->state : 0, t.GetScheduleCount(),
                    pc_.KeepingAwake()};
  };
  const int64_t now = clock_.Ms();
  const bool asked = tickSoon_ || SchedulerMoment() <= now;
  const TickView before = look();
  tickSoon_ = false;
  lastTick_ = now;
  ++report_.events["ticks"];
  Call(false, [this] { (void)sched_->OnTimer(CScheduler::kTickTimer); });
  if (!sched_ || state_ != PcState::kOn) return;
  const TickView after = look();
  if (!(after == before)) {
    if (config_.trace) {
      const ScheduleTable& t = doc_->Table();
      Trace("tick: current %d %s state %d (%d entries)%s", after.index,
            after.index >= 0 ? SjisToUtf8(OccurrenceKey(*t.GetSchedule(after.index))).c_str() : "",
            after.state, after.count, after.awake ? ", keeping awake" : "");
    }
    CheckEntries();
  } else if (asked && SchedulerMoment() <= now) {
    // Nothing moved although something was due: look again a second later
    // rather than five times a second.
    lastTick_ = now + kSecond - 1;
  }
}

int64_t Simulation::SchedulerMoment() const {
  const ScheduleTable& t = doc_->Table();
  const int i = FindCurrentSchedule(t);
  if (i < 0) return kNever;
  const int64_t now = clock_.Ms();
  const int64_t s = t.StartSeconds(i) * kSecond, e = t.EndSeconds(i) * kSecond;
  if (now < s) return s;
  if (now < e) return t.GetSchedule(i)->state == kStateRunning && pc_.KeepingAwake() ? e : now;
  return now;
}

int64_t Simulation::NextTick() const {
  // Between the moments the current schedule makes interesting the tick is
  // looked at once a minute: it may keep a plan of its own (a wake timer, a
  // keep-awake request ahead of a start) that changes with the time alone.
  int64_t at = tickSoon_ ? clock_.Ms() : std::min(SchedulerMoment(), lastTick_ + kMinute);
  // A refused wake timer is tried again seconds later, at a tick.
  if (control_ && control_->WakeupTimerStatus().state == WakeTimerState::kRefused)
    at = std::min(at, lastTick_ + kSecond);
  at = std::max(at, lastTick_ + 1);
  const int64_t step = CScheduler::kTickMs;
  const int64_t r = ((at - tickPhase_) % step + step) % step;
  return r == 0 ? at : at + (step - r);
}

}  // namespace sim
