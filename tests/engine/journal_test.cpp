#include <gtest/gtest.h>

#include "engine/journal.h"
#include "engine/journal_recorder.h"
#include "engine/journal_verdict.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace {

const int64_t T = TimeToSeconds(MakeSystemTime(2030, 1, 7, 21, 0, 0));  // a window's start
const int64_t E = T + 3600;                                             // and its end
using O = JournalOutage;
using W = JournalWake;
using K = VerdictKind;
using C = VerdictCause;

struct VerdictRow {
  const char* name;
  int64_t seenAt;  // -1 never seen
  W wake;
  int64_t wokeAt, timerAt;
  std::vector<JournalOutage> outages;
  bool refused;
  JournalMiss miss;  // kUnseen: no miss record
  K kind;
  C cause;
  int64_t seconds;
};

// Every cause, and the boundaries: a second late, outages at the window's edges.
const VerdictRow kVerdicts[] = {
    {"seen at the start", T, W::kAlreadyOn, -1, -1, {}, false, JournalMiss::kUnseen, K::kFullyAwake, C::kNone, 0},
    {"seen a second late", T + 1, W::kTimer, T - 60, T - 60, {}, false, JournalMiss::kUnseen, K::kLate, C::kSlowResume, 1},
    {"timely timer, slow resume", T + 90, W::kTimer, T + 90, T - 60, {}, false, JournalMiss::kUnseen, K::kLate, C::kSlowResume, 90},
    {"timer due after the start", T + 90, W::kTimer, T + 90, T + 30, {}, false, JournalMiss::kUnseen, K::kLate, C::kWokenLate, 90},
    {"woken by someone else", T + 600, W::kOtherWake, T + 590, T - 60, {}, false, JournalMiss::kUnseen, K::kLate, C::kWokenLate, 600},
    {"program started late", T + 120, W::kProgramStarted, T + 118, -1, {}, false, JournalMiss::kUnseen, K::kLate, C::kProgramLate, 120},
    {"on but the tick came late", T + 30, W::kAlreadyOn, -1, -1, {}, false, JournalMiss::kUnseen, K::kLate, C::kTickLate, 30},
    {"late after a crash", T + 300, W::kProgramStarted, T + 300, -1, {{T - 100, T + 300, O::kUnknown}}, false, JournalMiss::kUnseen, K::kUnknown, C::kNoRecord, 300},
    {"slept by the user", T, W::kAlreadyOn, -1, -1, {{T + 600, T + 900, O::kSleptByOther}}, false, JournalMiss::kUnseen, K::kInterrupted, C::kSleptByOther, 300},
    {"slept by the program", T, W::kAlreadyOn, -1, -1, {{T + 600, T + 660, O::kSleptByProgram}}, false, JournalMiss::kUnseen, K::kInterrupted, C::kSleptByProgram, 60},
    {"program ended inside", T, W::kAlreadyOn, -1, -1, {{T + 10, T + 20, O::kNotRunning}, {T + 30, T + 35, O::kStalled}}, false, JournalMiss::kUnseen, K::kInterrupted, C::kNotRunning, 15},
    {"stalled inside", T, W::kAlreadyOn, -1, -1, {{T + 10, T + 3610, O::kStalled}}, false, JournalMiss::kUnseen, K::kInterrupted, C::kStalled, 3590},
    {"outage ending at the start", T, W::kAlreadyOn, -1, -1, {{T - 60, T, O::kSleptByOther}}, false, JournalMiss::kUnseen, K::kFullyAwake, C::kNone, 0},
    {"outage beginning at the end", T, W::kAlreadyOn, -1, -1, {{E, E + 60, O::kSleptByOther}}, false, JournalMiss::kUnseen, K::kFullyAwake, C::kNone, 0},
    {"crashed inside", T, W::kAlreadyOn, -1, -1, {{T + 60, E, O::kUnknown}}, false, JournalMiss::kUnseen, K::kUnknown, C::kNoRecord, 3540},
    {"late and interrupted", T + 10, W::kOtherWake, T + 9, -1, {{T + 100, T + 200, O::kSleptByOther}}, false, JournalMiss::kUnseen, K::kLate, C::kWokenLate, 10},
    {"missed, asleep", -1, W::kAlreadyOn, -1, -1, {{T - 10, E + 10, O::kSleptByOther}}, false, JournalMiss::kUnseen, K::kMissed, C::kAsleep, 3600},
    {"missed, off at the load", -1, W::kAlreadyOn, -1, -1, {}, false, JournalMiss::kAsleep, K::kMissed, C::kAsleep, 3600},
    {"missed, not running", -1, W::kAlreadyOn, -1, -1, {{T - 10, E + 10, O::kNotRunning}}, false, JournalMiss::kUnseen, K::kMissed, C::kNotRunning, 3600},
    {"missed, told at the start", -1, W::kAlreadyOn, -1, -1, {}, false, JournalMiss::kNotRunning, K::kMissed, C::kNotRunning, 3600},
    {"missed, timer refused", -1, W::kAlreadyOn, -1, -1, {{T - 10, E + 10, O::kSleptByOther}}, true, JournalMiss::kUnseen, K::kMissed, C::kTimerRefused, 3600},
    {"missed, crashed", -1, W::kAlreadyOn, -1, -1, {{T - 10, E + 10, O::kUnknown}}, false, JournalMiss::kAsleep, K::kUnknown, C::kNoRecord, 3600},
};

