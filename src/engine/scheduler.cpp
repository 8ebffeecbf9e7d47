#include "engine/scheduler.h"

#include <cstdio>
#include <exception>
#include <optional>

#include "engine/journal_recorder.h"
#include "engine/notice_board.h"
#include "engine/power_control.h"
#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/prompt.h"
#include "platform/text.h"
#include "schedule/nimbra_doc.h"
#include "schedule/table_queries.h"
#include "schedule/time_rules.h"

namespace {

constexpr const char* kPluginItem = "smail";

JournalWindowRef WindowOf(const ScheduleTable& table, int index) {
  return JournalWindowRef{table.StartSeconds(index), table.EndSeconds(index),
                          SjisToUtf8(table.GetSchedule(index)->title)};
}

std::string WithName(const char* format, const char* name) {
  char text[256];
  std::snprintf(text, sizeof text, format, name);
  return text;
}

// What sleeping now does to the running entry: a repeating one whose
// occurrence has begun moves on to its next occurrence. True, with the entry
// marked finished, when it has none (a one-shot, or a series that is over).
bool RollOnForSleep(ScheduleEntry& running, int64_t now) {
  if (running.loop && TimeToSeconds(running.s) < now) NextOccurrence(running);
  if (running.loop && running.state != kStateFinished) return false;
  running.state = kStateFinished;
  return true;
}

}  // namespace

CScheduler::CScheduler(CNimbraDoc& doc, IScheduleView& view, IPluginRunner& plugin,
                       CPowerControl& power, ICountdownWindowFactory& windows,
                       const CoreServices& services, CNoticeBoard* notices,
                       CJournalRecorder* journal, IWindowNotifier* notifier)
    : doc_(doc),
      view_(view),
      plugin_(plugin),
      power_(power),
      windows_(windows),
      services_(services),
      notices_(notices),
      journal_(journal),
      notifier_(notifier),
      lastWakeTest_(WakeTestFromRecord(doc.AppInfo().WakeTest())) {}

CScheduler::~CScheduler() {
  power_.KeepAwake(false);
  power_.CancelWakeupTimer();
  countdown_.reset();
}

void CScheduler::StartTimers(bool importCommandLineFile) {
  if (importCommandLineFile) view_.SetTimer(kImportTimer, kImportDelayMs);
  view_.SetTimer(kTickTimer, kTickMs);
}

bool CScheduler::OnTimer(unsigned id) {
  if (id == kTickTimer) {
    // No tick starts while one runs (a plug-in's own window may pump
    // messages). The timer itself keeps running: recreating it every tick
    // would cost two system calls five times a second.
    if (inTick_) return false;
    inTick_ = true;
    try {
      Tick();
    } catch (const std::exception& e) {
      DEBUG_LOG_STAMPED(services_.log, services_.clock, "tick failed: %s", e.what());
    }
    inTick_ = false;
    return false;
  }
  if (id == kImportTimer) {
    view_.KillTimer(kImportTimer);
    view_.ImportCommandLineFile();
  }
  return true;
}

