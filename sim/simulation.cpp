#include "sim/simulation.h"

#include <sys/resource.h>

#include <csignal>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "engine/countdown.h"
#include "engine/power_control.h"
#include "engine/scheduler.h"
#include "iepg/iepg_import.h"
#include "platform/file.h"
#include "platform/debug_log.h"
#include "platform/launcher.h"
#include "platform/profile_store.h"
#include "platform/program_path.h"
#include "platform/text.h"
#include "schedule/nimbra_doc.h"
#include "schedule/nimbra_view_interface.h"
#include "schedule/repeat_rules.h"
#include "schedule/reservation_rules.h"
#include "schedule/table_queries.h"
#include "schedule/time_rules.h"
#include "sim/sim_machine.h"
#include "sim/sim_plan.h"

namespace {

constexpr int64_t kNever = INT64_MAX;
constexpr int64_t kSecond = 1000;
constexpr int64_t kMinute = 60 * kSecond;
constexpr int64_t kHour = 60 * kMinute;
constexpr int64_t kDayMs = 24 * kHour;

// A small generator of our own, so that a seed gives the same run on every
// platform and standard library.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // 0 <= result < n (n > 0).
  int64_t Below(int64_t n) { return static_cast<int64_t>(Next() % static_cast<uint64_t>(n)); }
  double Real() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  bool Chance(double p) { return Real() < p; }
  // Milliseconds to the next event of a process with `perDay` events a day.
  int64_t Gap(double perDay) {
    return static_cast<int64_t>(-std::log(1.0 - Real()) / perDay * static_cast<double>(kDayMs));
  }

 private:
  uint64_t state_;
};

// The countdown's window, and the lock-step between the countdown's worker
// and the simulation: each step wait parks the worker until the simulation
// has moved the clock to the step's end and releases it.
class Gate final : public ICountdownWindowFactory {
 public:
  enum class End { kNone, kCompleted, kStopped };

  explicit Gate(const SimClock& clock) : clock_(clock) {}

  std::unique_ptr<ICountdownWindow> CreateCountdownWindow(CCountdown& countdown) override {
    std::lock_guard<std::mutex> lock(mutex_);
    owner_ = &countdown;
    active_ = true;
    parked_ = false;
    end_ = End::kNone;
    ++created_;
    return std::make_unique<Window>(*this, countdown);
  }

  // The worker's step wait.
  void Wait(int stepMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    const CCountdown* me = owner_;
    deadline_ = clock_.Ms() + stepMs;
    parked_ = true;
    released_ = false;
    changed_.notify_all();
    while (!released_ && !(me && me->IsAbandoned()))
      changed_.wait_for(lock, std::chrono::milliseconds(1));
    parked_ = false;
  }

  // Waits until the worker is parked, has posted its end, or there is none.
  void Settle() {
    std::unique_lock<std::mutex> lock(mutex_);
    const bool settled = changed_.wait_for(lock, std::chrono::seconds(60), [this] {
      return !active_ || parked_ || end_ != End::kNone;
    });
    if (!settled) {
      std::fprintf(stderr, "simulation: the countdown's worker neither waits nor ends\n");
      std::abort();
    }
  }
  bool Parked() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return active_ && parked_;
  }
  int64_t Deadline() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return deadline_;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    parked_ = false;
    changed_.notify_all();
  }
  void Shift(int64_t deltaMs) {
    std::lock_guard<std::mutex> lock(mutex_);
    deadline_ += deltaMs;
  }
  // The end the worker posted, once; the count is over then.
  End TakeEnd() {
    std::lock_guard<std::mutex> lock(mutex_);
    const End end = end_;
    if (end != End::kNone) active_ = false;
    end_ = End::kNone;
    return end;
  }
  int Created() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return created_;
  }

 private:
  class Window final : public ICountdownWindow {
   public:
    Window(Gate& gate, const CCountdown& countdown) : gate_(gate), countdown_(countdown) {}
    ~Window() override { gate_.Gone(&countdown_); }
    void SetProgressRange(int, int) override {}
    void SetProgressPos(int) override {}
    void SetStatusText(const std::string&) override {}
    void PostCompleted() override { gate_.Post(End::kCompleted); }
    void PostStopped() override { gate_.Post(End::kStopped); }
    void SetCaption(const std::string&) override {}
    void Close() override {}

   private:
    Gate& gate_;
    const CCountdown& countdown_;
  };

  void Post(End end) {
    std::lock_guard<std::mutex> lock(mutex_);
    end_ = end;
    changed_.notify_all();
  }
  void Gone(const CCountdown* countdown) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (owner_ != countdown) return;
    owner_ = nullptr;
    active_ = false;
    parked_ = false;
    end_ = End::kNone;
    changed_.notify_all();
  }

  const SimClock& clock_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  const CCountdown* owner_ = nullptr;
  bool active_ = false;
  bool parked_ = false;
  bool released_ = false;
  int64_t deadline_ = 0;
  End end_ = End::kNone;
  int created_ = 0;
};

// The list view: dialogs are answered by the step the simulated user set up
// for the next showing; a dialog shown again (a refused entry) is cancelled.
class SimView final : public IScheduleView, public INimbraView {
 public:
  void RefreshList() override {}
  void SetTimer(unsigned, unsigned) override {}
  void KillTimer(unsigned) override {}
  void ImportCommandLineFile() override {}
  int GetSelectedRow() override { return selected; }
  void FocusRowClearSelection(int) override {}
  bool ShowReservationDialog(ReservationValues& values) override {
    auto step = std::exchange(reservation, nullptr);
    return step && step(values);
  }
  bool ShowRepeatDialog(RepeatValues& values) override {
    auto step = std::exchange(repeat, nullptr);
    return step && step(values);
  }
  void SettingsSaveFailed(const std::string&) override { ++saveFailuresShown; }

