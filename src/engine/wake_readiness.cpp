#include "engine/wake_readiness.h"

#include "engine/wake_plan.h"

namespace {

constexpr const char* kWhere =
    "コントロールパネルの「電源オプション」→「プラン設定の変更」→「詳細な電源設定の変更」→"
    "「スリープ」→「スリープ解除タイマーの許可」";
constexpr const char* kHibernateOn =
    "休止状態を使うには、管理者のコマンドプロンプトで「powercfg /hibernate on」を実行してください。";

// The "Allow wake timers" value for one power source. blocking: what a
// refusing value does there (a battery the PC does not run on only warns).
// what: the setting for that source in words, should it not be read.
ReadinessFinding JudgePolicy(WakeTimerPolicy policy, const char* source, const char* what,
                             SystemCause cause, FindingLevel refusing) {
  const std::string name = std::string("スリープ解除タイマーの許可（") + source + "）";
  switch (policy) {
    case WakeTimerPolicy::kEnabled:
      return {FindingLevel::kOk, name + ": 有効"};
    case WakeTimerPolicy::kDisabled:
      return {refusing, name + "が「無効」のため、PCはタイマーで起動しません。" + kWhere +
                            "を「有効」にしてください。"};
    case WakeTimerPolicy::kImportantOnly:
      return {refusing, name +
                            "が「重要なスリープ解除タイマーのみ」のため、Nimbraのタイマーでは起動しません。" +
                            kWhere + "を「有効」にしてください。"};
    case WakeTimerPolicy::kUnknown:
      break;
  }
  ReadinessFinding f{FindingLevel::kNote,
                     name + "を読み取れませんでした。" + kWhere + "が「有効」か確かめてください。"};
  f.unchecked = what;
  f.cause = cause;
  return f;
}

// A test that ran in mode and came to a verdict about the timer's wake.
bool TestedIn(const WakeTestResult& t, SleepMode mode) {
  return t.mode == mode && t.outcome != WakeTestOutcome::kNone &&
         t.outcome != WakeTestOutcome::kCancelled;
}

ReadinessFinding JudgeSleep(const PowerReadings& r, SleepMode sleepMode, const WakeTestResult& test) {
  if (!r.capabilitiesRead) {
    ReadinessFinding f{FindingLevel::kNote, "スタンバイと休止状態が使えるかを読み取れませんでした。"};
    f.unchecked = "スタンバイと休止状態が使えるか";
    f.cause = r.capabilitiesCause;
    return f;
  }
  const SleepChoice choice = ChooseSleepState(sleepMode, r);
  if (!choice.possible || choice.fellBack) {
    return {choice.possible ? FindingLevel::kWarning : FindingLevel::kBlocking,
            SleepChoiceText(choice)};
  }
  if (choice.mode == SleepMode::kStandby && r.modernStandby && !r.standbyS3) {
    // What the readings only let one guess, a test in standby settles.
    if (TestedIn(test, SleepMode::kStandby) && test.Passed())
      return {FindingLevel::kOk,
              "スタンバイ: モダンスタンバイですが、スリープ復帰テストでタイマーによる復帰を確認済み"};
    std::string text =
        "この PC のスタンバイはモダンスタンバイ（S0 低電力アイドル）です。スタンバイ中は"
        "デスクトップのプログラムが一時停止し、ウェイクタイマーでスタンバイが終わらないことがあります。";
    text += r.CanHibernate() ? "Nimbraのユーザ設定で休止状態を選んでください。"
                             : std::string(kHibernateOn) + "そのうえでNimbraのユーザ設定で休止状態を選んでください。";
    text += TestedIn(test, SleepMode::kStandby)
                ? "スタンバイでのスリープ復帰テストも成功していません。"
                : "スタンバイのまま使うときは、ﾍﾙﾌﾟ → スリープ復帰の起動診断の「スリープ復帰テスト」で確かめてください。";
    return {FindingLevel::kWarning, text};
  }
  return {FindingLevel::kOk,
          choice.mode == SleepMode::kHibernate ? "休止状態: 使用可能" : "スタンバイ: 使用可能"};
}

// Windows' unattended sleep: a PC woken by a timer with nobody at it sleeps
// again after this long unless a program keeps it awake.
ReadinessFinding JudgeUnattended(const PowerReadings& r) {
  auto minutes = [](int32_t s) {
    if (s == 0) return std::string("なし");
    return s % 60 == 0 ? std::to_string(s / 60) + "分" : std::to_string(s) + "秒";
  };
  if (r.unattendedSleepAc < 0 || (r.hasBattery && r.unattendedSleepDc < 0)) {
    ReadinessFinding f{FindingLevel::kNote, "無人スリープまでの時間を読み取れませんでした。"};
    f.unchecked = "無人スリープまでの時間";
    f.cause = r.unattendedCause;
    return f;
  }
  std::string text = "無人スリープまでの時間: " + minutes(r.unattendedSleepAc) + "（電源に接続）";
  if (r.hasBattery) text += "、" + minutes(r.unattendedSleepDc) + "（バッテリ駆動）";
  text +=
      "。タイマーで復帰した PC は操作がないとこの時間で再びスリープします。予約の間は Nimbra が起動を維持します";
  return {FindingLevel::kNote, text};
}

ReadinessFinding JudgeTimer(const WakeTimerStatus& t) {
  switch (t.state) {
    case WakeTimerState::kAccepted:
      return {FindingLevel::kOk, "ウェイクタイマー: 次の予定に設定済み"};
    case WakeTimerState::kRefused:
      return {FindingLevel::kBlocking,
              std::string("ウェイクタイマーがシステムに受け付けられませんでした (") +
                  SystemCauseText(t.cause) + ")。" +
                  "この PC はタイマーでスリープから復帰できません。" + kWhere +
                  "と、BIOS（UEFI）の時刻による電源オンの設定を確かめてください。"};
    case WakeTimerState::kNotNeeded:
      break;
  }
  return {FindingLevel::kNote, "ウェイクタイマー: 次の予定がないため未設定"};
}

const char* Mark(FindingLevel level) {
  switch (level) {
    case FindingLevel::kOk:
      return "○ ";
    case FindingLevel::kNote:
      return "・ ";
    case FindingLevel::kWarning:
      return "△ ";
    case FindingLevel::kBlocking:
      return "× ";
  }
  return "";
}

}  // namespace

