#pragma once
// The simulated year's world, shared by its rooms: the PC's states, the
// user's plan and the program under test, driven by the loop in year.cpp.
// Each part of the Simulation lives in the file named for it: the program
// (program.cpp), the PC's states (pc_states.cpp), the faults and the user
// (user.cpp), the table against the plan (ledger.cpp) and the measure
// (measure.cpp); the random source, the PC's power service and the countdown
// gate are classes of their own (random.h, pc.h, gate.h), the report's table
// is report.cpp.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine_fakes.h"
#include "engine/power_control.h"
#include "engine/scheduler.h"
#include "iepg/recording_launcher.h"
#include "platform/debug_log.h"
#include "schedule/nimbra_doc.h"
#include "sim/gate.h"
#include "sim/pc.h"
#include "sim/random.h"
#include "sim/sim_plan.h"
#include "sim/simulation.h"
#include "sim/units.h"
#include "support/fakes.h"
#include "support/scripted_view.h"

namespace sim {

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
  // Runs f as the program would (from a message or the tick), then lets the
  // countdown's worker settle and the PC take what the program asked of it.
  void Call(bool byUser, const std::function<void()>& f);
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

  FakeClock clock_;
  ScriptedPrompt prompt_;
  CDebugLog log_;
  SimPc pc_;
  Gate gate_;
  ScriptedView view_;     // the list view as the document's commands see it
  FakeView listView_;     // and as the scheduler sees it
  FakePlugin plugin_;
  RecordingLauncher launcher_;
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

// The cause of a window's shortfall in outage o (before: the outage just
// before it, if any; leadMs: the user's wake lead).
Shortfall Cause(const Outage& o, const Outage* before, const Due& w, int64_t leadMs);

}  // namespace sim