  int selected = -1;
  std::function<bool(ReservationValues&)> reservation;
  std::function<bool(RepeatValues&)> repeat;
  int saveFailuresShown = 0;
};

class SimPlugin final : public IPluginRunner {
 public:
  void RunPlugin(const char*, const ScheduleEntry& entry) override { ++runs[OccurrenceKey(entry)]; }
  std::map<std::string, int> runs;
};

class SimLauncher final : public ILauncher {
 public:
  bool ShellOpen(const std::string&, const std::string&) override { return true; }
  std::optional<int> RunAndWait(const std::string&, const std::vector<std::string>&,
                                unsigned) override {
    return 0;
  }
};

enum class Sleeper { kProgram, kUser, kForeign, kUnattended };

// A stretch in which the PC was not awake, in the PC clock's milliseconds.
struct Outage {
  enum Kind { kAsleep, kResuming, kJumped };
  Outage(Kind k, int64_t f, int64_t t) : kind(k), from(f), to(t) {}
  Kind kind;
  int64_t from;
  int64_t to;
  Sleeper by = Sleeper::kProgram;
  std::optional<int64_t> timerAt;  // asleep: the wake timer then armed
  bool armFailed = false;          // asleep: the last arming had failed
};

// An entry the user made, and what became of it.
struct Planned {
  ScheduleEntry entry;
  std::string key;
  bool live = true;        // not deleted by the user
  bool renewed = false;    // a season that the user has followed up
  int64_t lastStartMs = 0; // start of its last window
  int64_t lostAt = kNever;
  bool lostWithSave = false;
  int64_t stoppedAt = kNever;
  bool stoppedAtLoad = false;
  bool duplicated = false;
};

struct Due {
  int64_t start, end;  // ms
  int planned;
  // An occurrence of a repeating entry that the program skipped, as it does,
  // because another entry of the table overlaps it: not due.
  bool gaveWay = false;
};

enum EventKind {
  kKill, kJump, kForeignSleep, kManualSuspend, kSaveBlock, kSaveUnblock,
  kUserArrive, kUserAct, kUserLeave,
};
struct Event {
  EventKind kind;
  int64_t value = 0;
};

enum class PcState { kOn, kAsleep, kOff, kResuming };

class Simulation {
 public:
  explicit Simulation(const SimConfig& config)
      : config_(config), rng_(config.seed), armRng_(config.seed ^ 0xA5A5A5A5ULL), pc_(clock_),
        gate_(clock_) {}
  ~Simulation() {
    SetDiskFull(false);
    EndProcess(true);
  }

  SimReport Run();

 private:
  void Setup();
  void PlanFaults();
  void PlanUser();
  void Loop();
  void Measure();

  // The program.
  void StartProgram();
  void EndProcess(bool orderly);
  template <class F>
  void Call(bool byUser, F&& f);
  void Drain();
  void Tick();
  int64_t NextTick() const;
  int64_t SchedulerMoment() const;

  // The PC.
  void GoDown(Sleeper by, bool off);
  void Wake(bool byTimer);
  void BecomeOn();
  void Jump(int64_t delta);
  void OpenAwake() { awakeFrom_ = clock_.Ms(); }
  void CloseAwake() {
    if (awakeFrom_ != kNever && clock_.Ms() > awakeFrom_) awake_.push_back({awakeFrom_, clock_.Ms()});
    awakeFrom_ = kNever;
  }
  void CloseOutage() {
    if (openOutage_ >= 0) outages_[static_cast<size_t>(openOutage_)].to = clock_.Ms();
    openOutage_ = -1;
  }
  void UpdateIdle();

  // The user.
  void Handle(const Event& e);
  void UserAction();
  void Tidy();
  void Renew();
  // Raises the wake lead when the diagnosis names a longer one.
  void FollowAdvice();
  void Import();
  void AddOneShot();
  void Accepted(const ScheduleEntry& entry);
  // Whether a window of entry touches a window the plan still has ahead.
  bool ClashesWithPlan(const ScheduleEntry& entry) const;