void CScheduler::Tick() {
  // A refused timer, a failed save, a refused roll-over or a plug-in failure
  // is told after the tick, by the interface thread: a box opened here would
  // stop every tick behind it, the keep-awake for exactly that case included.
  std::optional<CNoticeBoard::Hold> hold;
  if (notices_) hold.emplace(*notices_);
  const int64_t tN = LocalSecondsNow(services_.clock);
  NoteWakeAfterSleep(tN);
  if (journal_) {
    journal_->Tick(tN);
    NoteStoppedCountdown(tN);
  }
  // First, so that a test that ended gives back its timer and keep-awake now.
  TickWakeTest(tN);
  ScheduleTable& table = doc_.Table();
  bool running = false;
  bool ended = false;
  std::optional<EndForecast> forecast;
  const int i = FindCurrentSchedule(table);
  if (i >= 0) {
    const int32_t tE = table.EndSeconds(i);
    if (RunIfInside(i, tN)) {
      running = true;
      const int64_t tS = table.StartSeconds(i);
      if (journalSeen_ != tS) {
        // The plan of the last tick is still the one for this window.
        journalSeen_ = tS;
        const bool timerForIt = plan_.haveWake && plan_.startSeconds == tS;
        if (journal_) journal_->WindowSeen(tN, WindowOf(table, i), timerForIt ? plan_.wakeSeconds : -1);
      }
      forecast = ForecastEndOf(i);
    } else if (tN >= tE && tN - tE < kCatchUpSeconds) {
      EndProcessing(i);
      ended = true;
    } else if (tN > tE) {
      CloseMissed(i, static_cast<int>(tN - tE));
      ended = true;
    }
  }
  // The end processing may have changed the table and taken its time: plan
  // from what it is now. An idle tick reads the clock once.
  const int64_t planNow = ended ? LocalSecondsNow(services_.clock) : tN;
  plan_ = PlanWake(table, planNow, Settings());
  if (!plan_.keepAwake) stayingAwake_ = false;
  const char* nextTitle = plan_.haveWake ? table.GetSchedule(plan_.index)->title : nullptr;
  std::optional<int64_t> wake =
      plan_.haveWake ? std::optional<int64_t>(plan_.wakeSeconds) : std::nullopt;
  std::string wakeReason = nextTitle ? WakeTimerReason(nextTitle) : std::string();
  // The self-test's timer, until the test's resume; no schedule lies that close.
  if (wakeTest_.WantsTimer() && (!wake || wakeTest_.Result().wakeAt < *wake)) {
    wake = wakeTest_.Result().wakeAt;
    wakeReason = kWakeTestReason;
  }
  power_.WantWakeAt(wake, planNow, wakeReason);
  // While no timer would wake the PC for what lies ahead, Windows' idle
  // sleep would lose the recording: the PC stays awake until an arming is
  // accepted (retried seconds later, then once a minute) or the schedule has run.
  const WakeTimerState timer = power_.WakeupTimerStatus().state;
  const bool noWayBack = plan_.haveWake && timer == WakeTimerState::kRefused;
  if (noWayBack != heldForRefusal_) {
    heldForRefusal_ = noWayBack;
    if (noWayBack) {
      DEBUG_LOG_STAMPED(services_.log, services_.clock,
                        "ウェイクタイマーが使えないため、スリープさせずに待機");
      if (journal_) journal_->TimerRefused(planNow, plan_.startSeconds);
      if (notifier_) notifier_->WakeTimerRefused();
    }
  }
  // Without this a PC woken by the timer goes back to sleep after a couple of
  // minutes without input, before or in the middle of the recording. The
  // reason names the schedule it is kept awake for.
  std::string reason;
  const bool testing = wakeTest_.WantsAwake();
  if (testing && !running && !plan_.keepAwake && !noWayBack) {
    // As after a timer wake for a schedule: the PC is kept awake.
    reason = kWakeTestAwakeReason;
  } else if (running) {
    reason = KeepAwakeReason(AwakeCause::kRunning, table.GetSchedule(i)->title);
  } else if (plan_.keepAwake || noWayBack) {
    reason = KeepAwakeReason(plan_.keepAwake ? AwakeCause::kAhead : AwakeCause::kTimerRefused,
                             nextTitle);
  }
  power_.KeepAwake(running || plan_.keepAwake || noWayBack || testing, reason);
  UpdateStatus(timer, forecast ? &*forecast : nullptr);
}

void CScheduler::NoteStoppedCountdown(int64_t now) {
  // The user stopped the countdown that followed a window's end.
  if (journal_ && countdownFor_ && countdown_ && !countdown_->IsRunning()) {
    journal_->WindowEnded(now, *countdownFor_, JournalEnd::kStopped);
    countdownFor_.reset();
  }
}

void CScheduler::TickWakeTest(int64_t now) {
  if (!wakeTest_.Running()) return;
  if (wakeTest_.GetPhase() == CWakeSelfTest::Phase::kWaitingForSleep &&
      (!countdown_ || countdown_.get() != wakeTestCountdown_ || !countdown_->IsRunning()))
    wakeTest_.Cancelled(WakeTestNow(now));
  const bool watching = wakeTest_.GetPhase() == CWakeSelfTest::Phase::kWatching;
  bool done = wakeTest_.Tick(WakeTestNow(now));
  if (!done && watching && wakeTest_.Result().simulated) {
    // The played three minutes awake, after the program ran again.
    wakeTestShift_ += kWakeTestWatchSeconds;
    done = wakeTest_.Tick(WakeTestNow(now));
  }
  if (!done) return;
  lastWakeTest_ = wakeTest_.Result();
  wakeTestCountdown_ = nullptr;
  wakeTestShift_ = 0;
  // A played test proves nothing about this PC: only a real one is kept.
  if (!lastWakeTest_.simulated) {
    doc_.AppInfo().WakeTest() = WakeTestToRecord(lastWakeTest_);
    Save();
  }
  if (journal_) journal_->WakeTested(now, lastWakeTest_, WakeTestOutcomeWord(lastWakeTest_));
  DEBUG_LOG_STAMPED(services_.log, services_.clock, "wake self-test: %s",
                    WakeTestOutcomeWord(lastWakeTest_).c_str());
  view_.WakeTestFinished();
}

