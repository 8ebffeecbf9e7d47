#include "engine/journal_verdict.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

namespace {

std::string Clock(int64_t seconds) {
  const std::string stamp = JournalStamp(seconds);
  return stamp.size() == 19 ? stamp.substr(11) : stamp;
}

std::string Duration(int64_t seconds) {
  char text[48];
  if (seconds < 60)
    std::snprintf(text, sizeof text, "%d秒", static_cast<int>(seconds));
  else if (seconds < 3600)
    std::snprintf(text, sizeof text, "%d分%02d秒", static_cast<int>(seconds / 60),
                  static_cast<int>(seconds % 60));
  else
    std::snprintf(text, sizeof text, "%d時間%02d分", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60));
  return text;
}

VerdictCause CauseOf(JournalOutage::Kind kind) {
  switch (kind) {
    case JournalOutage::kSleptByProgram: return VerdictCause::kSleptByProgram;
    case JournalOutage::kSleptByOther: return VerdictCause::kSleptByOther;
    case JournalOutage::kNotRunning: return VerdictCause::kNotRunning;
    case JournalOutage::kStalled: return VerdictCause::kStalled;
    case JournalOutage::kUnknown: return VerdictCause::kNoRecord;
  }
  return VerdictCause::kNoRecord;
}

bool Overlaps(const JournalOutage& o, int64_t from, int64_t to) { return o.from < to && o.to > from; }

}  // namespace

JournalVerdict JudgeWindow(const JournalWindow& w) {
  JournalVerdict v;
  if (w.seenAt < 0) {
    v.kind = VerdictKind::kMissed;
    v.seconds = w.end - w.start;
    for (const JournalOutage& o : w.outages)
      if (o.kind == JournalOutage::kUnknown && Overlaps(o, w.start, w.end)) {
        v.kind = VerdictKind::kUnknown;
        v.cause = VerdictCause::kNoRecord;
        return v;
      }
    if (w.timerRefused) {
      v.cause = VerdictCause::kTimerRefused;
    } else if (w.missRecorded && w.miss == JournalMiss::kNotRunning) {
      v.cause = VerdictCause::kNotRunning;
    } else if (w.missRecorded && w.miss == JournalMiss::kAsleep) {
      v.cause = VerdictCause::kAsleep;
    } else {
      v.cause = VerdictCause::kAsleep;
      for (const JournalOutage& o : w.outages) {
        if (!Overlaps(o, w.start, w.end)) continue;
        if (o.kind == JournalOutage::kNotRunning) v.cause = VerdictCause::kNotRunning;
        if (o.kind == JournalOutage::kStalled) v.cause = VerdictCause::kStalled;
      }
    }
    return v;
  }

  const int64_t from = std::max(w.seenAt, w.start);
  int64_t lost = 0, longest = 0;
  bool unknown = false;
  for (const JournalOutage& o : w.outages) {
    const int64_t a = std::max(o.from, from), b = std::min(o.to, w.end);
    if (b <= a) continue;
    lost += b - a;
    unknown = unknown || o.kind == JournalOutage::kUnknown;
    if (b - a > longest) {
      longest = b - a;
      v.cause = CauseOf(o.kind);
      v.at = o.from;
    }
  }

  if (w.seenAt > w.start) {
    // Nothing is known about a start the program missed by crashing.
    for (const JournalOutage& o : w.outages)
      if (o.kind == JournalOutage::kUnknown && Overlaps(o, w.start, w.seenAt)) {
        v = JournalVerdict{VerdictKind::kUnknown, VerdictCause::kNoRecord, w.seenAt - w.start, o.from};
        return v;
      }
    v.kind = VerdictKind::kLate;
    v.seconds = w.seenAt - w.start;
    v.at = w.wokeAt;
    switch (w.wake) {
      case JournalWake::kTimer:
        v.cause = w.timerAt >= 0 && w.timerAt <= w.start ? VerdictCause::kSlowResume
                                                          : VerdictCause::kWokenLate;
        if (v.cause == VerdictCause::kSlowResume) v.at = w.timerAt;
        break;
      case JournalWake::kOtherWake: v.cause = VerdictCause::kWokenLate; break;
      case JournalWake::kProgramStarted: v.cause = VerdictCause::kProgramLate; break;
      case JournalWake::kAlreadyOn: v.cause = VerdictCause::kTickLate; break;
    }
    v.interrupted = lost;
    return v;
  }
  if (lost == 0) return JournalVerdict{};
  v.kind = unknown ? VerdictKind::kUnknown : VerdictKind::kInterrupted;
  if (unknown) v.cause = VerdictCause::kNoRecord;
  v.seconds = lost;
  return v;
}

