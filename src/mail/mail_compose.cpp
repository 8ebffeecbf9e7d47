#include "mail/mail_compose.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "boundary/template_keys.h"
#include "mail/command_line.h"
#include "platform/file.h"
#include "platform/launcher.h"
#include "platform/private_file.h"
#include "platform/program_path.h"
#include "platform/prompt.h"
#include "platform/sjis_texts.h"
#include "platform/text.h"

// Descriptions in Shift-JIS.
const MailKeyRow kMailKeyTable[10] = {
    {"SCH_START_DATE", kSjisStartDate.sjis},
    {"SCH_START_TIME", kSjisStartTime.sjis},
    {"SCH_END_DATE", kSjisEndDate.sjis},
    {"SCH_END_TIME", kSjisEndTime.sjis},
    {"SCH_TITLE", kSjisTitle.sjis},
    {"SCH_LOOP_FLAG", kSjisLoopFlag.sjis},
    {"SCH_TERM_FLAG", kSjisTermFlag.sjis},
    {"SCH_TERM_START_DATE", kSjisTermStartDate.sjis},
    {"SCH_TERM_END_DATE", kSjisTermEndDate.sjis},
    {nullptr, nullptr},
};

namespace {

std::string_view TitleOf(const ScheduleEntry& data) {
  size_t n = 0;
  while (n < sizeof data.title && data.title[n] != '\0') ++n;
  return std::string_view(data.title, n);
}

// A number in exactly width digits: values too wide become all nines.
void AppendClamped(std::string& out, unsigned value, int width) {
  const unsigned limit = width == 4 ? 9999 : 99;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*u", width, value > limit ? limit : value);
  out += buf;
}

// "yyyymmdd_hh:mm:ss" with every field clamped to its width.
void AppendStamp(std::string& out, const SystemTime& t) {
  AppendClamped(out, t.wYear, 4);
  AppendClamped(out, t.wMonth, 2);
  AppendClamped(out, t.wDay, 2);
  out += '_';
  AppendClamped(out, t.wHour, 2);
  out += ':';
  AppendClamped(out, t.wMinute, 2);
  out += ':';
  AppendClamped(out, t.wSecond, 2);
}

void AppendOption(std::string& out, const char* option, std::string_view value) {
  if (value.empty()) return;
  out += option;
  out += QuoteArgumentValue(value);
  out += ' ';
}

}  // namespace

std::string BuildArgumentText(const MailArguments& args, const ScheduleEntry& data) {
  std::string out;
  out.reserve(64 + args.server.size() + args.src_addr.size() + args.title.size() +
              args.file.size() + args.dst_addr.size() + 2 * sizeof data.title);
  AppendOption(out, "-h", args.server);
  AppendOption(out, "-f", args.src_addr);
  AppendOption(out, "-s", TitleForCommandLine(args.title));
  if (args.flags & kMailFlagVerbose) out += "-i ";
  if (args.flags & kMailFlagDebug) out += "-d ";
  if (args.flags & kMailFlagTemplate) {
    out += "-F";
    out += QuoteArgumentValue(args.file);
  } else {
    out += "-T";
    AppendStamp(out, data.s);
    out += "--";
    AppendStamp(out, data.e);
    out += "___";
    out += QuoteArgumentValue(TitleForCommandLine(TitleOf(data)));
  }
  if (!args.dst_addr.empty()) {
    // The recipient is the one value without an option letter before it; a
    // blank in front keeps one that begins with '-' from reading as an option.
    out += ' ';
    out += args.dst_addr.front() == '-' ? QuoteArgumentValue(" " + std::string(args.dst_addr))
                                        : QuoteArgumentValue(args.dst_addr);
  }
  return out;
}

std::string ExpandTemplate(std::string text, const ScheduleEntry& data) {
  return ExpandKeys(std::move(text), ScheduleKeyValues(data));
}

bool WriteTemplateBody(const std::string& templatePath, const std::string& bodyPath,
                       const ScheduleEntry& data, IPrompt& prompt) {
  // A template is a page of text; a file far larger is not read into memory.
  constexpr size_t kMaxTemplateBytes = 16u << 20;
  FileRead read = ReadFileBounded(SjisToUtf8(templatePath), kMaxTemplateBytes);
  if (read.status == FileReadStatus::kTooLarge) {
    prompt.Show("テンプレートファイルが大きすぎるため読み込みませんでした（16MBまで）。\n" +
                    SjisToUtf8(templatePath),
                "file", PromptButtons::kOk);
    return false;
  }
  if (read.status != FileReadStatus::kRead) {
    prompt.Show("error", "file", PromptButtons::kOk);
    return false;
  }
  const std::string body = ExpandTemplate(std::move(read.bytes), data);
  UniqueFile f(OpenPrivateFileForWriting(SjisToUtf8(bodyPath)));
  if (!f) {
    prompt.Show("error", "file", PromptButtons::kOk);
    return false;
  }
  const bool written = std::fwrite(body.data(), 1, body.size(), f.get()) == body.size();
  return FinishFile(f) && written;
}

std::string MailerCommandLine(std::string_view path, std::string_view text) {
  std::string line = QuoteArgumentValue(path);
  line += ' ';
  line += text;
  return line;
}

MailerRun RunMailer(const std::string& commandLine, ILauncher& launcher, unsigned waitMs) {
  std::vector<std::string> args = SplitCommandLine(commandLine);
  if (args.empty()) return MailerRun::kNotRun;
  // The command line is Shift-JIS, as the plug-in hands it over; the
  // launcher takes our own text.
  const std::string program = SjisToUtf8(args.front());
  args.erase(args.begin());
  for (std::string& a : args) a = SjisToUtf8(a);
  // Never a bare name that the current folder (a download folder, perhaps)
  // could answer, never a script whose interpreter would run the title.
  if (CheckProgramFile(program) != ProgramFileCheck::kOk) return MailerRun::kNotRun;
  const ProgramRun run = launcher.RunInAndWait(program, args, DirectoryOf(program), waitMs);
  switch (run.outcome) {
    case ProgramRun::Outcome::kEnded:
      return MailerRun::kEnded;
    case ProgramRun::Outcome::kStillRunning:
      return MailerRun::kStillRunning;
    case ProgramRun::Outcome::kNotStarted:
      break;
  }
  return MailerRun::kNotRun;
}