std::string CScheduler::WakeTestRefusal() const {
  if (wakeTest_.Running()) return "スリープ復帰テストは実行中です。";
  if (countdown_ && countdown_->Worker()) return "サスペンドまたはシャットダウンの準備中です。";
  const PowerReadings readings = power_.Readings();
  return ::WakeTestRefusal(doc_.Table(), LocalSecondsNow(services_.clock), Settings().leadSeconds,
                           ChooseSleepState(doc_.AppInfo().GetUserSetting().sleep_flag, readings));
}

bool CScheduler::StartWakeTest(int64_t wakeAt, bool simulated) {
  if (!WakeTestRefusal().empty()) return false;
  const int64_t now = LocalSecondsNow(services_.clock);
  // The countdown and a margin before the sleep: a timer due by then would
  // fire before the PC sleeps.
  if (wakeAt < now + kCountdownSeconds + kSuspendMarginSeconds + 15) wakeAt = now + kWakeTestAheadSeconds;
  SystemTime target{};
  if (!SecondsToTime(wakeAt, &target)) return false;
  wakeTestShift_ = 0;
  wakeTest_.Start(now, wakeAt, doc_.AppInfo().GetUserSetting().sleep_flag, simulated);
  NoteStoppedCountdown(now);  // before the test's countdown takes its place
  countdown_.reset();
  StartCountdown("スリープ復帰テストの準備中", 1, &target, SuspendAction, SuspendCancelAction);
  wakeTestCountdown_ = countdown_.get();
  if (!wakeTestCountdown_) {
    wakeTest_.Cancelled(now);
    (void)wakeTest_.Tick(now);
    return false;
  }
  return true;
}

void CScheduler::OnSleeping() {
  if (!wakeTest_.Running()) return;
  const int64_t now = LocalSecondsNow(services_.clock);
  if (wakeTest_.Result().simulated &&
      wakeTest_.GetPhase() == CWakeSelfTest::Phase::kWaitingForSleep)
    wakeTestShift_ = wakeTest_.Result().wakeAt - now;  // the played sleep ends at the timer
  wakeTest_.Sleeping(WakeTestNow(now));
}

void CScheduler::OnResumeEvent(bool automatic) {
  if (!wakeTest_.Running()) return;
  wakeTest_.Resumed(WakeTestNow(LocalSecondsNow(services_.clock)), automatic);
}

EndForecast CScheduler::ForecastEndOf(int index) const {
  const ScheduleTable& table = doc_.Table();
  const int64_t endSeconds = table.EndSeconds(index);
  // The entry as the end will leave it: finished, or on at its next
  // occurrence that clashes with nothing.
  std::optional<int64_t> rolledStart;
  ScheduleEntry rolled = *table.GetSchedule(index);
  if (rolled.loop) {
    NextOccurrence(rolled);
    if (rolled.state != kStateFinished && doc_.SkipClashingOccurrences(rolled) >= 0)
      rolledStart = TimeToSeconds(rolled.s);
  }
  const WakeSettings settings = Settings();
  const CUserSetParam& user = doc_.AppInfo().GetUserSetting();
  return ForecastEnd(endSeconds, PlanAfterEnd(table, endSeconds, rolledStart, settings), settings,
                     user.sleep_flag, user.finish_act);
}

void CScheduler::NoteWakeAfterSleep(int64_t now) {
  const int64_t before = lastSeen_;
  lastSeen_ = now;
  // plan_ is still the plan of the last tick before the sleep.
  // A tick looks in every second: a gap of seconds is a sleep (or a
  // stalled machine, which is no wake to judge).
  if (before < 0 || now - before < 5 || !plan_.haveWake || before >= plan_.wakeSeconds) return;
  if (now <= plan_.startSeconds || now - plan_.wakeSeconds > kLongestResumeSeconds) return;
  const int64_t took = now - plan_.wakeSeconds;
  DEBUG_LOG_STAMPED(services_.log, services_.clock, "タイマーによる復帰に%d秒、開始から%d秒遅れ",
                    static_cast<int>(took), static_cast<int>(now - plan_.startSeconds));
  if (took > slowestLateResume_) slowestLateResume_ = took;
}