const char* VerdictWord(VerdictKind kind) {
  switch (kind) {
    case VerdictKind::kFullyAwake: return "正常";
    case VerdictKind::kLate: return "遅れ";
    case VerdictKind::kInterrupted: return "中断";
    case VerdictKind::kMissed: return "見逃し";
    case VerdictKind::kUnknown: return "不明";
  }
  return "不明";
}

std::string CauseText(const JournalVerdict& v) {
  const std::string at = v.at > 0 ? Clock(v.at) : "";
  switch (v.cause) {
    case VerdictCause::kNone: return "";
    case VerdictCause::kSlowResume:
      return "タイマーで" + at + "に起動、復帰に時間がかかりました。起動の前倒しを長くしてください";
    case VerdictCause::kWokenLate:
      return at.empty() ? std::string("タイマーで起動しませんでした") : at + "にタイマー以外で起動";
    case VerdictCause::kProgramLate: return at + "にNimbraが起動";
    case VerdictCause::kTickLate: return "PCは起動中でしたが、処理が遅れました";
    case VerdictCause::kSleptByProgram: return at + "にNimbraがスリープ";
    case VerdictCause::kSleptByOther: return at + "にユーザーかWindowsがスリープ";
    case VerdictCause::kNotRunning: return "Nimbraが起動していませんでした";
    case VerdictCause::kStalled: return "処理が止まっていたか、時計が変わりました";
    case VerdictCause::kAsleep: return "PCの電源が切れていたか、スリープ中でした";
    case VerdictCause::kTimerRefused: return "ウェイクタイマーが拒否されました";
    case VerdictCause::kNoRecord: return "Nimbraが異常終了し、記録がありません";
  }
  return "";
}

namespace {

// The verdict's words with the cause, when there is one, in brackets after
// the part it explains.
std::string VerdictWords(const JournalVerdict& v, bool withCause) {
  const std::string why = withCause ? "（" + CauseText(v) + "）" : "";
  switch (v.kind) {
    case VerdictKind::kFullyAwake: return "最後まで起動";
    case VerdictKind::kLate: {
      std::string text = Duration(v.seconds) + "遅れて開始" + why;
      if (v.interrupted > 0) text += "、途中" + Duration(v.interrupted) + "中断";
      return text;
    }
    case VerdictKind::kInterrupted: return Duration(v.seconds) + "中断" + why;
    case VerdictKind::kMissed: return "見逃し" + why;
    case VerdictKind::kUnknown: return "不明" + why;
  }
  return "";
}

}  // namespace

std::string VerdictText(const JournalVerdict& v) { return VerdictWords(v, true); }

std::string VerdictHeadline(const JournalVerdict& v) { return VerdictWords(v, false); }

std::string WakeText(const JournalWindow& w) {
  if (w.seenAt < 0) return "";
  switch (w.wake) {
    case JournalWake::kAlreadyOn: return "起動中";
    case JournalWake::kTimer: return "タイマーで復帰 " + Clock(w.wokeAt);
    case JournalWake::kOtherWake: return "タイマー以外で復帰 " + Clock(w.wokeAt);
    case JournalWake::kProgramStarted: return "Nimbraを起動 " + Clock(w.wokeAt);
  }
  return "";
}

std::string EndText(const JournalWindow& w) {
  if (!w.ended) return "";
  const char* stopped = w.countdownStopped ? "（中止）" : "";
  switch (w.endAction) {
    case JournalEnd::kCountdown: return std::string("カウントダウン") + stopped;
    case JournalEnd::kStayedAwake: return "次の予定まで待機";
    case JournalEnd::kClosedLate: return "終了時刻の後に終了処理";
    case JournalEnd::kSuspended: return std::string("スリープへのカウントダウン") + stopped;
    case JournalEnd::kShutDown: return std::string("シャットダウンへのカウントダウン") + stopped;
    case JournalEnd::kStopped: return "カウントダウンを中止";
  }
  return "";
}

