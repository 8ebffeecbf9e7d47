#pragma once
// The diagnostic log: off unless the settings switch it on. Each line is
// appended to one file that is opened and closed for every write, so a line
// is on disk even if the program dies right after. One object is made by the
// program and handed to everything that writes to it; the interface thread
// and the countdown's worker may write at the same time.
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/system_time.h"

class CDebugLog {
 public:
  // The log file: "C:\TEMP\dbg_print.log" on Windows, dbg_print.log in the
  // temporary folder elsewhere.
  static std::string DefaultPath();

  // Off (level 0) until SetLevel; writes to path.
  explicit CDebugLog(std::string path = DefaultPath()) : path_(std::move(path)) {}
  CDebugLog(const CDebugLog&) = delete;
  CDebugLog& operator=(const CDebugLog&) = delete;

  // 0 off; 1 stamped lines carry the local time; 2 or more also the source place.
  unsigned Level() const { return level_.load(); }
  void SetLevel(unsigned level) { level_.store(level); }

  std::string Path() const;
  void SetPath(const std::string& path);

  // Writes the prefix, the formatted line and a line end; nothing when off or
  // when the file cannot be opened.
  void Write(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  // The prefix that starts every line until it is stamped again.
  std::string Prefix() const;
  // Stamps the prefix with the time (and, from level 2, file and line);
  // nothing when the log is off.
  void Stamp(const SystemTime& now, const char* file, unsigned line);

  // The banners that open and close a run of the program.
  void Start(const SystemTime& now) { WriteBanner("start", now); }
  void End(const SystemTime& now) { WriteBanner("end  ", now); }

 private:
  void WriteBanner(const char* word, const SystemTime& t);

  std::atomic<unsigned> level_{0};
  // The prefix and the path are shared by the interface thread and the
  // countdown's worker; the lock keeps each line whole.
  mutable std::mutex mutex_;
  char prefix_[1024] = "";
  std::string path_;
};

// Opens the log file for appending, creating it when missing. Null when it
// cannot be opened, and when the file or its folder is a link (symbolic link,
// junction, or a hard link to another name): the log's folder is one every
// account may write to, and a line must never land in a file the link names.
std::FILE* OpenLogForAppend(const std::string& path);

// The part of a build path that begins with the product name, or the whole path.
const char* SourceFileName(const char* path);

// A stamped line on log: the local time of clock, this file and line, then the text.
#define DEBUG_LOG_STAMPED(log, clock, ...)                                        \
  do {                                                                            \
    if ((log).Level() != 0) (log).Stamp((clock).LocalNow(), __FILE__, __LINE__);  \
    (log).Write(__VA_ARGS__);                                                     \
  } while (0)