bool CScheduler::RunIfInside(int index, int64_t now) {
  ScheduleTable& table = doc_.Table();
  if (!(table.StartSeconds(index) <= now && now < table.EndSeconds(index))) return false;
  ScheduleEntry* cur = table.GetSchedule(index);
  if (cur->state != kStateRunning) {
    cur->state = kStateRunning;
    stayingAwake_ = false;  // what it stayed awake for has begun
    view_.RefreshList();
  }
  return true;
}

void CScheduler::OnResume() {
  const int64_t now = LocalSecondsNow(services_.clock);
  NoteWakeAfterSleep(now);
  power_.ForgetWakeupTimer();
  // A sleep may have ended the keep-awake request: the next tick asks again
  // for whatever wants the PC awake then.
  power_.KeepAwakeAfterResume();
  statusKey_.timer = WakeTimerState::kNotNeeded;
  // The list shows a schedule whose window began during the sleep as
  // running at once, not only at the next tick.
  const int i = FindCurrentSchedule(doc_.Table());
  if (i >= 0) (void)RunIfInside(i, now);
}

WakePlan CScheduler::PlanNow() const {
  return PlanWake(doc_.Table(), LocalSecondsNow(services_.clock), Settings());
}

WakeSettings CScheduler::Settings() const {
  const CUserSetParam& user = doc_.AppInfo().GetUserSetting();
  return WakeSettings{user.wakeup_lead_sec, user.stay_awake_gap_sec};
}

void CScheduler::UpdateStatus(WakeTimerState timer, const EndForecast* forecast) {
  StatusKey key;
  key.haveWake = plan_.haveWake;
  key.wakeSeconds = plan_.haveWake ? plan_.wakeSeconds : 0;
  key.staying = stayingAwake_;
  key.timer = timer;
  if (forecast) {
    key.running = true;
    key.endSeconds = forecast->endSeconds;
    key.endStep = forecast->step;
    key.sleepMode = forecast->sleepMode;
    key.endWake = forecast->next.haveWake ? forecast->next.wakeSeconds : -1;
  }
  if (key == statusKey_) return;
  const bool textChanged = !key.SameText(statusKey_);
  statusKey_ = key;
  if (textChanged) {
    if (forecast)
      statusText_ = EndForecastText(*forecast);
    else
      statusText_ = key.staying ? StayAwakeText(plan_) : NextActionText(plan_);
  }
  view_.WakeStatusChanged();
}

WakeDiagnosis CScheduler::Diagnose() const {
  WakeDiagnosis d = power_.Diagnose(doc_.AppInfo().GetUserSetting().sleep_flag, lastWakeTest_);
  if (slowestLateResume_ >= 0)
    d.findings.push_back(JudgeSlowResume(slowestLateResume_, Settings().leadSeconds));
  d.findings.push_back(JudgeWakeTest(lastWakeTest_, Settings().leadSeconds));
  return d;
}

ScheduleEntry CScheduler::FinishOrRoll(int index) {
  ScheduleTable& table = doc_.Table();
  ScheduleEntry* cur = table.GetSchedule(index);
  plugin_.RunPlugin(kPluginItem, *cur);

  ScheduleEntry ended = *cur;
  doc_.NextOccurrence(*cur);
  if (cur->loop && cur->state != kStateFinished) {
    Reinsert(index, ended);
  } else {
    cur->state = kStateFinished;
    ended = *cur;
  }
  return ended;
}

int CScheduler::Reinsert(int index, const ScheduleEntry& ended) {
  ScheduleTable& table = doc_.Table();
  ScheduleEntry moved = *table.GetSchedule(index);
  table.DeleteSchedule(index);
  // An occurrence that clashes with another entry is skipped: the series
  // goes on with the first occurrence that fits instead of ending for good.
  const int64_t due = TimeToSeconds(moved.s);
  const bool fits = doc_.SkipClashingOccurrences(moved) >= 0;
  if (fits && TimeToSeconds(moved.s) != due)
    DEBUG_LOG_STAMPED(services_.log, services_.clock, "重なる回を飛ばす");
  const int at = fits ? doc_.AddSchedule(moved) : -1;
  if (at >= 0) return at;
  // The next occurrence was refused (the user has been told why). The entry
  // stays, finished with its last times, where it was.
  ScheduleEntry* back = table.InsertScheduleEntry(index, ended);
  if (back) back->state = kStateFinished;
  DEBUG_LOG_STAMPED(services_.log, services_.clock, "次回の登録を拒否されたため終了扱いで残す");
  return -1;
}