  // The table against the plan.
  void CheckSettingsFile();
  // atLoad: the program has just loaded the settings file.
  void CheckEntries(bool atLoad = false);
  // Marks the occurrences of planned that the program skipped for a clash,
  // now that its entry stands at current.
  void NoteSkipped(int planned, const ScheduleEntry& current);
  void NoteUnsavedAtKill();
  int PlannedOf(const std::string& key) const;
  void AddPlanned(const ScheduleEntry& entry);
  void Trace(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Counts what in tally and traces it.
  void Note(std::map<std::string, int>& tally, const std::string& what) {
    ++tally[what];
    Trace("%s", what.c_str());
  }
  void Schedule(int64_t at, EventKind kind, int64_t value = 0) {
    if (at < endMs_) events_.emplace(at, Event{kind, value});
  }

  const SimConfig config_;
  Rng rng_;
  Rng armRng_;
  SimReport report_;

  SimClock clock_;
  SimPrompt prompt_;
  CDebugLog log_;
  SimPc pc_;
  Gate gate_;
  SimView view_;
  SimPlugin plugin_;
  SimLauncher launcher_;
  std::string settingsPath_;
  std::unique_ptr<CNimbraDoc> doc_;
  std::unique_ptr<CPowerControl> control_;
  std::unique_ptr<CScheduler> sched_;

  int64_t startMs_ = 0, endMs_ = 0;
  std::multimap<int64_t, Event> events_;

  PcState state_ = PcState::kOn;
  std::optional<int64_t> wakeAt_;
  int64_t resumeEnd_ = kNever;
  bool booting_ = false;
  bool present_ = false;
  bool unattended_ = false;
  int64_t idleSince_ = kNever;
  int64_t restartAt_ = kNever;
  int64_t tickPhase_ = 0;
  int64_t lastTick_ = -1;
  bool tickSoon_ = true;
  int64_t stopAt_ = kNever;
  bool countdownByUser_ = false;
  bool countdownStopped_ = false;
  int saveBlocks_ = 0;
  bool blockedSinceMatch_ = false;
  std::atomic<bool> armFailed_{false};

  int64_t awakeFrom_ = kNever;
  std::vector<std::pair<int64_t, int64_t>> awake_;
  std::vector<Outage> outages_;
  int openOutage_ = -1;
  std::vector<std::pair<int64_t, bool>> actions_;  // time, asked for by the user
  std::vector<Planned> planned_;
  std::vector<Due> due_;
  int imports_ = 0;
  int leadSec_ = 0;  // the wake lead set now
};

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
  report_.prompts = prompt_.Asked();
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

