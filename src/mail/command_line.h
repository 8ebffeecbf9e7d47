#pragma once
// The Windows command-line convention, for handing the mailer its arguments
// without a command interpreter. Texts are Shift-JIS: the second byte of a
// double-byte character is never taken for a backslash or a quote.
#include <string>
#include <string_view>
#include <vector>

// A title (the schedule's or the mail subject) as it may stand in a command
// line that mailers split in their own ways: a double quote becomes the
// full-width quote of Shift-JIS, and a lead byte without a valid second byte
// is left out. With no quote left inside, quoting can only group, whether a
// mailer splits by the C runtime's rules or lets quotes merely toggle.
std::string TitleForCommandLine(std::string_view title);

// value as one argument: unchanged when it holds no white space or double
// quote, else in double quotes with quotes and the backslashes before them
// escaped. The result may follow option letters directly (-s"Rec done"). A
// last lead byte without its second byte is left out.
std::string QuoteArgumentValue(std::string_view value);

// Splits a command line as the C runtime does for main(): the first argument
// by the program-name rule (quotes group, no escapes), the others by the
// backslash and quote rules.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);