TEST(JournalVerdict, Table) {
  for (const VerdictRow& row : kVerdicts) {
    JournalWindow w;
    w.start = T;
    w.end = E;
    w.seenAt = row.seenAt;
    w.wake = row.wake;
    w.wokeAt = row.wokeAt;
    w.timerAt = row.timerAt;
    for (const JournalOutage& o : row.outages)
      if (o.from < E && o.to > T) w.outages.push_back(o);
    w.timerRefused = row.refused;
    w.missRecorded = row.miss != JournalMiss::kUnseen;
    w.miss = row.miss;
    const JournalVerdict v = JudgeWindow(w);
    EXPECT_EQ(v.kind, row.kind) << row.name;
    EXPECT_EQ(v.cause, row.cause) << row.name;
    EXPECT_EQ(v.seconds, row.seconds) << row.name;
  }
}

TEST(JournalVerdict, TextsNameTheCauseInJapanese) {
  EXPECT_EQ(VerdictText({K::kFullyAwake, C::kNone, 0, -1, 0}), "最後まで起動");
  EXPECT_EQ(VerdictText({K::kLate, C::kSlowResume, 95, T - 60, 0}),
            "1分35秒遅れて開始（タイマーで20:59:00に起動、復帰に時間がかかりました。起動の前倒しを長くしてください）");
  EXPECT_EQ(VerdictText({K::kInterrupted, C::kSleptByOther, 300, T + 600, 0}),
            "5分00秒中断（21:10:00にユーザーかWindowsがスリープ）");
  EXPECT_EQ(VerdictText({K::kMissed, C::kTimerRefused, 3600, -1, 0}), "見逃し（ウェイクタイマーが拒否されました）");
  EXPECT_EQ(VerdictText({K::kUnknown, C::kNoRecord, 10, -1, 0}), "不明（Nimbraが異常終了し、記録がありません）");
  // The notifications say the verdict and its cause apart.
  const JournalVerdict late{K::kLate, C::kProgramLate, 120, T + 118, 60};
  EXPECT_EQ(VerdictText(late), "2分00秒遅れて開始（21:01:58にNimbraが起動）、途中1分00秒中断");
  EXPECT_EQ(VerdictHeadline(late), "2分00秒遅れて開始、途中1分00秒中断");
  EXPECT_EQ(CauseText(late), "21:01:58にNimbraが起動");
  EXPECT_EQ(CauseText({K::kFullyAwake, C::kNone, 0, -1, 0}), "");
}

JournalEvent Ev(JournalKind kind, int64_t at, int code = 0, int64_t from = 0, int64_t to = 0,
                const std::string& title = "") {
  JournalEvent e;
  e.kind = kind;
  e.at = at;
  e.code = code;
  e.from = from;
  e.to = to;
  e.title = title;
  return e;
}

// The header line a new journal starts with, with its line end.
std::string ReadHeaderOfANewJournal() {
  ScratchDir dir;
  const std::string path = dir.File("Nimbra-journal.txt");
  if (!CJournalFile(path).Append(Ev(JournalKind::kProgramStart, T))) return "";
  const std::string bytes = ReadAll(path);
  return bytes.substr(0, bytes.find('\n') + 1);
}

TEST(JournalLine, RoundTripsAndRefusesTornOrForeignLines) {
  JournalEvent e = Ev(JournalKind::kWindow, T + 1, 1, T, E, "ニュース\t7");
  e.timerAt = T - 60;
  const std::string line = FormatJournalLine(e);
  EXPECT_EQ(line, "2030-01-07 21:00:01\twindow\t1\t2030-01-07 21:00:00\t2030-01-07 22:00:00\t"
                  "2030-01-07 20:59:00\tニュース 7\t107bab68");
  const auto back = ParseJournalLine(line);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->kind, JournalKind::kWindow);
  EXPECT_EQ(back->at, T + 1);
  EXPECT_EQ(back->from, T);
  EXPECT_EQ(back->to, E);
  EXPECT_EQ(back->timerAt, T - 60);
  EXPECT_EQ(back->title, "ニュース 7");
  EXPECT_TRUE(ParseJournalLine(line + "\r"));
  const std::vector<std::string> bads = {line.substr(0, 30), "garbage", "",
                                       "2030-01-07 21:00:01\tbogus\t0\t-\t-\t-\t",
                                       "2030-13-07 21:00:01\tstart\t0\t-\t-\t-\t"};
  for (const std::string& bad : bads)
    EXPECT_FALSE(ParseJournalLine(bad)) << bad;
}