  if (config_.trace) prompt_.OnShow([this](const std::string& text) { Trace("message: %s", text.c_str()); });
  pc_.SetArmOutcome([this] {
    SimPc::Outcome out;
    if (armRng_.Chance(config_.armFailChance)) {
      // Either the call fails, or it succeeds but the PC will not resume by it.
      out = armRng_.Chance(0.5) ? SimPc::Outcome{false, 5} : SimPc::Outcome{true, 722};
    }
    armFailed_ = !(out.ok && out.error == 0);
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
      p->sleep_flag = config_.sleepFlag;
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

void Simulation::AddPlanned(const ScheduleEntry& entry) {
  Planned p;
  p.entry = entry;
  p.key = EntryKey(entry);
  const int index = static_cast<int>(planned_.size());
  for (const Span& s : Occurrences(entry, endMs_ / kSecond)) {
    if (s.start * kSecond < clock_.Ms() || s.end * kSecond > endMs_) continue;
    due_.push_back({s.start * kSecond, s.end * kSecond, index});
    p.lastStartMs = s.start * kSecond;
  }
  planned_.push_back(p);
}

void Simulation::PlanFaults() {
  auto poisson = [this](double perDay, EventKind kind) {
    if (perDay <= 0) return;
    for (int64_t t = startMs_ + rng_.Gap(perDay); t < endMs_; t += rng_.Gap(perDay)) {
      int64_t value = 0;
      if (kind == kJump) value = rng_.Chance(0.5) ? kHour : -kHour;
      if (kind == kSaveBlock) value = kMinute + rng_.Below(90 * kMinute);
      Schedule(t, kind, value);
    }
  };
  poisson(config_.killsPerDay, kKill);
  poisson(config_.jumpsPerDay, kJump);
  poisson(config_.foreignSleepsPerDay, kForeignSleep);
  poisson(config_.saveFailsPerDay, kSaveBlock);
  // Faults aimed at the windows known from the start: around an end, where
  // the end processing, its save and the countdown run, or in the middle.
  for (const Due& w : std::vector<Due>(due_)) {
    const int64_t len = w.end - w.start;
    if (rng_.Chance(config_.killAtEndChance))
      Schedule(w.end - 3 * kSecond + rng_.Below(16 * kSecond), kKill);
    if (rng_.Chance(config_.saveFailAtEndChance)) {
      const int64_t from = w.end - rng_.Below(10 * kMinute);
      Schedule(from, kSaveBlock, (w.end - from) + kMinute + rng_.Below(60 * kMinute));
    }
    if (rng_.Chance(config_.manualSuspendChance))
      Schedule(w.start + len / 4 + rng_.Below(len / 2), kManualSuspend);
    if (rng_.Chance(config_.foreignSleepInWindowChance))
      Schedule(w.start + len / 4 + rng_.Below(len / 2), kForeignSleep);
  }
}

void Simulation::PlanUser() {
  // Evenings on most weekdays, longer stretches on weekend days.
  for (int64_t day = startMs_; day < endMs_; day += kDayMs) {
    const SystemTime d = LocalTime(day / kSecond);
    const bool weekend = d.wDayOfWeek == 0 || d.wDayOfWeek == 6;
    if (!rng_.Chance(weekend ? 0.8 : 0.6)) continue;
    const int64_t arrive =
        day + (weekend ? 10 * kHour + rng_.Below(10 * kHour) : 19 * kHour + rng_.Below(4 * kHour));
    const int64_t stay = 20 * kMinute + rng_.Below(weekend ? 240 * kMinute : 120 * kMinute);
    Schedule(arrive, kUserArrive);
    const int acts = 1 + static_cast<int>(rng_.Below(2));
    for (int k = 0; k < acts; ++k) Schedule(arrive + kMinute + rng_.Below(stay - kMinute), kUserAct);
    Schedule(arrive + stay, kUserLeave);
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

// ---- the program -------------------------------------------------------

void Simulation::StartProgram() {
  CheckSettingsFile();
  doc_ = std::make_unique<CNimbraDoc>(clock_, prompt_, log_, settingsPath_);
  doc_->LoadSettings();
  doc_->SetView(&view_);
  const char* timer = doc_->AppInfo().GetWakeupTimerName();
  control_ = std::make_unique<CPowerControl>(pc_, prompt_, clock_, log_, timer ? timer : "");
  sched_ = std::make_unique<CScheduler>(*doc_, view_, plugin_, *control_, gate_);
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

template <class F>
void Simulation::Call(bool byUser, F&& f) {
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

// The state of the current schedule as the tick sees it.
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

// ---- the PC --------------------------------------------------------------

void Simulation::GoDown(Sleeper by, bool off) {
  CloseAwake();
  Outage o(Outage::kAsleep, clock_.Ms(), kNever);
  o.by = by;
  o.armFailed = armFailed_;
  const auto armed = pc_.ArmedAt();
  if (armed) o.timerAt = *armed * kSecond;
  Trace("%s by %d, wake timer %s", off ? "off" : "asleep", static_cast<int>(by),
        armed ? Stamp(LocalTime(*armed)).c_str() : "none");
  outages_.push_back(o);
  openOutage_ = static_cast<int>(outages_.size()) - 1;
  wakeAt_.reset();
  if (armed) wakeAt_ = std::max(*armed * kSecond, clock_.Ms());  // a past time fires at once
  if (off) EndProcess(false);
  state_ = off ? PcState::kOff : PcState::kAsleep;
  present_ = false;
  unattended_ = false;
  idleSince_ = kNever;
  stopAt_ = kNever;
}

void Simulation::Wake(bool byTimer) {
  CloseOutage();
  if (byTimer) pc_.TimerFired();
  wakeAt_.reset();
  booting_ = state_ == PcState::kOff;
  int64_t delay = booting_ ? config_.bootSeconds * kSecond : 0;
  if (rng_.Chance(config_.resumeDelayChance)) {
    Note(report_.faults, "slow resume");
    delay += kSecond + rng_.Below(180 * kSecond);
  }
  unattended_ = byTimer;
  present_ = !byTimer;
  if (delay > 0) {
    outages_.emplace_back(Outage::kResuming, clock_.Ms(), kNever);
    openOutage_ = static_cast<int>(outages_.size()) - 1;
    state_ = PcState::kResuming;
    resumeEnd_ = clock_.Ms() + delay;
  } else {
    BecomeOn();
  }
}

void Simulation::BecomeOn() {
  CloseOutage();
  state_ = PcState::kOn;
  resumeEnd_ = kNever;
  OpenAwake();
  tickSoon_ = true;
  idleSince_ = kNever;
  if (booting_) {
    booting_ = false;
    StartProgram();
  } else if (sched_) {
    // The frame hears the resume broadcast.
    Call(false, [this] { sched_->OnResume(); });
  }
  UpdateIdle();
}

void Simulation::Jump(int64_t delta) {
  CloseAwake();
  const int64_t from = clock_.Ms();
  if (delta > 0) outages_.emplace_back(Outage::kJumped, from, from + delta);
  clock_.SetMs(from + delta);
  OpenAwake();
  gate_.Shift(delta);
  for (int64_t* t : {&idleSince_, &stopAt_, &restartAt_})
    if (*t != kNever) *t += delta;
  tickSoon_ = true;
  lastTick_ = clock_.Ms() - 1;
}

void Simulation::UpdateIdle() {
  if (state_ != PcState::kOn || pc_.KeepingAwake()) {
    idleSince_ = kNever;
  } else if (idleSince_ == kNever) {
    idleSince_ = clock_.Ms();
  }
}

// ---- faults and the user -------------------------------------------------

void Simulation::Handle(const Event& e) {
  const bool on = state_ == PcState::kOn;
  switch (e.kind) {
    case kKill:
      if (!on || !sched_) return;
      Note(report_.faults, "process killed");
      EndProcess(false);
      restartAt_ = clock_.Ms() + rng_.Below(30 * kSecond);
      return;
    case kJump:
      if (!on) return;
      Note(report_.faults, e.value > 0 ? "clock jumped +1 h" : "clock jumped -1 h");
      Jump(e.value);
      return;
    case kForeignSleep:
      if (!on) return;
      Note(report_.faults, "put to sleep by someone else");
      GoDown(Sleeper::kForeign, false);
      return;
    case kManualSuspend:
      if (!on || !sched_) return;
      Note(report_.faults, "user suspends in a window");
      present_ = true;
      unattended_ = false;
      prompt_.Answer({PromptAnswer::Yes, PromptAnswer::Yes});
      Call(true, [this] { sched_->SuspendNow(false); });
      prompt_.Answer({});
      tickSoon_ = true;
      return;
    case kSaveBlock:
      Note(report_.faults, "settings file not writable");
      if (saveBlocks_++ == 0) SetDiskFull(true);
      blockedSinceMatch_ = true;
      Schedule(clock_.Ms() + e.value, kSaveUnblock);
      return;
    case kSaveUnblock:
      if (--saveBlocks_ == 0) SetDiskFull(false);
      return;
    case kUserArrive:
      present_ = true;
      unattended_ = false;
      if (state_ == PcState::kAsleep || state_ == PcState::kOff) {
        Note(report_.events, "wake by the user");
        Wake(false);
      }
      return;
    case kUserAct:
      if (present_ && on && sched_) UserAction();
      return;
    case kUserLeave:
      if (!present_) return;
      present_ = false;
      if (on && sched_ && rng_.Chance(0.35)) {
        // Suspend, but not in the middle of a recording.
        prompt_.Answer({PromptAnswer::Yes, PromptAnswer::No});
        Call(true, [this] { sched_->SuspendNow(false); });
        prompt_.Answer({});
        tickSoon_ = true;
      }
      return;
  }
}

void Simulation::UserAction() {
  Tidy();
  Renew();
  FollowAdvice();
  const double r = rng_.Real();
  if (r < 0.5)
    Import();
  else if (r < 0.8)
    AddOneShot();
  CheckEntries();
  // The table changed under the tick, which runs five times a second.
  tickSoon_ = true;
}

void Simulation::FollowAdvice() {
  if (!config_.followsAdvice) return;
  // What the diagnosis says after a timer wake that came back late: the
  // offered lead that covers it.
  const int64_t slowest = sched_->SlowestLateResume();
  CUserSetParam& user = doc_->AppInfo().GetUserSetting();
  if (slowest <= user.wakeup_lead_sec) return;
  const int lead = SuggestedWakeLead(slowest);
  if (lead <= user.wakeup_lead_sec) return;
  user.wakeup_lead_sec = doc_->AppInfo().GetUserValues().wakeup_lead_sec = lead;
  leadSec_ = lead;
  (void)doc_->CommitEdit();
  Note(report_.events, "wake lead raised as the diagnosis said");
}

void Simulation::Tidy() {
  ScheduleTable& t = doc_->Table();
  if (t.GetScheduleCount() < config_.capacity - 3) return;
  for (int i = t.GetScheduleCount() - 1; i >= 0; --i) {
    const ScheduleEntry& e = *t.GetSchedule(i);
    if (e.state != kStateFinished) continue;
    const int p = PlannedOf(EntryKey(e));
    // An entry finished before its time is left for the report, as a user
    // might not notice it.
    if (p >= 0 && planned_[static_cast<size_t>(p)].lastStartMs > clock_.Ms()) continue;
    view_.selected = i;
    prompt_.Answer({PromptAnswer::Yes});
    if (doc_->OnScheduleDelete()) {
      Note(report_.events, "entries deleted");
      if (p >= 0) planned_[static_cast<size_t>(p)].live = false;
    }
    prompt_.Answer({});
  }
  view_.selected = -1;
}

void Simulation::Renew() {
  for (size_t k = 0; k < planned_.size(); ++k) {
    Planned& p = planned_[k];
    if (!p.live || p.renewed || !p.entry.loop || !p.entry.kikan_f) continue;
    if (p.lastStartMs > clock_.Ms()) continue;
    p.renewed = true;
    // The next season: the same slot, from tomorrow, for two to five months.
    const ScheduleEntry& old = p.entry;
    const int duration = TimeToSeconds(old.e) - TimeToSeconds(old.s);
    const ScheduleEntry next = RepeatingEntry(
        old.loop_meth, old.b_way, clock_.Ms() / kSecond + 86400, old.s.wHour, old.s.wMinute,
        old.s.wSecond, duration, 60 + static_cast<int>(rng_.Below(90)));
    if (doc_->Table().GetScheduleCount() >= config_.capacity) return;
    if (!config_.userClashes && ClashesWithPlan(next)) continue;
    view_.selected = -1;
    // What the user enters in the repeat dialog: the new season from its
    // first start on.
    RepeatValues entered = RepeatValuesFor(next);
    entered.m_kikan_s = next.s;
    view_.repeat = [&entered](RepeatValues& v) {
      v = entered;
      return true;
    };
    if (doc_->OnRegularSchedule()) {
      Note(report_.events, "seasons renewed");
      Accepted(EntryFromRepeat(entered, false));
    }
    view_.repeat = nullptr;
  }
}

void Simulation::Import() {
  if (doc_->Table().GetScheduleCount() >= config_.capacity) return;
  // A broadcast in the coming week, in the evening or after midnight in the
  // listings' own way of counting (25:30 is half past one the next day).
  const SystemTime today = clock_.LocalNow();
  const int64_t day = WallSeconds(today.wYear, today.wMonth, today.wDay + 1 +
                                  static_cast<int>(rng_.Below(6)), 0, 0);
  const SystemTime d = LocalTime(day);
  static const int kHours[] = {19, 20, 21, 22, 23, 24, 25};
  static const int kMinutes[] = {0, 15, 30, 45};
  static const int kLengths[] = {30, 54, 60, 90, 120};
  const int sh = kHours[rng_.Below(7)], sm = kMinutes[rng_.Below(4)];
  const int length = kLengths[rng_.Below(5)];
  int eh = sh + (sm + length) / 60, em = (sm + length) % 60;
  // Before midnight the end is written as the clock shows it (an end before
  // the start means the next day); after it, in hours past 24.
  if (sh < 24) eh %= 24;
  const std::string title = Utf8ToSjis("番組") + " #" + std::to_string(++imports_);
  char text[512];
  std::snprintf(text, sizeof text,
                "Content-type: application/x-tv-program-info; charset=shift_jis\r\n"
                "version: 1\r\nstation: NHK\r\nyear: %d\r\nmonth: %02d\r\ndate: %02d\r\n"
                "start: %02d:%02d\r\nend: %02d:%02d\r\nprogram-title: %s\r\n\r\n",
                d.wYear, d.wMonth, d.wDay, sh, sm, eh, em, title.c_str());
  const std::string file = JoinPath(config_.folder, "listing.tvpi");
  std::FILE* f = std::fopen(file.c_str(), "wb");
  if (!f) return;
  std::fputs(text, f);
  std::fclose(f);

  const int64_t start = WallSeconds(d.wYear, d.wMonth, d.wDay, sh, sm) - config_.epgOffset;
  int64_t end = WallSeconds(d.wYear, d.wMonth, d.wDay, eh, em);
  if (end < start + config_.epgOffset) end += 86400;
  if (!config_.userClashes && ClashesWithPlan(OneShotEntry(title, start, end))) return;
  view_.reservation = [](ReservationValues&) { return true; };
  Note(report_.events, "iEPG imports");
  const int before = doc_->Table().GetScheduleCount();
  if (ImportCommandLineFile(*doc_, launcher_, file, config_.folder)) {
    const ScheduleEntry expected = OneShotEntry(title, start, end);
    Accepted(expected);
    if (doc_->Table().GetScheduleCount() != before + 1) Note(report_.events, "imports not in the table");
  }
  view_.reservation = nullptr;
}

void Simulation::AddOneShot() {
  if (doc_->Table().GetScheduleCount() >= config_.capacity) return;
  const SystemTime today = clock_.LocalNow();
  const int64_t start =
      WallSeconds(today.wYear, today.wMonth, today.wDay + 1 + static_cast<int>(rng_.Below(10)),
                  7 + static_cast<int>(rng_.Below(16)), static_cast<int>(rng_.Below(4)) * 15);
  const int64_t end = start + (15 + rng_.Below(166)) * 60;
  const ScheduleEntry entry = OneShotEntry("One-shot #" + std::to_string(++imports_), start, end);
  if (!config_.userClashes && ClashesWithPlan(entry)) return;
  view_.reservation = [&entry](ReservationValues& v) {
    v.m_start = entry.s;
    v.m_end = entry.e;
    v.m_title = entry.title;
    return true;
  };
  Note(report_.events, "one-shots entered");
  if (doc_->OnScheduleAdd()) Accepted(entry);
  view_.reservation = nullptr;
}

bool Simulation::ClashesWithPlan(const ScheduleEntry& entry) const {
  const int64_t now = clock_.Ms();
  for (const Span& s : Occurrences(entry, endMs_ / kSecond)) {
    for (const Due& w : due_) {
      if (w.end < now || !planned_[static_cast<size_t>(w.planned)].live) continue;
      // Windows that touch overlap, as the table's rule has it.
      if (w.start <= s.end * kSecond && s.start * kSecond <= w.end) return true;
    }
  }
  return false;
}

void Simulation::Accepted(const ScheduleEntry& entry) {
  const std::string key = EntryKey(entry);
  Trace("entered %s", SjisToUtf8(key).c_str());
  bool found = false;
  const ScheduleTable& t = doc_->Table();
  for (int i = 0; i < t.GetScheduleCount(); ++i) found = found || EntryKey(*t.GetSchedule(i)) == key;
  // What the program took must be what the user meant; what it refused the
  // user was told about.
  if (!found) {
    Note(report_.events, "accepted entries not as meant");
    return;
  }
  AddPlanned(entry);
}

// ---- the table against the plan ----------------------------------------

int Simulation::PlannedOf(const std::string& key) const {
  for (size_t k = 0; k < planned_.size(); ++k)
    if (planned_[k].live && planned_[k].key == key) return static_cast<int>(k);
  return -1;
}

namespace {

// Each entry of a settings file as an occurrence key; none when the file
// cannot stand for a table (missing, or a count its keys do not bear out).
std::optional<std::vector<std::string>> FileEntries(const std::string& path) {
  if (!FileExists(path)) return std::nullopt;
  const ProfileStore store = ProfileStore::Load(path);
  const int32_t n = store.GetInt(kScheduleSection, "sch_num", -1);
  if (n < 0) return std::nullopt;
  std::vector<std::string> out;
  auto key = [](const char* templ, int i) {
    char k[64];
    std::snprintf(k, sizeof k, templ, i);
    return std::string(k);
  };
  for (int i = 0; i < n; ++i) {
    if (!store.HasKey(kScheduleSection, key("sch_start[%d]", i)) ||
        !store.HasKey(kScheduleSection, key("sch_end[%d]", i)))
      return std::nullopt;
    ScheduleEntry e{};
    SecondsToTime(store.GetInt(kScheduleSection, key("sch_start[%d]", i), 0), &e.s);
    SecondsToTime(store.GetInt(kScheduleSection, key("sch_end[%d]", i), 0), &e.e);
    CopyTitle(e.title, store.GetString(kScheduleSection, key("sch_title[%d]", i), "").c_str());
    e.loop = store.GetInt(kScheduleSection, key("sch_loop_f[%d]", i), 0);
    e.loop_meth = store.GetInt(kScheduleSection, key("sch_loop_meth[%d]", i), 0);
    e.b_way = store.GetInt(kScheduleSection, key("sch_b_wday[%d]", i), 0);
    e.kikan_f = store.GetInt(kScheduleSection, key("sch_kikan_f[%d]", i), 0);
    SecondsToTime(store.GetInt(kScheduleSection, key("sch_kikan_e[%d]", i), 0), &e.kikan_e);
    out.push_back(OccurrenceKey(e));
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

void Simulation::CheckSettingsFile() {
  const auto entries = FileEntries(settingsPath_);
  if (!entries) {
    ++report_.loadFailures;
    std::fprintf(stderr, "simulation: the settings file does not load at %s\n",
                 Stamp(clock_.LocalNow()).c_str());
  }
}

void Simulation::NoteUnsavedAtKill() {
  const auto file = FileEntries(settingsPath_);
  std::vector<std::string> table;
  const ScheduleTable& t = doc_->Table();
  for (int i = 0; i < t.GetScheduleCount(); ++i) table.push_back(OccurrenceKey(*t.GetSchedule(i)));
  std::sort(table.begin(), table.end());
  bool same = file && *file == table;
  if (file && !same) {
    // Loading moves on what ended since just as the running program did:
    // what a load gives back is not lost.
    SimPrompt quiet;
    CDebugLog quietLog;
    CNimbraDoc reloaded(clock_, quiet, quietLog, settingsPath_);
    reloaded.LoadSettings();
    std::vector<std::string> again;
    for (int i = 0; i < reloaded.Table().GetScheduleCount(); ++i)
      again.push_back(OccurrenceKey(*reloaded.Table().GetSchedule(i)));
    std::sort(again.begin(), again.end());
    same = again == table;
  }
  if (same) {
    blockedSinceMatch_ = saveBlocks_ > 0;
    return;
  }
  if (!blockedSinceMatch_ && saveBlocks_ == 0) {
    ++report_.unsavedAtKill;
    Trace("killed with unsaved changes");
    if (config_.trace) {
      for (const std::string& k : table) Trace("  table %s", SjisToUtf8(k).c_str());
      if (file)
        for (const std::string& k : *file) Trace("  file  %s", SjisToUtf8(k).c_str());
    }
    return;
  }
  // What the failed saves could not keep goes with the process.
  std::set<std::string> kept;
  if (file)
    for (const std::string& k : *file) kept.insert(k.substr(0, k.rfind('@')));
  for (int i = 0; i < t.GetScheduleCount(); ++i) {
    const std::string key = EntryKey(*t.GetSchedule(i));
    const int p = PlannedOf(key);
    if (p >= 0 && !kept.count(key)) {
      planned_[static_cast<size_t>(p)].lostWithSave = true;
    }
  }
}

void Simulation::NoteSkipped(int planned, const ScheduleEntry& current) {
  const int64_t now = clock_.Ms();
  // A finished series has skipped every occurrence still ahead.
  const int64_t currentStart =
      current.state == kStateFinished ? kNever : TimeToSeconds(current.s) * kSecond;
  const ScheduleTable& t = doc_->Table();
  bool skipped = false;
  for (Due& w : due_) {
    if (w.planned != planned || w.gaveWay || w.start <= now || w.start >= currentStart) continue;
    // A later occurrence than the entry now stands at, still ahead: skipped.
    // Only a clash with another entry is a reason; any other skip stays due
    // and shows as missed.
    for (int i = 0; i < t.GetScheduleCount(); ++i) {
      const ScheduleEntry& e = *t.GetSchedule(i);
      if (&e == &current || e.state == kStateFinished) continue;
      if (t.StartSeconds(i) * kSecond <= w.end && w.start <= t.EndSeconds(i) * kSecond) {
        w.gaveWay = true;
        skipped = true;
        Note(report_.events, "occurrences skipped for an entry over them");
        break;
      }
    }
  }
  if (!skipped) return;
  // Its last window is now the last one not skipped.
  Planned& p = planned_[static_cast<size_t>(planned)];
  p.lastStartMs = 0;
  for (const Due& w : due_)
    if (w.planned == planned && !w.gaveWay) p.lastStartMs = std::max(p.lastStartMs, w.start);
}

void Simulation::CheckEntries(bool atLoad) {
  if (!doc_) return;
  const ScheduleTable& t = doc_->Table();
  std::map<std::string, std::vector<const ScheduleEntry*>> inTable;
  for (int i = 0; i < t.GetScheduleCount(); ++i)
    inTable[EntryKey(*t.GetSchedule(i))].push_back(t.GetSchedule(i));
  const int64_t now = clock_.Ms();
  for (Planned& p : planned_) {
    if (!p.live) continue;
    const auto it = inTable.find(p.key);
    const size_t n = it == inTable.end() ? 0 : it->second.size();
    if (n == 0 && p.lostAt == kNever) {
      p.lostAt = now;
      ++(p.lostWithSave ? report_.entriesLostWithSave : report_.entriesLost);
      if (!p.lostWithSave)
        std::fprintf(stderr, "simulation: entry lost at %s: %s\n", Stamp(clock_.LocalNow()).c_str(),
                     SjisToUtf8(p.key).c_str());
    }
    if (n > 1 && !p.duplicated) {
      p.duplicated = true;
      ++report_.entriesDuplicated;
    }
    if (n >= 1 && p.entry.loop) NoteSkipped(static_cast<int>(&p - planned_.data()), *it->second.front());
    if (n >= 1 && p.entry.loop && p.stoppedAt == kNever &&
        it->second.front()->state == kStateFinished && p.lastStartMs > now) {
      // Finished although the plan has windows ahead for it.
      const int64_t next = TimeToSeconds(it->second.front()->s) * kSecond;
      if (next < p.lastStartMs) {
        p.stoppedAt = now;
        p.stoppedAtLoad = atLoad;
        ++report_.entriesStoppedEarly;
        std::fprintf(stderr, "simulation: repeating entry finished early at %s: %s\n",
                     Stamp(clock_.LocalNow()).c_str(), SjisToUtf8(p.key).c_str());
      }
    }
  }
}

// ---- measuring ---------------------------------------------------------

// before: the outage just before o, if any; leadMs: the user's wake lead.
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
    if (gaps.empty()) {
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
  for (const auto& run : plugin_.runs)
    if (run.second > 1) report_.mailsTwice += run.second - 1;
}

}  // namespace

const char* ShortfallName(Shortfall s) {
  switch (s) {
    case Shortfall::kResumeDelay: return "slow resume after a timely wake";
    case Shortfall::kSleptInLead: return "put to sleep in its wake lead, slow resume";
    case Shortfall::kClockJump: return "clock jumped over it";
    case Shortfall::kUserSuspend: return "user suspended in it";
    case Shortfall::kForeignSleep: return "put to sleep in it by someone else";
    case Shortfall::kArmFailed: return "asleep after arming the wake timer failed";
    case Shortfall::kLostWithSave: return "entry lost with a failed save";
    case Shortfall::kNoTimerForeign: return "put to sleep earlier, no wake timer armed";
    case Shortfall::kTimerLate: return "asleep, the program's wake timer late or missing";
    case Shortfall::kProgramSleep: return "the program put the PC to sleep in it";
    case Shortfall::kUnattendedInside: return "Windows' idle sleep in it";
    case Shortfall::kEntryGone: return "entry gone from the table or finished early";
    case Shortfall::kLoadedFinished: return "repeating entry loaded as finished";
    case Shortfall::kCount: break;
  }
  return "?";
}

bool IsUnavoidable(Shortfall s) {
  switch (s) {
    case Shortfall::kResumeDelay:
    case Shortfall::kSleptInLead:
    case Shortfall::kClockJump:
    case Shortfall::kUserSuspend:
    case Shortfall::kForeignSleep:
    case Shortfall::kLostWithSave:
      return true;
    default:
      return false;
  }
}

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
  Simulation sim(config);
  return sim.Run();
}

std::string FormatReport(const SimConfig& c, const SimReport& r) {
  std::string out;
  char line[256];
  auto row = [&](const char* name, const std::string& value) {
    std::snprintf(line, sizeof line, "| %-58s | %14s |\n", name, value.c_str());
    out += line;
  };
  auto num = [](int64_t v) { return std::to_string(v); };
  std::snprintf(line, sizeof line, "Simulated %d days from %04d-%02d-%02d, seed %llu\n\n", c.days,
                c.startYear, c.startMonth, c.startDay, static_cast<unsigned long long>(c.seed));
  out += line;
  row("what", "count");
  out += "|------------------------------------------------------------|----------------|\n";
  row("windows due", num(r.windowsDue));
  row("windows fully awake", num(r.fullyAwake));
  row("late starts (count)", num(r.lateStarts));
  row("late starts (worst, seconds)", num(r.worstLateSeconds));
  row("windows missed entirely", num(r.missedEntirely));
  row("power actions inside a window (must be 0)", num(r.actionsInWindow));
  row("entries lost (must be 0)", num(r.entriesLost));
  row("entries duplicated (must be 0)", num(r.entriesDuplicated));
  row("settings files that fail to load (must be 0)", num(r.loadFailures));
  row("windows short for an avoidable cause", num(r.avoidableShort));
  row("repeating entries finished before their period", num(r.entriesStoppedEarly));
  row("entries lost with a failed save (unavoidable)", num(r.entriesLostWithSave));
  row("kills that found unsaved changes, saves working", num(r.unsavedAtKill));
  row("stopped countdowns that still acted", num(r.stoppedButActed));
  row("suspends the user asked for inside a window", num(r.userSuspendsInWindow));
  row("mails sent twice for one occurrence", num(r.mailsTwice));
  out += "\nWindows not fully awake, by cause (a window may have several):\n";
  for (int i = 0; i < static_cast<int>(Shortfall::kCount); ++i) {
    const Shortfall s = static_cast<Shortfall>(i);
    std::snprintf(line, sizeof line, "  %-52s %6d  %s\n", ShortfallName(s), r.windowsShort[i],
                  IsUnavoidable(s) ? "unavoidable" : "avoidable");
    out += line;
  }
  for (const std::string& e : r.avoidableExamples) out += "    e.g. " + e + "\n";
  out += "\nFaults injected:\n";
  for (const auto& f : r.faults) {
    std::snprintf(line, sizeof line, "  %-52s %6d\n", f.first.c_str(), f.second);
    out += line;
  }
  out += "\nWhat happened:\n";
  for (const auto& f : r.events) {
    std::snprintf(line, sizeof line, "  %-52s %6d\n", f.first.c_str(), f.second);
    out += line;
  }
  out += "\nMessages shown (answered by the simulated user):\n";
  for (const auto& f : r.prompts) {
    std::string text = f.first;
    for (char& ch : text)
      if (ch == '\n') ch = ' ';
    std::snprintf(line, sizeof line, "  %6d  %s\n", f.second, text.c_str());
    out += line;
  }
  return out;
}
