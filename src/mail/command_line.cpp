#include "mail/command_line.h"

#include "platform/text.h"

namespace {

bool IsLeadByte(char c) { return IsSjisLeadByte(static_cast<unsigned char>(c)); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The second byte of a Shift-JIS double-byte character.
bool IsTrailByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// The full-width quotation mark in Shift-JIS (code page 932).
constexpr char kFullWidthQuote[] = "\xFA\x57";

}  // namespace

std::string TitleForCommandLine(std::string_view title) {
  std::string out;
  out.reserve(title.size() + 8);
  for (size_t i = 0; i < title.size(); ++i) {
    const char c = title[i];
    if (IsLeadByte(c)) {
      if (i + 1 < title.size() && IsTrailByte(title[i + 1])) {
        out.append(title.substr(i, 2));
        ++i;
      }
      // else no character: the byte after it is read on its own
    } else if (c == '"') {
      out += kFullWidthQuote;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string QuoteArgumentValue(std::string_view value) {
  // A lead byte takes whatever byte follows it, so one left without its
  // second byte at the end would take the blank or the quote after the value
  // and join the next argument to this one. It is no character: leave it out.
  size_t whole = 0;
  for (size_t i = 0; i < value.size(); ++i) {
    if (IsLeadByte(value[i]) && ++i >= value.size()) break;
    whole = i + 1;
  }
  value = value.substr(0, whole);
  // Some mailers split at any white space, not only at blanks and tabs.
  if (value.find_first_of(" \t\n\v\f\r\"") == std::string_view::npos) return std::string(value);
  std::string out;
  out.reserve(value.size() + 8);
  out.push_back('"');
  size_t backslashes = 0;
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (IsLeadByte(c) && i + 1 < value.size()) {
      out.append(value.substr(i, 2));
      ++i;
      backslashes = 0;
    } else if (c == '\\') {
      out.push_back(c);
      ++backslashes;
    } else if (c == '"') {
      out.append(backslashes + 1, '\\');  // double the run, then escape the quote
      out.push_back(c);
      backslashes = 0;
    } else {
      out.push_back(c);
      backslashes = 0;
    }
  }
  out.append(backslashes, '\\');
  out.push_back('"');
  return out;
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = line.size();

  // The program name: quotes only group, backslashes are plain characters.
  {
    std::string name;
    bool quoted = false;
    while (i < n && (quoted || !IsBlank(line[i]))) {
      const char c = line[i];
      if (c == '"') {
        quoted = !quoted;
        ++i;
      } else if (IsLeadByte(c) && i + 1 < n) {
        name.append(line.substr(i, 2));
        i += 2;
      } else {
        name.push_back(c);
        ++i;
      }
    }
    args.push_back(std::move(name));
  }

  for (;;) {
    while (i < n && IsBlank(line[i])) ++i;
    if (i >= n) break;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || !IsBlank(line[i]))) {
      const char c = line[i];
      if (c == '\\') {
        size_t run = 0;
        while (i < n && line[i] == '\\') {
          ++run;
          ++i;
        }
        if (i < n && line[i] == '"') {
          arg.append(run / 2, '\\');
          if (run % 2 == 1) {
            arg.push_back('"');
            ++i;
          }
        } else {
          arg.append(run, '\\');
        }
      } else if (c == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg.push_back('"');  // "" inside quotes stands for one quote
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else if (IsLeadByte(c) && i + 1 < n) {
        arg.append(line.substr(i, 2));
        i += 2;
      } else {
        arg.push_back(c);
        ++i;
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}
