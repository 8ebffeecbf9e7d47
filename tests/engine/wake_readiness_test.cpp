// The readiness judgement over records of readings: which findings block a
// wake, which only warn, the fallback between sleep states, and the texts
// that tell the user what to change.
#include "engine/wake_readiness.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr SleepMode kStandby = SleepMode::kStandby;
constexpr SleepMode kHibernate = SleepMode::kHibernate;

// A desktop PC as it should be: S3 and hibernation, wake timers on.
PowerReadings Good() {
  PowerReadings r;
  r.wakeTimersAc = WakeTimerPolicy::kEnabled;
  r.wakeTimersDc = WakeTimerPolicy::kEnabled;
  r.capabilitiesRead = true;
  r.standbyS3 = true;
  r.hibernateS4 = true;
  r.hiberFilePresent = true;
  r.source = PowerSource::kMains;
  r.unattendedSleepAc = 120;
  r.unattendedSleepDc = 60;
  return r;
}

const WakeTimerStatus kAccepted{WakeTimerState::kAccepted, SystemCause::kNone};

bool Has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

TEST(WakeReadiness, EachReadingJudged) {
  struct Case {
    const char* what;
    void (*change)(PowerReadings&);
    SleepMode sleepMode;
    WakeTimerStatus timer;
    bool ready, attention;
    const char* says;  // a part of the notice (or of the report when nothing needs attention)
  };
  const Case cases[] = {
      {"all good", [](PowerReadings&) {}, kHibernate, kAccepted, true, false, "起動準備: 問題なし"},
      {"mains disabled", [](PowerReadings& r) { r.wakeTimersAc = WakeTimerPolicy::kDisabled; },
       kStandby, kAccepted, false, true, "（電源に接続）が「無効」"},
      {"important only", [](PowerReadings& r) { r.wakeTimersAc = WakeTimerPolicy::kImportantOnly; },
       kStandby, kAccepted, false, true, "「重要なスリープ解除タイマーのみ」"},
      // Without a battery the battery value does not matter.
      {"battery value, no battery",
       [](PowerReadings& r) { r.wakeTimersDc = WakeTimerPolicy::kDisabled; }, kStandby, kAccepted,
       true, false, "起動準備: 問題なし"},
      {"battery disabled, on mains",
       [](PowerReadings& r) {
         r.hasBattery = true;
         r.wakeTimersDc = WakeTimerPolicy::kDisabled;
       },
       kStandby, kAccepted, true, true, "（バッテリ駆動）が「無効」"},
      {"battery disabled, on battery",
       [](PowerReadings& r) {
         r.hasBattery = true;
         r.source = PowerSource::kBattery;
         r.wakeTimersDc = WakeTimerPolicy::kImportantOnly;
       },
       kStandby, kAccepted, false, true, "（バッテリ駆動）"},
      {"no hibernation: standby instead", [](PowerReadings& r) { r.hiberFilePresent = false; },
       kHibernate, kAccepted, true, true, "代わりにスタンバイ"},
      {"no S3: hibernation instead", [](PowerReadings& r) { r.standbyS3 = false; }, kStandby,
       kAccepted, true, true, "代わりに休止状態"},
      {"neither",
       [](PowerReadings& r) {
         r.standbyS3 = false;
         r.hibernateS4 = false;
       },
       kHibernate, kAccepted, false, true, "スタンバイにも休止状態にも入れない"},
      {"modern standby chosen",
       [](PowerReadings& r) {
         r.standbyS3 = false;
         r.modernStandby = true;
       },
       kStandby, kAccepted, true, true, "モダンスタンバイ"},
      {"modern standby, hibernation chosen",
       [](PowerReadings& r) {
         r.standbyS3 = false;
         r.modernStandby = true;
       },
       kHibernate, kAccepted, true, false, "休止状態: 使用可能"},
      {"timer refused",
       [](PowerReadings&) {},
       kStandby,
       {WakeTimerState::kRefused, SystemCause::kNoResume},
       false,
       true,
       "受け付けられませんでした (スリープからの復帰に対応していません)"},
      {"nothing ahead",
       [](PowerReadings&) {},
       kStandby,
       {},
       true,
       false,
       "次の予定がないため未設定"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PowerReadings r = Good();
    c.change(r);
    const WakeDiagnosis d = DiagnoseWake(r, c.timer, c.sleepMode);
    EXPECT_EQ(d.Ready(), c.ready);
    EXPECT_EQ(d.NeedsAttention(), c.attention);
    EXPECT_EQ(d.NoticeText().empty(), !c.attention);
    EXPECT_EQ(d.StatusText().empty(), !c.attention);
    EXPECT_TRUE(Has(c.attention ? d.NoticeText() : d.Report(), c.says)) << d.Report();
  }
}

TEST(WakeReadiness, ReportListsEveryFindingWithItsMark) {
  PowerReadings r = Good();
  r.hasBattery = true;
  r.wakeTimersAc = WakeTimerPolicy::kDisabled;
  const WakeDiagnosis d = DiagnoseWake(r, kAccepted, kHibernate);
  EXPECT_EQ(d.findings.size(), 5u);
  EXPECT_EQ(d.Report(),
            "起動準備: 問題あり\n"
            "× " + d.findings[0].text + "\n"
            "○ スリープ解除タイマーの許可（バッテリ駆動）: 有効\n"
            "○ 休止状態: 使用可能\n"
            "○ ウェイクタイマー: 次の予定に設定済み\n"
            "・ 無人スリープまでの時間: 2分（電源に接続）、1分（バッテリ駆動）。タイマーで復帰した PC は"
            "操作がないとこの時間で再びスリープします。予約の間は Nimbra が起動を維持します");
  EXPECT_TRUE(Has(d.findings[0].text, "「スリープ解除タイマーの許可」を「有効」にしてください"));
  EXPECT_EQ(d.StatusText(), "起動準備: 要設定（ﾍﾙﾌﾟ → スリープ復帰の起動診断 を参照）");
}

// A reading that failed is no pass: the verdict names what could not be
// checked, the system's code stays out of the texts (the debug log has it).
TEST(WakeReadiness, AReadingThatFailedIsNamedInTheVerdict) {
  const char* kAc = "電源接続時のスリープ解除タイマーの許可";
  const char* kDc = "バッテリ駆動時のスリープ解除タイマーの許可";
  const char* kSleep = "スタンバイと休止状態が使えるか";
  struct Case {
    const char* what;
    void (*change)(PowerReadings&);
    std::string verdict;
  };
  const Case cases[] = {
      {"mains value",
       [](PowerReadings& r) {
         r.wakeTimersAc = WakeTimerPolicy::kUnknown;
         r.schemeCause = SystemCause::kNotSupported;
       },
       std::string("起動準備: 確認できない項目あり（") + kAc + "）"},
      {"battery value",
       [](PowerReadings& r) {
         r.hasBattery = true;
         r.wakeTimersDc = WakeTimerPolicy::kUnknown;
         r.schemeCause = SystemCause::kNotSupported;
       },
       std::string("起動準備: 確認できない項目あり（") + kDc + "）"},
      {"no scheme, with a battery",
       [](PowerReadings& r) {
         r.hasBattery = true;
         r.wakeTimersAc = r.wakeTimersDc = WakeTimerPolicy::kUnknown;
         r.schemeCause = SystemCause::kNotFound;
       },
       std::string("起動準備: 確認できない項目あり（") + kAc + "、" + kDc + "）"},
      {"sleep states",
       [](PowerReadings& r) {
         r.capabilitiesRead = false;
         r.capabilitiesCause = SystemCause::kAccessDenied;
       },
       std::string("起動準備: 確認できない項目あり（") + kSleep + "）"},
      {"sleep states, and a refusing mains value",
       [](PowerReadings& r) {
         r.wakeTimersAc = WakeTimerPolicy::kDisabled;
         r.capabilitiesRead = false;
         r.capabilitiesCause = SystemCause::kAccessDenied;
       },
       std::string("起動準備: 問題あり。確認できない項目あり（") + kSleep + "）"},
      {"unattended sleep",
       [](PowerReadings& r) {
         r.unattendedSleepAc = -1;
         r.unattendedCause = SystemCause::kNotSupported;
       },
       "起動準備: 確認できない項目あり（無人スリープまでの時間）"},
      {"all read", [](PowerReadings&) {}, "起動準備: 問題なし"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PowerReadings r = Good();
    c.change(r);
    const std::string report = DiagnoseWake(r, kAccepted, kHibernate).Report();
    EXPECT_EQ(report.substr(0, report.find('\n')), c.verdict);
    EXPECT_FALSE(Has(report, "error=")) << report;
  }
}

// Modern Standby only lets one guess whether a timer ends it: the guess
// warns and points to hibernation and to the self-test; a self-test in
// standby that the timer ended settles it, one that failed keeps the warning.
TEST(WakeReadiness, AWakeSelfTestInStandbyOverridesTheModernStandbyGuess) {
  PowerReadings r = Good();
  r.standbyS3 = false;
  r.modernStandby = true;
  WakeTestResult test;
  test.at = 1900000000;
  test.mode = kStandby;
  struct Case {
    const char* what;
    WakeTestOutcome outcome;
    SleepMode mode;
    FindingLevel level;
    const char* says;
  };
  const Case cases[] = {
      {"no test", WakeTestOutcome::kNone, kStandby, FindingLevel::kWarning, "「スリープ復帰テスト」で確かめてください"},
      {"passed in standby", WakeTestOutcome::kTimerWake, kStandby, FindingLevel::kOk,
       "スリープ復帰テストでタイマーによる復帰を確認済み"},
      {"failed in standby", WakeTestOutcome::kEarlyWake, kStandby, FindingLevel::kWarning,
       "スタンバイでのスリープ復帰テストも成功していません"},
      {"passed in hibernation only", WakeTestOutcome::kTimerWake, kHibernate, FindingLevel::kWarning,
       "休止状態を選んでください"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test.outcome = c.outcome;
    test.mode = c.mode;
    const ReadinessFinding sleep = DiagnoseWake(r, kAccepted, kStandby, test).findings[1];
    EXPECT_EQ(sleep.level, c.level);
    EXPECT_TRUE(Has(sleep.text, c.says)) << sleep.text;
  }
  // Without hibernation switched on, the guess says how to switch it on.
  r.hiberFilePresent = false;
  test.outcome = WakeTestOutcome::kNone;
  EXPECT_TRUE(Has(DiagnoseWake(r, kAccepted, kStandby, test).findings[1].text, "powercfg /hibernate on"));
}

TEST(WakeReadiness, SlowResumeNamesTheOfferedLeadThatCoversIt) {
  const struct {
    int64_t took;
    int lead;
    FindingLevel level;
    const char* says;
  } cases[] = {
      {45, 60, FindingLevel::kOk, "開始の60秒前にする設定で間に合う"},
      {60, 60, FindingLevel::kOk, "間に合う"},
      {61, 60, FindingLevel::kWarning, "ユーザ設定で「ユーザ設定を有効にする」をオンにして、「ウェイクタイマーを開始の120秒前にする」を選んで"},
      {150, 0, FindingLevel::kWarning, "「ウェイクタイマーを開始の180秒前にする」"},
      {300, 180, FindingLevel::kWarning, "「ウェイクタイマーを開始の300秒前にする」を選んでください。"},
      {420, 300, FindingLevel::kWarning, "予約の開始時刻を早めてください"},
      {420, 600, FindingLevel::kOk, "開始の600秒前"},  // a lead from a hand-edited file
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.took);
    const ReadinessFinding f = JudgeSlowResume(c.took, c.lead);
    EXPECT_EQ(f.level, c.level);
    EXPECT_TRUE(Has(f.text, c.says)) << f.text;
  }
}

TEST(WakeReadiness, SleepChoice) {
  PowerReadings r = Good();
  EXPECT_EQ(ChooseSleepState(kHibernate, r).mode, kHibernate);
  EXPECT_EQ(ChooseSleepState(kStandby, r).mode, kStandby);
  EXPECT_TRUE(SleepChoiceText(ChooseSleepState(kHibernate, r)).empty());

  r.hiberFilePresent = false;  // supported, but switched off
  SleepChoice c = ChooseSleepState(kHibernate, r);
  EXPECT_EQ(c.mode, kStandby);
  EXPECT_TRUE(c.fellBack);
  EXPECT_TRUE(Has(SleepChoiceText(c), "powercfg /hibernate on"));

  r.standbyS3 = false;
  r.modernStandby = true;  // low-power idle still counts as standby
  EXPECT_EQ(ChooseSleepState(kHibernate, r).mode, kStandby);
  r.modernStandby = false;
  c = ChooseSleepState(kHibernate, r);
  EXPECT_FALSE(c.possible);
  EXPECT_FALSE(SleepChoiceText(c).empty());

  // Unread capabilities: the system call decides.
  c = ChooseSleepState(kHibernate, PowerReadings{});
  EXPECT_EQ(c.mode, kHibernate);
  EXPECT_TRUE(c.possible);
  EXPECT_FALSE(c.fellBack);
}

}  // namespace