TEST(JournalFile, SkipsATornLastLineAndWritesOnAfterIt) {
  ScratchDir dir;
  const std::string path = dir.File("Nimbra-journal.txt");
  {
    CJournalFile file(path);
    ASSERT_TRUE(file.Append(Ev(JournalKind::kProgramStart, T)));
  }
  // A kill in the middle of the next line.
  WriteAll(path, ReadAll(path) + FormatJournalLine(Ev(JournalKind::kSleep, T + 5)).substr(0, 12));
  CJournalFile file(path);
  EXPECT_EQ(file.Load().size(), 1u);
  ASSERT_TRUE(file.Append(Ev(JournalKind::kProgramExit, T + 9)));
  const auto events = file.Load();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].kind, JournalKind::kProgramExit);
}

// One whole line as the program writes it, and a cut of it at every byte:
// in a stamp, in a kind, after a tab, inside a character of the title,
// before the check and inside it. A kill's cut is ended by the next run's
// line end and followed by its lines; it must never read as an event.
TEST(JournalFile, ALineCutAnywhereIsSkippedAfterTheNextRunWritesOn) {
  const std::string whole =
      "2030-01-07 21:00:01\twindow\t1\t2030-01-07 21:00:00\t2030-01-07 22:00:00\t"
      "2030-01-07 20:59:00\tニュース 7\t107bab68";
  ASSERT_TRUE(ParseJournalLine(whole));
  const std::string header = ReadHeaderOfANewJournal();
  ScratchDir dir;
  const std::string path = dir.File("Nimbra-journal.txt");
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    const std::string torn = whole.substr(0, cut);
    EXPECT_FALSE(ParseJournalLine(torn)) << torn;
    WriteAll(path, header + FormatJournalLine(Ev(JournalKind::kProgramStart, T)) + '\n' + torn);
    CJournalFile file(path);
    ASSERT_TRUE(file.Append(Ev(JournalKind::kProgramExit, T + 9)));
    const auto events = file.Load();
    ASSERT_EQ(events.size(), 2u) << torn;
    EXPECT_EQ(events[0].kind, JournalKind::kProgramStart);
    EXPECT_EQ(events[1].kind, JournalKind::kProgramExit);
  }
}

// A journal begun before lines had checks reads as it did; the next run
// writes its lines with checks after a header, from where a cut line (here
// one that would read as a window with a shortened title) is skipped.
TEST(JournalFile, ReadsAJournalWithoutChecksAndWritesOnWithThem) {
  ScratchDir dir;
  const std::string path = dir.File("Nimbra-journal.txt");
  const std::string old =
      "# Nimbra 実行履歴: 日時, 種類, コード, 予定の開始, 予定の終了, ウェイクタイマー, 番組名\n"
      "2030-01-07 20:59:02\twindow\t1\t2030-01-07 21:00:00\t2030-01-07 21:54:00\t-\tニュース\n"
      "2030-01-07 21:54:00\tend\t0\t2030-01-07 21:00:00\t2030-01-07 21:54:00\t-\tニュース\n";
  WriteAll(path, old);
  {
    CJournalFile file(path);
    ASSERT_EQ(file.Load().size(), 2u);
    ASSERT_TRUE(file.Append(Ev(JournalKind::kProgramStart, E)));
  }
  const std::string line =
      FormatJournalLine(Ev(JournalKind::kWindow, E + 60, 0, E + 60, E + 120, "ドラマ 12"));
  const std::string cut = line.substr(0, line.find("ドラマ 12") + std::string("ドラマ 1").size());
  WriteAll(path, ReadAll(path) + cut);
  CJournalFile file(path);
  ASSERT_TRUE(file.Append(Ev(JournalKind::kProgramExit, E + 200)));
  const auto events = file.Load();
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[1].kind, JournalKind::kWindowEnd);
  EXPECT_EQ(events[2].kind, JournalKind::kProgramStart);
  EXPECT_EQ(events[3].kind, JournalKind::kProgramExit);
  EXPECT_EQ(ReadAll(path).substr(0, old.size()), old);
}

