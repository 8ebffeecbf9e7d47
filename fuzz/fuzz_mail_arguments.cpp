// The mailer's command line, split as the Windows C runtime splits it for
// main() on a Shift-JIS system, gives back exactly the values it was built
// from: no server, address, subject, file or title becomes a second argument
// or an option. The splitter here is written from the runtime's rules, apart
// from the one the library uses. Split as a mailer splits in which quotes
// only toggle, no title (the schedule's or the subject) adds an argument
// either.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "mail/command_line.h"
#include "mail/mail_compose.h"

namespace {

bool Lead(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The runtime's rules: the program name ends at a blank or tab unless quoted,
// quotes only group; in the other arguments 2n backslashes and a quote give n
// backslashes and toggle quoting, 2n+1 give n and a literal quote, other
// backslashes are literal, and inside quotes "" gives a quote. A lead byte
// takes the byte after it, whatever it is.
std::vector<std::string> CrtSplit(const std::string& line) {
  std::vector<std::string> args;
  const char* p = line.c_str();
  std::string name;
  if (*p == '"') {
    while (*++p != '"' && *p) {
      if (Lead(*p) && p[1]) name += *p++;
      name += *p;
    }
    if (*p == '"') ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') {
      if (Lead(*p) && p[1]) name += *p++;
      name += *p++;
    }
  }
  args.push_back(name);
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    std::string arg;
    bool inQuote = false;
    for (;;) {
      bool copy = true;
      size_t slashes = 0;
      while (*p == '\\') ++p, ++slashes;
      if (*p == '"') {
        if (slashes % 2 == 0) {
          if (inQuote && p[1] == '"') {
            ++p;
          } else {
            copy = false;
            inQuote = !inQuote;
          }
        }
        slashes /= 2;
      }
      arg.append(slashes, '\\');
      if (!*p || (!inQuote && (*p == ' ' || *p == '\t'))) break;
      if (copy) {
        if (Lead(*p) && p[1]) arg += *p++;
        arg += *p;
      }
      ++p;
    }
    args.push_back(arg);
  }
  return args;
}

// A splitter of another kind: a double quote toggles grouping and is
// dropped, nothing escapes anything, any white space outside quotes
// separates.
std::vector<std::string> ToggleSplit(const std::string& line) {
  std::vector<std::string> args;
  std::string arg;
  bool quoted = false, inArg = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inArg = true;
    } else if (!quoted && std::isspace(static_cast<unsigned char>(c))) {
      if (inArg) args.push_back(arg);
      arg.clear();
      inArg = false;
    } else {
      arg.push_back(c);
      inArg = true;
    }
  }
  if (inArg) args.push_back(arg);
  return args;
}

bool Trail(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// What the mailer is meant to receive of a title: a double quote as the
// full-width one, and no lead byte without a valid second byte.
std::string Safe(const std::string& v) {
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    if (Lead(v[i])) {
      if (i + 1 < v.size() && Trail(v[i + 1])) {
        out += v[i];
        out += v[++i];
      }
    } else if (v[i] == '"') {
      out += "\xFA\x57";
    } else {
      out += v[i];
    }
  }
  return out;
}

std::string Text(FuzzedDataProvider& in, size_t max) {
  std::string s = in.ConsumeRandomLengthString(max);
  s.erase(std::remove(s.begin(), s.end(), '\0'), s.end());
  return s;
}

// What the mailer is meant to receive of a value: a trailing lead byte
// without its second byte is not a character and is left out.
std::string Whole(const std::string& v) {
  size_t n = 0, whole = 0;
  while (n < v.size()) {
    n += Lead(v[n]) ? 2 : 1;
    if (n <= v.size()) whole = n;
  }
  return v.substr(0, whole);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string server = Text(in, 40), from = Text(in, 40), subject = Text(in, 60),
                    file = Text(in, 60), to = Text(in, 40);
  const int32_t flags = in.ConsumeIntegral<int32_t>();
  ScheduleEntry record{};
  const std::string title = Text(in, sizeof record.title - 1);
  std::memcpy(record.title, title.data(), title.size());
  record.s = MakeSystemTime(in.ConsumeIntegral<uint16_t>(), 3, 5, 21, 0, 0);
  record.e = MakeSystemTime(2010, 3, 5, 22, 30, 0);

  MailArguments args;
  args.server = server;
  args.src_addr = from;
  args.dst_addr = to;
  args.title = subject;
  args.file = file;
  args.flags = flags;
  const std::string path = "C:\\Program Files\\smail\\smail.exe";
  const std::string line = MailerCommandLine(path, BuildArgumentText(args, record));

  std::vector<std::string> want{path};
  if (!server.empty()) want.push_back("-h" + Whole(server));
  if (!from.empty()) want.push_back("-f" + Whole(from));
  if (!Safe(subject).empty()) want.push_back("-s" + Safe(subject));
  if (flags & kMailFlagVerbose) want.push_back("-i");
  if (flags & kMailFlagDebug) want.push_back("-d");
  if (flags & kMailFlagTemplate) {
    want.push_back("-F" + Whole(file));
  } else {
    const std::vector<std::string> got = CrtSplit(line);
    const size_t at = want.size();
    if (got.size() <= at || got[at].compare(0, 2, "-T") != 0) std::abort();
    const size_t sep = got[at].find("___");
    if (sep == std::string::npos) std::abort();
    want.push_back(got[at].substr(0, sep + 3) + Safe(title));  // the times are unit-tested
  }
  // The recipient is the one value without an option letter before it: one
  // that begins with '-' goes with a blank before it, so it cannot be read
  // as an option.
  std::string recipient = Whole(to);
  if (!recipient.empty() && recipient[0] == '-') recipient.insert(0, " ");
  if (!recipient.empty()) want.push_back(recipient);
  const std::vector<std::string> got = CrtSplit(line);
  if (got != want) std::abort();
  // The library's own splitter, which the launcher uses, agrees.
  if (SplitCommandLine(line) != got) std::abort();

  // The settings are the user's own; the titles come from anywhere. With
  // settings free of quotes, a splitter whose quotes only toggle finds the
  // same arguments in number, each after its own option.
  if ((server + from + file + to).find('"') == std::string::npos) {
    const std::vector<std::string> toggled = ToggleSplit(line);
    if (toggled.size() != want.size()) std::abort();
    for (size_t i = 1; i < want.size(); ++i) {
      if (want[i].size() >= 2 && want[i][0] == '-' && toggled[i].compare(0, 2, want[i], 0, 2) != 0)
        std::abort();
    }
  }
  return 0;
}
