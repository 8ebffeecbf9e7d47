#include "iepg/iepg_reader.h"

#include <cstdio>
#include <memory>

#include "platform/file.h"
#include "platform/text.h"

namespace {

// The leading decimal number of text after any blanks; 0 when it has none.
// Kept in a sane range so that a hostile file cannot overflow anything.
int LeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  int value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value < 100000) value = value * 10 + (text[i] - '0');
  }
  return value;
}

// "hh:mm"; without a colon the number is the hour and the minute is 0.
void HourMinute(std::string_view value, int* hour, int* minute) {
  const size_t colon = value.find(':');
  *hour = LeadingNumber(value.substr(0, colon));
  *minute = colon == std::string_view::npos ? 0 : LeadingNumber(value.substr(colon + 1));
}

std::string CutTitle(std::string_view value) {
  return std::string(value.substr(0, SjisCutLength(value, kIepgTitleMax)));
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

bool StartsWith(std::string_view line, std::string_view key) {
  return line.substr(0, key.size()) == key;
}

}  // namespace

IepgProgram ParseIepg(std::string_view bytes) {
  IepgProgram p;
  bool inHeader = false;  // a key has been read
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(pos, end - pos);
    const bool crlf = end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n';
    pos = end + (crlf ? 2 : 1);

    if (IsBlank(line)) {
      if (inHeader) break;  // the free-text body begins
      continue;
    }
    std::string_view v;
    auto take = [&](std::string_view key) {
      if (!StartsWith(line, key)) return false;
      v = line.substr(key.size());
      return true;
    };
    if (take("version: ") || take("station: ") || take("program-subtitle: ")) {
      inHeader = true;
    } else if (take("year: ")) {
      p.year = LeadingNumber(v);
      p.found |= kIepgYear;
    } else if (take("month: ")) {
      p.month = LeadingNumber(v);
      p.found |= kIepgMonth;
    } else if (take("date: ")) {
      p.day = LeadingNumber(v);
      p.found |= kIepgDate;
    } else if (take("start: ")) {
      HourMinute(v, &p.startHour, &p.startMinute);
      p.found |= kIepgStart;
    } else if (take("end: ")) {
      HourMinute(v, &p.endHour, &p.endMinute);
      p.found |= kIepgEnd;
    } else if (take("program-title: ")) {
      p.title = CutTitle(v);
      p.found |= kIepgTitle;
    }
    if (p.found) inHeader = true;
  }
  return p;
}

bool iEPGDecode(const std::string& path, IepgProgram* program) {
  const auto bytes = ReadFileBytes(path);
  if (!bytes) return false;
  *program = ParseIepg(*bytes);
  return true;
}

bool TzCopyFile2File(const std::string& source, const std::string& destination) {
  UniqueFile in(OpenFile(source, "r"));
  if (!in) return false;
  UniqueFile out(OpenFile(destination, "w"));
  if (!out) return false;
  bool ok = CopyStream(in.get(), out.get());
  ok = FinishFile(out) && ok;
  if (!ok) RemoveFile(destination);
  return ok;
}