void CScheduler::EndProcessing(int index) {
  ScheduleTable& table = doc_.Table();
  DEBUG_LOG_STAMPED(services_.log, services_.clock, "終了時刻に入った！");
  const int64_t endSeconds = table.EndSeconds(index);
  const JournalWindowRef window = WindowOf(table, index);
  const ScheduleEntry ended = *table.GetSchedule(index);
  FinishOrRoll(index);

  countdown_.reset();
  countdownFor_.reset();
  const CUserSetParam& user = doc_.AppInfo().GetUserSetting();
  const WakeSettings settings = Settings();
  const WakePlan next = PlanWake(table, LocalSecondsNow(services_.clock), settings);
  // The same decision the status line foretold during the window.
  const EndForecast end = ForecastEnd(endSeconds, next, settings, user.sleep_flag, user.finish_act);
  if (end.step == EndStep::kStayAwake) {
    // Sleeping for a few minutes would only risk the next recording: the PC
    // stays on, kept awake, and the standing timer stays armed for it.
    stayingAwake_ = true;
    DEBUG_LOG_STAMPED(services_.log, services_.clock,
                      "次の予定の起動まで%d秒のため、スリープせずに待機",
                      static_cast<int>(next.haveWake ? next.wakeSeconds - endSeconds : 0));
    if (journal_) journal_->WindowEnded(LocalSecondsNow(services_.clock), window, JournalEnd::kStayedAwake);
    view_.RefreshList();
    Save();
    if (notifier_) notifier_->WindowEnded(ended);
    return;
  }
  if (journal_)
    journal_->WindowEnded(LocalSecondsNow(services_.clock), window,
                          !next.haveWake && user.finish_act == 1 ? JournalEnd::kShutDown
                                                                 : JournalEnd::kSuspended);
  if (!next.haveWake) {
    DEBUG_LOG_STAMPED(services_.log, services_.clock,
                      "後続スケジュール無し。シャットダウン=%d スリープ/スタンバイ=%d",
                      user.finish_act, user.sleep_flag == SleepMode::kHibernate ? 1 : 0);
    view_.RefreshList();
    if (end.step == EndStep::kShutdown)
      StartCountdown("シャットダウンの準備中", 0, nullptr, ShutdownAction, ShutdownCancelAction);
    else
      StartCountdown("サスペンドの準備中", 0, nullptr, SuspendAction, SuspendCancelAction);
  } else {
    DEBUG_LOG_STAMPED(services_.log, services_.clock, "後続スケジュール有り。復帰タイマーセット！");
    SystemTime wake{};
    SecondsToTime(next.wakeSeconds, &wake);
    view_.RefreshList();
    StartCountdown("サスペンドの準備中", 1, &wake, SuspendAction, SuspendCancelAction);
  }
  if (countdown_) countdownFor_ = window;
  // Handed over last, once the countdown runs: sending never delays it.
  if (notifier_) notifier_->WindowEnded(ended);
}

void CScheduler::CloseMissed(int index, int lateSeconds) {
  // The PC slept through the end, or the clock jumped: ending it now with a
  // power action would switch the PC off at a moment nobody chose. Close it
  // so the scheduler moves on to the following schedules.
  DEBUG_LOG_STAMPED(services_.log, services_.clock,
                    "終了時刻を%d秒過ぎていたため、電源操作なしで終了", lateSeconds);
  const JournalWindowRef window = WindowOf(doc_.Table(), index);
  const bool seen = journalSeen_ == window.start;
  if (journal_) {
    const int64_t now = LocalSecondsNow(services_.clock);
    if (seen)
      journal_->WindowEnded(now, window, JournalEnd::kClosedLate);
    else
      journal_->WindowMissed(now, window, JournalMiss::kUnseen);
  }
  const ScheduleEntry closed = *doc_.Table().GetSchedule(index);
  FinishOrRoll(index);
  view_.RefreshList();
  Save();
  if (notifier_) {
    if (seen)
      notifier_->WindowEnded(closed);
    else
      notifier_->WindowMissed(closed);
  }
}

