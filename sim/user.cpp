// The faults and the simulated user: when each happens, and what it does to
// the PC and the program.
#include <cstdio>
#include <initializer_list>
#include <string>

#include "iepg/iepg_import.h"
#include "platform/program_path.h"
#include "platform/text.h"
#include "schedule/repeat_rules.h"
#include "schedule/reservation_rules.h"
#include "sim/world.h"

namespace sim {

namespace {

// The answers to the coming Yes/No questions, instead of any left.
void Answer(ScriptedPrompt& prompt, std::initializer_list<PromptAnswer> answers) {
  prompt.ClearAnswers();
  for (PromptAnswer a : answers) prompt.QueueAnswer(a);
}

}  // namespace

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
      Answer(prompt_, {PromptAnswer::kYes, PromptAnswer::kYes});
      Call(true, [this] { sched_->SuspendNow(false); });
      prompt_.ClearAnswers();
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
        Answer(prompt_, {PromptAnswer::kYes, PromptAnswer::kNo});
        Call(true, [this] { sched_->SuspendNow(false); });
        prompt_.ClearAnswers();
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
    Answer(prompt_, {PromptAnswer::kYes});
    if (doc_->OnScheduleDelete()) {
      Note(report_.events, "entries deleted");
      if (p >= 0) planned_[static_cast<size_t>(p)].live = false;
    }
    prompt_.ClearAnswers();
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
    view_.OnRepeat([&entered](RepeatValues& v) {
      v = entered;
      return true;
    });
    if (doc_->OnRegularSchedule()) {
      Note(report_.events, "seasons renewed");
      Accepted(EntryFromRepeat(entered));
    }
    view_.DropSteps();
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
  view_.OnReservation([](ReservationValues&) { return true; });
  Note(report_.events, "iEPG imports");
  const int before = doc_->Table().GetScheduleCount();
  if (ImportCommandLineFile(*doc_, CoreServices{clock_, prompt_, log_}, launcher_, file,
                            config_.folder)) {
    const ScheduleEntry expected = OneShotEntry(title, start, end);
    Accepted(expected);
    if (doc_->Table().GetScheduleCount() != before + 1) Note(report_.events, "imports not in the table");
  }
  view_.DropSteps();
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
  view_.OnReservation([&entry](ReservationValues& v) {
    v.m_start = entry.s;
    v.m_end = entry.e;
    v.m_title = entry.title;
    return true;
  });
  Note(report_.events, "one-shots entered");
  if (doc_->OnScheduleAdd()) Accepted(entry);
  view_.DropSteps();
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

}  // namespace sim
