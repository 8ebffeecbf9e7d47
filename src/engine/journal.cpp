#include "engine/journal.h"

#include <cstdio>
#include <cstring>

#include "platform/file.h"
#include "platform/program_path.h"
#include "schedule/time_rules.h"

namespace {

constexpr const char* kHeader =
    "# Nimbra 実行履歴: 日時, 種類, コード, 予定の開始, 予定の終了, ウェイクタイマー, 番組名\n";

struct KindName {
  JournalKind kind;
  const char* name;
};
constexpr KindName kKindNames[] = {
    {JournalKind::kProgramStart, "start"}, {JournalKind::kProgramExit, "exit"},
    {JournalKind::kSleep, "sleep"},        {JournalKind::kResume, "resume"},
    {JournalKind::kStall, "stall"},        {JournalKind::kWindow, "window"},
    {JournalKind::kWindowEnd, "end"},      {JournalKind::kMissed, "missed"},
    {JournalKind::kTimerRefused, "refused"}, {JournalKind::kLooked, "looked"},
    {JournalKind::kWakeTest, "wake-test"},
};

// A stamp, or "-" for none (0 or negative).
std::string StampOrDash(int64_t seconds) { return seconds > 0 ? JournalStamp(seconds) : "-"; }

std::optional<int64_t> ParseStamp(const std::string& text) {
  if (text == "-") return int64_t{0};
  int y, mo, d, h, mi, s;
  char tail;
  if (text.size() != 19 ||
      std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6)
    return std::nullopt;
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return std::nullopt;
  const int32_t t = TimeToSeconds(MakeSystemTime(y, mo, d, h, mi, s));
  if (t <= 0) return std::nullopt;
  return int64_t{t};
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t at = 0;
  for (;;) {
    const size_t tab = line.find('\t', at);
    fields.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
    if (tab == std::string::npos) return fields;
    at = tab + 1;
  }
}

bool IsWindowKind(JournalKind kind) {
  return kind == JournalKind::kWindow || kind == JournalKind::kMissed;
}

}  // namespace

std::string JournalStamp(int64_t seconds) {
  SystemTime t{};
  if (!SecondsToTime(seconds, &t)) return "-";
  char text[40];  // room for any field values, so that the compiler sees no cut
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond);
  return text;
}

std::string FormatJournalLine(const JournalEvent& e) {
  const char* name = nullptr;
  for (const KindName& k : kKindNames)
    if (k.kind == e.kind) name = k.name;
  if (!name) return "";
  // A title is one field of one line.
  std::string title = e.title;
  for (char& c : title)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  char code[16];
  std::snprintf(code, sizeof code, "%d", e.code);
  return JournalStamp(e.at) + '\t' + name + '\t' + code + '\t' + StampOrDash(e.from) + '\t' +
         StampOrDash(e.to) + '\t' + StampOrDash(e.timerAt) + '\t' + title;
}

std::optional<JournalEvent> ParseJournalLine(const std::string& raw) {
  std::string line = raw;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const std::vector<std::string> f = SplitTabs(line);
  if (f.size() != 7) return std::nullopt;
  JournalEvent e;
  bool known = false;
  for (const KindName& k : kKindNames) {
    if (f[1] == k.name) {
      e.kind = k.kind;
      known = true;
    }
  }
  if (!known || f[2].empty() || f[2].size() > 3) return std::nullopt;
  for (char c : f[2])
    if (c < '0' || c > '9') return std::nullopt;
  e.code = std::atoi(f[2].c_str());
  const auto at = ParseStamp(f[0]);
  const auto from = ParseStamp(f[3]);
  const auto to = ParseStamp(f[4]);
  const auto timer = ParseStamp(f[5]);
  if (!at || !from || !to || !timer || *at == 0) return std::nullopt;
  e.at = *at;
  e.from = *from;
  e.to = *to;
  e.timerAt = *timer > 0 ? *timer : -1;
  e.title = f[6];
  return e;
}

std::string JournalPathBeside(const std::string& settingsPath) {
  return JoinPath(DirectoryOf(settingsPath), "Nimbra-journal.txt");
}

bool CJournalFile::Append(const JournalEvent& event) {
  std::string line = FormatJournalLine(event);
  if (line.empty()) return false;
  line += '\n';
  if (!tailChecked_) {
    // A line torn by a kill must not swallow the first line of this run.
    const std::optional<std::string> bytes = ReadFileBytes(path_);
    if (!bytes || bytes->empty())
      line = kHeader + line;
    else if (bytes->back() != '\n')
      line = '\n' + line;
    tailChecked_ = true;
  }
  UniqueFile file(OpenFile(path_, "ab"));
  if (!file) return false;
  const bool written = std::fwrite(line.data(), 1, line.size(), file.get()) == line.size();
  return FinishFile(file) && written;
}

std::vector<JournalEvent> CJournalFile::Load() const {
  std::vector<JournalEvent> events;
  const FileRead read = ReadFileBounded(path_, kMaxBytes);
  if (read.status != FileReadStatus::Read) return events;
  const std::string& bytes = read.bytes;
  size_t at = 0;
  while (at < bytes.size()) {
    const size_t end = bytes.find('\n', at);
    // The last line without its end was torn by a kill.
    if (end == std::string::npos) break;
    if (bytes[at] != '#') {
      if (auto e = ParseJournalLine(bytes.substr(at, end - at))) events.push_back(std::move(*e));
    }
    at = end + 1;
  }
  return events;
}

bool CJournalFile::Trim() {
  const std::vector<JournalEvent> events = Load();
  int windows = 0;
  for (const JournalEvent& e : events) windows += IsWindowKind(e.kind);
  if (windows <= kKeepWindows + kSlackWindows) return true;
  int drop = windows - kKeepWindows;
  size_t first = 0;
  while (first < events.size() && (drop > 0 || !IsWindowKind(events[first].kind))) {
    drop -= IsWindowKind(events[first].kind);
    ++first;
  }
  std::string bytes = kHeader;
  for (size_t i = first; i < events.size(); ++i) bytes += FormatJournalLine(events[i]) + '\n';
  tailChecked_ = true;
  return WriteFileAtomically(path_, bytes);
}