TEST(JournalFile, TrimKeepsTheNewestWindowsAndOnlyRewritesPastTheSlack) {
  ScratchDir dir;
  const std::string path = dir.File("Nimbra-journal.txt");
  std::string bytes;
  auto add = [&](int n) {
    for (int i = 0; i < n; ++i) {
      const int64_t s = T + int64_t{i} * 7200;
      bytes += FormatJournalLine(Ev(JournalKind::kResume, s - 60, 1)) + '\n';
      bytes += FormatJournalLine(Ev(JournalKind::kWindow, s, 1, s, s + 3600, std::to_string(i))) + '\n';
    }
  };
  add(CJournalFile::kKeepWindows + CJournalFile::kSlackWindows);
  WriteAll(path, bytes);
  CJournalFile file(path);
  ASSERT_TRUE(file.Trim());
  EXPECT_EQ(ReadAll(path), bytes);  // within the slack: untouched
  bytes.clear();
  add(CJournalFile::kKeepWindows + CJournalFile::kSlackWindows + 1);
  WriteAll(path, bytes);
  ASSERT_TRUE(file.Trim());
  const auto windows = AssembleWindows(file.Load());
  ASSERT_EQ(windows.size(), size_t{CJournalFile::kKeepWindows});
  EXPECT_EQ(windows.front().title, std::to_string(CJournalFile::kSlackWindows + 1));
}

// The journal as the program writes it, judged.
struct Recorded : IJournalSink {
  std::vector<JournalEvent> events;
  void Record(const JournalEvent& e) override { events.push_back(e); }
};

TEST(JournalRecorder, TellsHowThePcWokeAndWritesNothingOnQuietTicks) {
  Recorded sink;
  CJournalRecorder r(sink);
  const JournalWindowRef a{T, E, "a"};
  r.ProgramStarted(T - 7200, false, {}, {});
  for (int64_t t = T - 7200; t < T - 3600; ++t) r.Tick(t);
  EXPECT_EQ(sink.events.size(), 1u);
  r.Sleeping(T - 3600, JournalSleeper::kProgram);
  r.Sleeping(T - 3600, JournalSleeper::kOther);  // Windows' own broadcast after ours
  r.Resumed(T + 40, true);
  r.Resumed(T + 45, false);  // someone touched the PC after the timer's wake
  r.Tick(T + 46);
  r.WindowSeen(T + 46, a, T - 60);
  r.WindowSeen(T + 47, a, T - 60);
  r.Tick(T + 47);
  r.Tick(T + 1000);  // a stall
  r.WindowEnded(E, a, JournalEnd::kCountdown);
  r.ProgramEnding(E + 5, false);
  const auto windows = AssembleWindows(sink.events);
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].wake, W::kTimer);
  EXPECT_EQ(windows[0].wokeAt, T + 40);
  const JournalVerdict v = JudgeWindow(windows[0]);
  EXPECT_EQ(v.kind, K::kLate);
  EXPECT_EQ(v.cause, C::kSlowResume);
  EXPECT_EQ(v.seconds, 46);
  EXPECT_EQ(v.interrupted, 953);
  EXPECT_EQ(EndText(windows[0]), "カウントダウン");
}

TEST(JournalRecorder, WindowsPassedWhileNotRunningAreMissedAndACrashIsUnknown) {
  Recorded sink;
  {
    CJournalRecorder r(sink);
    r.ProgramStarted(T - 7200, false, {}, {});
    r.ProgramEnding(T - 3600, false);
  }
  const std::vector<JournalWindowRef> passed = {{T - 90000, T - 86400, "old"}, {T, E, "a"}};
  {
    CJournalRecorder r(sink);
    const std::vector<JournalWindowRef> missed = r.ProgramStarted(E + 60, false, sink.events, passed);
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_EQ(missed[0].title, "a");
    r.WindowSeen(E + 100, {E + 100, E + 9000, "b"}, -1);  // then killed
  }
  CJournalRecorder r(sink);
  r.ProgramStarted(E + 9999, true, sink.events, {{E + 100, E + 9000, "b"}});
  const auto windows = AssembleWindows(sink.events);
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_EQ(JudgeWindow(windows[0]).cause, C::kNotRunning);
  EXPECT_EQ(JudgeWindow(windows[0]).kind, K::kMissed);
  EXPECT_EQ(JudgeWindow(windows[1]).kind, K::kUnknown);
  EXPECT_EQ(JudgeWindow(windows[1]).cause, C::kNoRecord);
}

TEST(JournalCsv, HasAByteOrderMarkQuotesAndNewestFirst) {
  std::vector<JournalWindow> windows(2);
  windows[0].start = T;
  windows[0].end = E;
  windows[0].title = "say \"hi\"";
  windows[0].seenAt = T;
  windows[1].start = E;
  windows[1].end = E + 60;
  const std::string csv = JournalCsv(windows);
  EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
  const size_t second = csv.find("\r\n") + 2;
  EXPECT_EQ(csv.substr(second, 23), "\"2030-01-07 22:00:00\",\"");
  EXPECT_NE(csv.find("\"say \"\"hi\"\"\",\"正常\""), std::string::npos);
}

}  // namespace
