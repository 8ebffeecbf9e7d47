#include "iepg/iepg_reader.h"

#include <cstdio>

#include "platform/file.h"
#include "platform/text.h"

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// The leading decimal number of text after any blanks; -1 when it has none,
// so that a value without digits never passes for a time or a date. Kept in
// a sane range so that a hostile file cannot overflow anything.
int LeadingNumber(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text[0] < '0' || text[0] > '9') return -1;
  int value = 0;
  for (size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value < 100000) value = value * 10 + (text[i] - '0');
  }
  return value;
}

// "hh:mm" (seconds after a further colon are ignored); without a colon the
// number is the hour and the minute is 0.
void HourMinute(std::string_view value, int* hour, int* minute) {
  const size_t colon = value.find(':');
  *hour = LeadingNumber(value.substr(0, colon));
  *minute = colon == std::string_view::npos ? 0 : LeadingNumber(value.substr(colon + 1));
}

std::string CutText(std::string_view value) {
  return std::string(value.substr(0, SjisCutLength(value, kIepgTitleMax)));
}

bool IsBlank(std::string_view line) { return Trim(line).empty(); }

bool IsKeyChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}

// A header line "key: value": the key before the first colon (letters,
// digits and '-' only, any case), the value after it without the blanks
// around it. False for any other line.
bool SplitKeyLine(std::string_view line, std::string_view* key, std::string_view* value) {
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  const std::string_view k = line.substr(0, colon);
  for (char c : k)
    if (!IsKeyChar(c)) return false;
  *key = k;
  *value = Trim(line.substr(colon + 1));
  return true;
}

// Walks the lines of bytes; CRLF, LF and a lone CR each end a line.
template <typename Visit>
void ForEachLine(std::string_view bytes, Visit visit) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(pos, end - pos);
    const bool crlf = end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n';
    const size_t next = end + (crlf ? 2 : 1);
    if (!visit(line, pos, next > bytes.size() ? bytes.size() : next)) return;
    pos = next;
  }
}

// The outer header of a file: the keys that say what it is.
struct Envelope {
  std::string contentType;  // lower case, without parameters
  std::string version;
  std::string boundary;
  std::string multiTitle;
  bool sawContentType = false, sawVersion = false, sawBoundary = false, sawMultiTitle = false;
};

Envelope ReadEnvelope(std::string_view bytes) {
  Envelope env;
  bool inHeader = false;
  ForEachLine(bytes, [&](std::string_view line, size_t, size_t) {
    if (IsBlank(line)) return !inHeader;
    std::string_view key, value;
    if (!SplitKeyLine(line, &key, &value)) return true;
    inHeader = true;
    if (EqualsIgnoringAsciiCase(key, "content-type") && !env.sawContentType) {
      env.sawContentType = true;
      const std::string_view type = Trim(value.substr(0, value.find(';')));
      for (char c : type) env.contentType += AsciiLower(c);
    } else if (EqualsIgnoringAsciiCase(key, "version") && !env.sawVersion) {
      env.sawVersion = true;
      env.version = std::string(value);
    } else if (EqualsIgnoringAsciiCase(key, "boundary") && !env.sawBoundary) {
      env.sawBoundary = true;
      // Some writers quote it as MIME does.
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
      env.boundary = std::string(value);
    } else if (EqualsIgnoringAsciiCase(key, "multi-program-title") && !env.sawMultiTitle) {
      env.sawMultiTitle = true;
      env.multiTitle = CutText(value);
    }
    return true;
  });
  return env;
}

constexpr std::string_view kSingleTypes[] = {"application/x-tv-program-info",
                                             "application/x-tv-program-digital-info"};
constexpr std::string_view kMultiTypes[] = {"application/x-multi-tv-program-info",
                                            "application/x-multi-tv-program-digital-info"};

template <size_t N>
bool IsOneOf(const std::string& type, const std::string_view (&types)[N]) {
  for (std::string_view t : types)
    if (type == t) return true;
  return false;
}

// 1 or 2 ("2.0" too); 0 for anything else.
int VersionNumber(std::string_view text) {
  text = Trim(text);
  if (text == "1" || text == "1.0") return 1;
  if (text == "2" || text == "2.0") return 2;
  return 0;
}

