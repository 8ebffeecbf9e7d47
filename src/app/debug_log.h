#pragma once
// The diagnostic log: off unless the settings switch it on. Each line is
// appended to one fixed file that is opened and closed for every write, so a
// line is on disk even if the program dies right after.
#include <string>

#include "platform/system_time.h"

// 0 off; 1 stamped lines carry the local time; 2 or more also the source place.
unsigned DebugLogLevel();
void SetDebugLogLevel(unsigned level);

// The log file: "C:\TEMP\dbg_print.log" on Windows, dbg_print.log in the
// temporary folder elsewhere. Tests point it somewhere else.
std::string DebugLogDefaultPath();
void SetDebugLogPath(const std::string& path);
std::string DebugLogPath();

// Writes the prefix, the formatted line and a line end; nothing when off or
// when the file cannot be opened.
void DebugLogWrite(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The prefix that starts every line until it is stamped again.
std::string DebugLogPrefix();
// Stamps the prefix with the time (and, from level 2, file and line); nothing
// when the log is off.
void DebugLogStamp(const SystemTime& now, const char* file, unsigned line);

void DebugLogStart(const SystemTime& now);
void DebugLogEnd(const SystemTime& now);

// The part of a build path that begins with the product name, or the whole path.
const char* SourceFileName(const char* path);

// A stamped line: the local time of clock, this file and line, then the text.
#define DEBUG_LOG_STAMPED(clock, ...)                                              \
  do {                                                                             \
    if (DebugLogLevel() != 0) DebugLogStamp((clock).LocalNow(), __FILE__, __LINE__); \
    DebugLogWrite(__VA_ARGS__);                                                    \
  } while (0)
