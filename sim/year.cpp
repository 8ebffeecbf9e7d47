// The simulated year's driver: it sets the year up, plans the faults, then
// moves the clock from one thing that happens to the next until the year is
// over, and measures.
#include "sim/simulation.h"

#include <sys/resource.h>

#include <csignal>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "platform/file.h"
#include "platform/program_path.h"
#include "sim/world.h"

namespace sim {

void Simulation::Trace(const char* format, ...) {
  if (!config_.trace) return;
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  const int64_t ms = clock_.Ms();
  std::fprintf(stderr, "%s.%03d %s\n", Stamp(LocalTime(ms / kSecond)).c_str(),
               static_cast<int>(ms % kSecond), text);
}

SimReport Simulation::Run() {
  Setup();
  PlanFaults();
  PlanUser();
  OpenAwake();
  StartProgram();
  Loop();
  SetDiskFull(false);
  clock_.SetMs(std::max(clock_.Ms(), endMs_));
  CloseAwake();
  CloseOutage();
  CheckEntries();
  Measure();
  EndProcess(true);
  report_.prompts = prompt_.Tally();
  return report_;
}

void Simulation::Setup() {
  leadSec_ = config_.wakeupLeadSec;
  settingsPath_ = JoinPath(config_.folder, "Nimbra.ini");
  RemoveFile(settingsPath_);
  const int64_t start = WallSeconds(config_.startYear, config_.startMonth, config_.startDay, 0, 0);
  startMs_ = start * kSecond;
  endMs_ = startMs_ + config_.days * kDayMs;
  clock_.SetMs(startMs_);
  tickPhase_ = rng_.Below(CScheduler::kTickMs);

  if (config_.trace) prompt_.onShow = [this](const std::string& text) { Trace("message: %s", text.c_str()); };
  pc_.SetArmOutcome([this] {
    SimPc::Outcome out;
    if (armRng_.Chance(config_.armFailChance)) {
      // Either the call fails, or it succeeds but the PC will not resume by it.
      out = armRng_.Chance(0.5) ? SimPc::Outcome{false, {SystemCause::kAccessDenied, 5}}
                                : SimPc::Outcome{true, {SystemCause::kNoResume, 722}};
    }
    armFailed_ = !(out.ok && out.error.cause == SystemCause::kNone);
    return out;
  });

  // The user's settings and table as they stand when the year begins: the
  // settings first, so that the table has the capacity they give.
  {
    CNimbraDoc doc(clock_, prompt_, log_, settingsPath_);
    doc.LoadSettings();
    for (CUserSetParam* p : {&doc.AppInfo().GetUserSetting(), &doc.AppInfo().GetUserValues()}) {
      p->user_enable = 1;
      p->item_num_max = config_.capacity;
      p->sleep_flag = config_.sleepMode;
      p->finish_act = config_.finishAct;
      p->epg_offset = config_.epgOffset;
      p->wakeup_lead_sec = config_.wakeupLeadSec;
    }
    (void)doc.AppInfo().SetTvAppPath("C:\\Recorder\\rec.exe");
    (void)doc.SaveSettings();
  }
  {
    CNimbraDoc doc(clock_, prompt_, log_, settingsPath_);
    doc.LoadSettings();
    for (const ScheduleEntry& e : InitialTable(start)) {
      const int before = doc.Table().GetScheduleCount();
      if (doc.AddSchedule(e) < 0 || doc.Table().GetScheduleCount() != before + 1) {
        std::fprintf(stderr, "simulation: the initial table does not fit: %s\n", EntryKey(e).c_str());
        std::abort();
      }
      AddPlanned(e);
    }
    (void)doc.SaveSettings();
  }
}

void Simulation::Loop() {
  enum What { kNone, kEvent, kWake, kResumed, kRelease, kStop, kTick, kIdle, kRestart };
  for (;;) {
    const int64_t now = clock_.Ms();
    if (now >= endMs_) break;
    // A timer that comes due while the PC is on fires without waking anything.
    if (state_ == PcState::kOn) {
      const auto armed = pc_.ArmedAt();
      if (armed && *armed * kSecond <= now) pc_.TimerFired();
    }
    int64_t t = endMs_;
    What what = kNone;
    auto consider = [&](int64_t when, What w) {
      if (when < t) {
        t = when;
        what = w;
      }
    };
    if (!events_.empty()) consider(events_.begin()->first, kEvent);
    switch (state_) {
      case PcState::kAsleep:
      case PcState::kOff:
        if (wakeAt_) consider(*wakeAt_, kWake);
        break;
      case PcState::kResuming:
        consider(resumeEnd_, kResumed);
        break;
      case PcState::kOn:
        if (sched_) {
          if (gate_.Parked()) {
            consider(gate_.Deadline(), kRelease);
            consider(stopAt_, kStop);
          }
          consider(NextTick(), kTick);
        } else {
          consider(restartAt_, kRestart);
        }
        if (unattended_ && !present_ && idleSince_ != kNever)
          consider(idleSince_ + config_.unattendedSleepSeconds * kSecond, kIdle);
        break;
    }
    if (what == kNone) {
      clock_.SetMs(endMs_);
      break;
    }
    if (t > now) clock_.SetMs(t);
    switch (what) {
      case kEvent: {
        const Event e = events_.begin()->second;
        events_.erase(events_.begin());
        Handle(e);
        break;
      }
      case kWake:
        Note(report_.events, "wake by timer");
        Wake(true);
        break;
      case kResumed:
        BecomeOn();
        break;
      case kRelease:
        gate_.Release();
        Drain();
        break;
      case kStop:
        stopAt_ = kNever;
        Note(report_.faults, "countdown stopped by the user");
        countdownStopped_ = true;
        // Whoever pressed the button is at the PC now.
        present_ = true;
        unattended_ = false;
        Call(true, [this] { sched_->Countdown()->Stop(); });
        // The count's own wait wakes at once when it is stopped.
        gate_.Release();
        Drain();
        tickSoon_ = true;
        break;
      case kTick:
        Tick();
        break;
      case kIdle:
        Note(report_.events, "Windows' idle sleep");
        GoDown(Sleeper::kUnattended, false);
        break;
      case kRestart:
        restartAt_ = kNever;
        StartProgram();
        break;
      case kNone:
        break;
    }
  }
}

}  // namespace sim

void SetDiskFull(bool full) {
  static rlimit saved{};
  static bool isFull = false;
  if (full == isFull) return;
  if (full) {
    // Writing past the limit then fails with EFBIG instead of a signal.
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit none = saved;
    none.rlim_cur = 0;
    setrlimit(RLIMIT_FSIZE, &none);
  } else {
    setrlimit(RLIMIT_FSIZE, &saved);
  }
  isFull = full;
}

SimReport RunSimulation(const SimConfig& config) {
  sim::Simulation simulation(config);
  return simulation.Run();
}