void CScheduler::StartCountdown(const char* caption, int wakeFlag, const SystemTime* wakeTime,
                                ThreadAction done, ThreadAction cancel) {
  // Whatever the user entered is on disk before any power action can run.
  Save();
  countdownAt_ = LocalSecondsNow(services_.clock);
  countdown_.reset();
  countdownFor_.reset();
  auto countdown = std::make_unique<CCountdown>(power_, services_);
  if (stepWait_) countdown->SetStepWait(stepWait_);
  const SleepMode mode = doc_.AppInfo().GetUserSetting().sleep_flag;
  if (!countdown->Initialize(caption, kCountdownSeconds, kCountdownStepMs, mode, wakeFlag,
                             wakeTime, done, nullptr, 0, cancel, nullptr, 0))
    return;
  if (!countdown->Create(windows_)) {
    DEBUG_LOG_STAMPED(services_.log, services_.clock, "countdown window could not be created");
    return;
  }
  countdown_ = std::move(countdown);
}

void CScheduler::Save() { (void)doc_.CommitEdit(); }

bool CScheduler::SuspendingByProgram() const {
  const int64_t now = LocalSecondsNow(services_.clock);
  return countdownAt_ >= 0 && now >= countdownAt_ && now - countdownAt_ <= 60;
}

void CScheduler::SuspendNow(bool noConfirm) {
  ScheduleTable& table = doc_.Table();
  const CUserSetParam& user = doc_.AppInfo().GetUserSetting();
  const char* name = user.sleep_flag == SleepMode::kHibernate ? "休止モード" : "スタンバイ";
  IPrompt& prompt = services_.prompt;

  if (table.GetScheduleCount() == 0) {
    doc_.ShowMessage("スケジュールが登録されていません");
    return;
  }
  if (!noConfirm &&
      prompt.Show(WithName("%sに入りますか？", name), kAppTitle, PromptButtons::kYesNo) !=
          PromptAnswer::kYes)
    return;

  // An all-zero target (every entry finished) arms no timer: the PC sleeps
  // as after the last schedule.
  bool haveTarget = false;
  SystemTime target{};
  const int i = FindCurrentSchedule(table);
  if (i >= 0) {
    ScheduleEntry* cur = table.GetSchedule(i);
    if (cur->state == kStateWaiting) {
      target = cur->s;
      haveTarget = true;
    } else if (cur->state == kStateRunning) {
      if (!noConfirm &&
          prompt.Show(WithName("実行中ですが%sに入りますか？", name), kAppTitle,
                      PromptButtons::kYesNo) != PromptAnswer::kYes)
        return;
      const ScheduleEntry saved = *cur;
      // Where the current entry is now: -1 when it has ended.
      int curIndex = i;
      if (RollOnForSleep(*cur, LocalSecondsNow(services_.clock))) {
        curIndex = -1;
      } else if (cur->s != saved.s) {
        // Moved on: back to its sorted place, as at the end of a schedule.
        curIndex = Reinsert(i, saved);
      }
      const int n = FindNextSchedule(table, saved);
      if (n == -1 && curIndex == -1) {
        Save();
        view_.RefreshList();
        doc_.ShowMessage(WithName("後に続くスケジュールがありません。\n%sをキャンセルします。", name));
        return;
      }
      int t;
      if (curIndex >= 0 && table.GetSchedule(curIndex)->s == saved.s)
        t = curIndex;  // not moved on: wake for it
      else if (n >= 0)
        t = n;
      else
        t = curIndex;  // moved on, and nothing before its next occurrence
      ScheduleEntry* chosen = table.GetSchedule(t);
      chosen->state = kStateRunning;
      target = chosen->s;
      haveTarget = true;
    }
  }

  if (haveTarget) {
    // Due a lead before the start, or at the start once the lead has begun.
    const int64_t start = TimeToSeconds(target);
    const int64_t lead = Settings().leadSeconds > 0 ? Settings().leadSeconds : 0;
    if (start - lead > LocalSecondsNow(services_.clock)) SecondsToTime(start - lead, &target);
  }
  view_.RefreshList();
  countdown_.reset();
  StartCountdown("サスペンドの準備中", haveTarget ? 1 : 0, haveTarget ? &target : nullptr,
                 SuspendAction, SuspendCancelAction);
}

bool CScheduler::HasFollowingSchedule() const {
  const ScheduleTable& table = doc_.Table();
  if (table.GetScheduleCount() == 0) return false;
  const int i = FindCurrentSchedule(table);
  if (i < 0) return false;
  ScheduleEntry c = *table.GetSchedule(i);
  if (c.state == kStateWaiting) return true;
  if (c.state != kStateRunning) return false;
  const ScheduleEntry saved = c;
  const bool ended = RollOnForSleep(c, LocalSecondsNow(services_.clock));
  return !(ended && FindNextSchedule(table, saved) == -1);
}