bool WakeDiagnosis::Ready() const {
  for (const ReadinessFinding& f : findings)
    if (f.level == FindingLevel::kBlocking) return false;
  return true;
}

bool WakeDiagnosis::NeedsAttention() const {
  for (const ReadinessFinding& f : findings)
    if (f.level >= FindingLevel::kWarning) return true;
  return false;
}

std::string WakeDiagnosis::StatusText() const {
  const char* verdict = !Ready() ? "起動準備: 要設定" : NeedsAttention() ? "起動準備: 要確認" : nullptr;
  if (!verdict) return "";
  return std::string(verdict) + "（" + kWakeDiagnosisMenuPath + " を参照）";
}

std::string WakeDiagnosis::UncheckedText() const {
  std::string text;
  for (const ReadinessFinding& f : findings) {
    if (f.unchecked.empty()) continue;
    if (!text.empty()) text += "、";
    text += f.unchecked;
  }
  return text;
}

std::string WakeDiagnosis::NoticeText() const {
  std::string text;
  for (const ReadinessFinding& f : findings) {
    if (f.level < FindingLevel::kWarning) continue;
    if (!text.empty()) text += "\n\n";
    text += f.text;
  }
  return text;
}

std::string WakeDiagnosis::Report() const {
  const std::string unchecked = UncheckedText();
  std::string text;
  if (!Ready())
    text = "起動準備: 問題あり";
  else if (NeedsAttention())
    text = "起動準備: 要確認";
  if (!unchecked.empty())
    text += (text.empty() ? "起動準備: " : "。") + std::string("確認できない項目あり（") + unchecked + "）";
  if (text.empty()) text = "起動準備: 問題なし";
  for (const ReadinessFinding& f : findings) text += "\n" + std::string(Mark(f.level)) + f.text;
  return text;
}

WakeDiagnosis DiagnoseWake(const PowerReadings& r, const WakeTimerStatus& timer, SleepMode sleepMode,
                           const WakeTestResult& lastTest) {
  WakeDiagnosis d;
  d.findings.push_back(JudgePolicy(r.wakeTimersAc, "電源に接続", "電源接続時のスリープ解除タイマーの許可",
                                   r.schemeCause,
                                   FindingLevel::kBlocking));
  if (r.hasBattery) {
    // On battery now the PC will not wake; on mains only a later unplugging
    // would stop it.
    d.findings.push_back(JudgePolicy(
        r.wakeTimersDc, "バッテリ駆動", "バッテリ駆動時のスリープ解除タイマーの許可", r.schemeCause,
        r.source == PowerSource::kBattery ? FindingLevel::kBlocking : FindingLevel::kWarning));
  }
  d.findings.push_back(JudgeSleep(r, sleepMode, lastTest));
  d.findings.push_back(JudgeTimer(timer));
  d.findings.push_back(JudgeUnattended(r));
  return d;
}

SleepChoice ChooseSleepState(SleepMode wanted, const PowerReadings& r) {
  SleepChoice c;
  c.mode = wanted;
  if (!r.capabilitiesRead) return c;
  const bool hibernate = wanted == SleepMode::kHibernate;
  if (hibernate ? r.CanHibernate() : r.CanStandby()) return c;
  const bool other = hibernate ? r.CanStandby() : r.CanHibernate();
  if (!other) {
    c.possible = false;
    return c;
  }
  c.mode = hibernate ? SleepMode::kStandby : SleepMode::kHibernate;
  c.fellBack = true;
  return c;
}

std::string SleepChoiceText(const SleepChoice& c) {
  if (!c.possible)
    return "この PC はスタンバイにも休止状態にも入れないため、スリープしません。"
           "PCは起動したままになります。";
  if (!c.fellBack) return "";
  if (c.mode == SleepMode::kStandby)
    return std::string("休止状態が使えない（無効、または休止ファイルがない）ため、"
                       "代わりにスタンバイに入ります。") +
           kHibernateOn;
  return "この PC はスタンバイに対応していないため、代わりに休止状態に入ります。";
}

int SuggestedWakeLead(int64_t resumeSeconds) {
  for (const int32_t lead : kOfferedWakeLeads)
    if (lead >= resumeSeconds) return lead;
  return kOfferedWakeLeads.back();
}

ReadinessFinding JudgeSlowResume(int64_t resumeSeconds, int leadSeconds) {
  if (resumeSeconds <= leadSeconds)
    return {FindingLevel::kOk, "タイマーによる復帰: ウェイクタイマーを開始の" +
                                   std::to_string(leadSeconds) + "秒前にする設定で間に合う見込みです"};
  const int lead = SuggestedWakeLead(resumeSeconds);
  std::string text =
      "タイマーによる復帰に時間がかかり、予約の開始に間に合いませんでした。ユーザ設定で"
      "「ユーザ設定を有効にする」をオンにして、「ウェイクタイマーを開始の" +
      std::to_string(lead) + "秒前にする」を選んでください。";
  if (lead < resumeSeconds) text += "それでも間に合わないときは、予約の開始時刻を早めてください。";
  return {FindingLevel::kWarning, text};
}
