#include "engine/journal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/file.h"
#include "platform/program_path.h"
#include "schedule/time_rules.h"

namespace {

// The first line of a journal whose lines end in a check. A file begun
// before the check existed has the same line without ", 検査"; its lines
// are read as they are until this line follows.
constexpr const char* kHeader =
    "# Nimbra 実行履歴: 日時, 種類, コード, 予定の開始, 予定の終了, ウェイクタイマー, 番組名, 検査";
constexpr size_t kCheckDigits = 8;

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

// The check of a line's text before its last tab: 32-bit FNV-1a, in hex.
std::string LineCheck(const std::string& text, size_t length) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < length; ++i) {
    hash ^= static_cast<unsigned char>(text[i]);
    hash *= 16777619u;
  }
  char digits[kCheckDigits + 1];
  std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(hash));
  return digits;
}

// The event of the seven fields of a line; the title is whatever the last
// field holds.
std::optional<JournalEvent> ParseFields(const std::vector<std::string>& f) {
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

std::string WithoutCarriageReturn(const std::string& line) {
  return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
}

// Whether bytes hold the header line whole, so that its lines carry checks.
bool HasHeaderLine(const std::string& bytes) {
  const std::string header = kHeader;
  for (size_t at = bytes.find(header); at != std::string::npos; at = bytes.find(header, at + 1)) {
    const size_t end = at + header.size();
    const bool lineStart = at == 0 || bytes[at - 1] == '\n';
    const bool lineEnd = end < bytes.size() && (bytes[end] == '\n' ||
                                                (bytes[end] == '\r' && end + 1 < bytes.size() &&
                                                 bytes[end + 1] == '\n'));
    if (lineStart && lineEnd) return true;
  }
  return false;
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
  std::string line = JournalStamp(e.at) + '\t' + name + '\t' + code + '\t' +
                     StampOrDash(e.from) + '\t' + StampOrDash(e.to) + '\t' +
                     StampOrDash(e.timerAt) + '\t' + title;
  return line + '\t' + LineCheck(line, line.size());
}

std::optional<JournalEvent> ParseJournalLine(const std::string& raw) {
  const std::string line = WithoutCarriageReturn(raw);
  // A line is whole only with its check, which covers every byte before it:
  // a line cut anywhere, even inside the title, does not pass.
  const size_t tab = line.rfind('\t');
  if (tab == std::string::npos || line.size() - tab - 1 != kCheckDigits ||
      line.compare(tab + 1, kCheckDigits, LineCheck(line, tab)) != 0)
    return std::nullopt;
  const std::vector<std::string> f = SplitTabs(line.substr(0, tab));
  if (f.size() != 7) return std::nullopt;
  return ParseFields(f);
}

std::string JournalPathBeside(const std::string& settingsPath) {
  return JoinPath(DirectoryOf(settingsPath), "Nimbra-journal.txt");
}

bool CJournalFile::Append(const JournalEvent& event) {
  std::string line = FormatJournalLine(event);
  if (line.empty()) return false;
  line += '\n';
  if (!tailChecked_) {
    // A line torn by a kill must not swallow the first line of this run. The
    // header goes first into a new file, and after the lines of a file begun
    // without checks: from there on, a line without its check is torn.
    const std::optional<std::string> bytes = ReadFileBytes(path_);
    const bool empty = !bytes || bytes->empty();
    if (empty || !HasHeaderLine(*bytes)) line = std::string(kHeader) + '\n' + line;
    if (!empty && bytes->back() != '\n') line = '\n' + line;
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
  if (read.status != FileReadStatus::kRead) return events;
  const std::string& bytes = read.bytes;
  // Lines written before the header are taken without a check.
  bool checked = false;
  size_t at = 0;
  while (at < bytes.size()) {
    const size_t end = bytes.find('\n', at);
    // The last line without its end was torn by a kill.
    if (end == std::string::npos) break;
    const std::string line = WithoutCarriageReturn(bytes.substr(at, end - at));
    at = end + 1;
    if (line == kHeader) checked = true;
    if (line.empty() || line[0] == '#') continue;
    std::optional<JournalEvent> e = ParseJournalLine(line);
    if (!e && !checked) {
      const std::vector<std::string> f = SplitTabs(line);
      if (f.size() == 7) e = ParseFields(f);
    }
    if (e) events.push_back(std::move(*e));
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
  std::string bytes = std::string(kHeader) + '\n';
  for (size_t i = first; i < events.size(); ++i) bytes += FormatJournalLine(events[i]) + '\n';
  tailChecked_ = true;
  return WriteFileAtomically(path_, bytes);
}