// The parts of a multi-programme file: the text between boundary lines (a
// line X; "--X" is taken too), up to the closing line X-- or, in a truncated
// file, the end.
std::vector<std::string_view> SplitParts(std::string_view bytes, const std::string& boundary) {
  std::vector<std::string_view> parts;
  const std::string dashed = "--" + boundary;
  size_t partStart = std::string_view::npos;
  bool closed = false;
  ForEachLine(bytes, [&](std::string_view line, size_t begin, size_t next) {
    const std::string_view t = Trim(line);
    closed = t == boundary + "--" || t == dashed + "--";
    if (!closed && t != boundary && t != dashed) return true;
    if (partStart != std::string_view::npos) parts.push_back(bytes.substr(partStart, begin - partStart));
    partStart = next;
    return !closed;
  });
  // A file cut short: its last part runs to the end.
  if (!closed && partStart != std::string_view::npos && partStart < bytes.size())
    parts.push_back(bytes.substr(partStart));
  return parts;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysIn(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

IepgProgram ParseIepg(std::string_view bytes) {
  IepgProgram p;
  bool inHeader = false;  // a key line has been read
  ForEachLine(bytes, [&](std::string_view line, size_t, size_t) {
    if (IsBlank(line)) return !inHeader;  // after the header the free-text body begins
    std::string_view key, v;
    if (!SplitKeyLine(line, &key, &v)) return true;
    inHeader = true;
    // The first occurrence of a key counts.
    auto first = [&](const char* name, unsigned bit) {
      if (!EqualsIgnoringAsciiCase(key, name) || (p.found & bit)) return false;
      p.found |= bit;
      return true;
    };
    if (first("year", kIepgYear)) {
      p.year = LeadingNumber(v);
    } else if (first("month", kIepgMonth)) {
      p.month = LeadingNumber(v);
    } else if (first("date", kIepgDate)) {
      p.day = LeadingNumber(v);
    } else if (first("start", kIepgStart)) {
      HourMinute(v, &p.startHour, &p.startMinute);
    } else if (first("end", kIepgEnd)) {
      HourMinute(v, &p.endHour, &p.endMinute);
    } else if (first("program-title", kIepgTitle)) {
      p.title = CutText(v);
    } else if (first("station", kIepgStation)) {
      p.station = CutText(v);
    } else if (first("station-name", kIepgStationName)) {
      p.stationName = CutText(v);
    } else if (first("program-id", kIepgProgramId)) {
      p.programId = CutText(v);
    }
    return true;
  });
  return p;
}

IepgFile ReadIepg(std::string_view bytes) {
  IepgFile file;
  const Envelope env = ReadEnvelope(bytes);
  file.versionText = env.version;
  const bool multi = IsOneOf(env.contentType, kMultiTypes) ||
                     (!env.sawContentType && env.sawBoundary);
  if (env.sawContentType && !multi && !IsOneOf(env.contentType, kSingleTypes)) {
    file.shape = IepgShape::kNotIepg;
    return file;
  }
  if (env.sawVersion) {
    file.version = VersionNumber(env.version);
    if (file.version == 0) {
      file.shape = IepgShape::kUnsupportedVersion;
      return file;
    }
  } else {
    file.version = env.contentType.find("digital") != std::string::npos ? 2 : 1;
  }

  if (multi) {
    file.multiTitle = env.multiTitle;
    if (!env.boundary.empty()) {
      for (std::string_view part : SplitParts(bytes, env.boundary)) {
        IepgProgram p = ParseIepg(part);
        if (p.found) file.programs.push_back(std::move(p));
      }
    }
    file.shape = file.programs.empty() ? IepgShape::kNoPrograms : IepgShape::kMulti;
    return file;
  }

  IepgProgram p = ParseIepg(bytes);
  // Without a content type only the iEPG keys tell the file apart.
  if (!env.sawContentType && !(p.found & (kIepgDateTimeKeys | kIepgTitle))) {
    file.shape = IepgShape::kNotIepg;
    return file;
  }
  file.shape = IepgShape::kSingle;
  file.programs.push_back(std::move(p));
  return file;
}

bool HasValidWindow(const IepgProgram& p) {
  if ((p.found & kIepgDateTimeKeys) != kIepgDateTimeKeys) return false;
  if (p.year < 1970 || p.year > 2037 || p.month < 1 || p.month > 12) return false;
  if (p.day < 1 || p.day > DaysIn(p.year, p.month)) return false;
  for (int hour : {p.startHour, p.endHour})
    if (hour < 0 || hour > 47) return false;
  for (int minute : {p.startMinute, p.endMinute})
    if (minute < 0 || minute > 59) return false;
  return true;
}

std::string StationLabel(const IepgProgram& p) {
  if (!p.stationName.empty()) return p.stationName;
  const std::string_view code = p.station;
  auto digitsOf = [&](size_t from, size_t count, int base) {
    if (code.size() != from + count) return -1;
    int value = 0;
    for (size_t i = from; i < code.size(); ++i) {
      const char c = AsciiLower(code[i]);
      int d = c >= '0' && c <= '9' ? c - '0' : (base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1);
      if (d < 0) return -1;
      value = value * base + d;
    }
    return value;
  };
  if (code.substr(0, 3) == "DFS") {
    const int id = digitsOf(3, 5, 16);
    if (id >= 0) return Utf8ToSjis("地デジ " + std::to_string(id));
  } else if (code.substr(0, 4) == "BSDT" || code.substr(0, 4) == "CSDT") {
    const int id = digitsOf(4, 3, 10);
    if (id >= 0) return std::string(code.substr(0, 2)) + " " + std::to_string(id);
  }
  return p.station;
}

bool TzCopyFile2File(const std::string& source, const std::string& destination) {
  return CopyFileContents(source, destination, CopyKind::kText);
}