std::vector<JournalWindow> AssembleWindows(const std::vector<JournalEvent>& events) {
  std::vector<JournalWindow> windows;
  std::map<std::pair<int64_t, std::string>, size_t> index;
  std::vector<JournalOutage> outages, stalls;
  std::set<int64_t> refused;
  auto window = [&](const JournalEvent& e) -> JournalWindow& {
    auto [it, added] = index.insert({{e.from, e.title}, windows.size()});
    if (added) {
      JournalWindow w;
      w.start = e.from;
      w.end = e.to;
      w.title = e.title;
      windows.push_back(std::move(w));
    }
    return windows[it->second];
  };

  int64_t lastAt = -1, exitAt = -1, sleepAt = -1, wokeAt = -1;
  JournalOutage::Kind sleepKind = JournalOutage::kSleptByOther;
  for (const JournalEvent& e : events) {
    switch (e.kind) {
      case JournalKind::kProgramStart:
        if (sleepAt >= 0)
          outages.push_back({sleepAt, e.at, sleepKind});
        else if (exitAt >= 0)
          outages.push_back({exitAt, e.at, JournalOutage::kNotRunning});
        else if (lastAt >= 0)
          outages.push_back({lastAt, e.at, JournalOutage::kUnknown});
        sleepAt = exitAt = -1;
        wokeAt = e.at;
        break;
      case JournalKind::kProgramExit:
        exitAt = e.at;
        break;
      case JournalKind::kSleep:
        if (sleepAt < 0) {
          sleepAt = e.at;
          sleepKind = e.code == static_cast<int>(JournalSleeper::kProgram)
                          ? JournalOutage::kSleptByProgram
                          : JournalOutage::kSleptByOther;
        }
        break;
      case JournalKind::kResume:
        if (sleepAt >= 0) {
          outages.push_back({sleepAt, e.at, sleepKind});
          sleepAt = -1;
          wokeAt = e.at;
        }
        break;
      case JournalKind::kStall:
        stalls.push_back({e.from, e.to, JournalOutage::kStalled});
        break;
      case JournalKind::kWindow: {
        JournalWindow& w = window(e);
        if (w.seenAt < 0) {
          w.seenAt = e.at;
          w.wake = static_cast<JournalWake>(std::clamp(e.code, 0, 3));
          w.timerAt = e.timerAt;
          w.wokeAt = w.wake == JournalWake::kAlreadyOn ? -1 : wokeAt;
        }
        break;
      }
      case JournalKind::kWindowEnd: {
        JournalWindow& w = window(e);
        // The stop of the countdown follows the end and keeps what it was.
        if (e.code == static_cast<int>(JournalEnd::kStopped) && w.ended) {
          w.countdownStopped = true;
          break;
        }
        w.ended = true;
        w.endAction = static_cast<JournalEnd>(std::clamp(e.code, 0, 5));
        break;
      }
      case JournalKind::kMissed: {
        JournalWindow& w = window(e);
        w.missRecorded = true;
        w.miss = static_cast<JournalMiss>(std::clamp(e.code, 0, 2));
        break;
      }
      case JournalKind::kTimerRefused:
        refused.insert(e.from);
        break;
      case JournalKind::kLooked:
      case JournalKind::kWakeTest:
        break;
    }
    lastAt = e.at;
  }
  // A stall that a sleep or the program's absence explains is no stall.
  for (const JournalOutage& s : stalls) {
    bool explained = false;
    for (const JournalOutage& o : outages) explained = explained || Overlaps(o, s.from, s.to);
    if (!explained) outages.push_back(s);
  }
  std::sort(outages.begin(), outages.end(),
            [](const JournalOutage& a, const JournalOutage& b) { return a.from < b.from; });
  std::sort(windows.begin(), windows.end(),
            [](const JournalWindow& a, const JournalWindow& b) { return a.start < b.start; });
  for (JournalWindow& w : windows) {
    w.timerRefused = refused.count(w.start) > 0;
    auto it = std::lower_bound(outages.begin(), outages.end(), w.end,
                               [](const JournalOutage& o, int64_t t) { return o.from < t; });
    // Outages begin in order but may be long: look back over the few before.
    for (auto back = it; back != outages.begin();) {
      --back;
      if (Overlaps(*back, w.start, w.end))
        w.outages.push_back({std::max(back->from, w.start), std::min(back->to, w.end), back->kind});
      if (back->from < w.start - 86400 * 30) break;
    }
    std::reverse(w.outages.begin(), w.outages.end());
  }
  return windows;
}

std::string ShortfallNote(const std::vector<JournalEvent>& events, int64_t now) {
  int64_t looked = -1;
  for (const JournalEvent& e : events)
    if (e.kind == JournalKind::kLooked) looked = e.at;
  const std::vector<JournalWindow> windows = AssembleWindows(events);
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if (it->end > now) continue;
    const JournalVerdict v = JudgeWindow(*it);
    if (v.kind == VerdictKind::kFullyAwake || it->end <= looked) return "";
    return std::string("前回の録画: ") + VerdictWord(v.kind) + "（実行履歴を確認してください）";
  }
  return "";
}

std::string JournalCsv(const std::vector<JournalWindow>& windows) {
  auto field = [](const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
      if (c == '"') quoted += '"';
      quoted += c;
    }
    return quoted + "\"";
  };
  std::string csv = "\xEF\xBB\xBF";
  csv += "\"開始\",\"終了\",\"番組名\",\"判定\",\"詳細\",\"起動\",\"終了後\"\r\n";
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    const JournalVerdict v = JudgeWindow(*it);
    csv += field(JournalStamp(it->start)) + ',' + field(JournalStamp(it->end)) + ',' +
           field(it->title) + ',' + field(VerdictWord(v.kind)) + ',' + field(VerdictText(v)) + ',' +
           field(WakeText(*it)) + ',' + field(EndText(*it)) + "\r\n";
  }
  return csv;
}
