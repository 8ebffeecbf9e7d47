#pragma once
// What the mail library makes of a schedule: the mailer's argument text, the
// mail body expanded from a template, and the mailer run itself. Portable, and
// reached by the library's exports with the system's services.
#include <cstdint>
#include <string>
#include <string_view>

#include "boundary/nimbra_boundary.h"

class IPrompt;
class ILauncher;

// The replacement keys with their descriptions, ended by a row of nulls.
extern const MailKeyRow kMailKeyTable[10];

// The mailer settings that go into the argument text.
struct MailArguments {
  std::string_view server;
  std::string_view src_addr;
  std::string_view dst_addr;
  std::string_view title;
  std::string_view file;
  int32_t flags = kMailFlagAlways;
};

// The mailer's argument text for data: template mode ("-F" file) or text mode
// ("-T" with the times and the title), as flags say. Values holding a blank,
// a tab or a quote are quoted so that each reaches the mailer as one argument.
std::string BuildArgumentText(const MailArguments& args, const ScheduleEntry& data);

// text with every replacement key replaced by its value for data, key by key
// in the fixed replacement order.
std::string ExpandTemplate(std::string text, const ScheduleEntry& data);

// Expands the template file into the body file (both paths Shift-JIS, as the
// library's callers give them). An unreadable template or an
// unwritable body file is reported through prompt ("error", caption "file");
// then the body file is left as it was.
bool WriteTemplateBody(const std::string& templatePath, const std::string& bodyPath,
                       const ScheduleEntry& data, IPrompt& prompt);

// The command line of the mailer at path with the argument text.
std::string MailerCommandLine(std::string_view path, std::string_view text);

// How long a send waits for the mailer. A mailer that waits for input or for
// a stalled network must not hold its caller (the program's scheduler) for
// good; one still running then is left to finish on its own.
constexpr unsigned kMailerWaitMs = 30000;

// What became of a mailer run.
enum class MailerRun {
  kNotRun,        // refused (see CheckProgramFile) or could not be started
  kEnded,         // ended, whatever its exit status (the mailer's own business)
  kStillRunning,  // started, not ended within the wait, left running
};

// Starts the program the command line (Shift-JIS) names, directly and
// without a command interpreter, in its own folder, and waits at most waitMs for it to end. Only
// a full path to an existing program that is not a command script is started.
MailerRun RunMailer(const std::string& commandLine, ILauncher& launcher,
                    unsigned waitMs = kMailerWaitMs);
