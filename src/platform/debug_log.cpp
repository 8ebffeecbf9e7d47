#include "platform/debug_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/file.h"

std::string CDebugLog::Path() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return path_;
}

void CDebugLog::SetPath(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  path_ = path;
}

void CDebugLog::WriteBanner(const char* word, const SystemTime& t) {
  if (level_.load() == 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  UniqueFile f(OpenLogForAppend(path_));
  if (!f) return;
  std::fprintf(f.get(),
               "************************** loging %s [%02d/%02d/%02d %02d:%02d:%02d] "
               "**************************\n",
               word, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

void CDebugLog::Write(const char* format, ...) {
  if (level_.load() == 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  UniqueFile f(OpenLogForAppend(path_));
  if (!f) return;
  std::fputs(prefix_, f.get());
  va_list args;
  va_start(args, format);
  std::vfprintf(f.get(), format, args);
  va_end(args);
  std::fputs("\n", f.get());
}

std::string CDebugLog::Prefix() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return prefix_;
}

void CDebugLog::Stamp(const SystemTime& t, const char* file, unsigned line) {
  const unsigned level = level_.load();
  if (level == 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (level == 1) {
    std::snprintf(prefix_, sizeof prefix_, "[%02d/%02d/%02d %02d:%02d:%02d] ", t.wYear, t.wMonth,
                  t.wDay, t.wHour, t.wMinute, t.wSecond);
  } else {
    std::snprintf(prefix_, sizeof prefix_, "[%02d/%02d/%02d %02d:%02d:%02d][%s:%u] ", t.wYear,
                  t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, SourceFileName(file), line);
  }
}

const char* SourceFileName(const char* path) {
  const char* at = std::strstr(path, "Nimbra");
  return at ? at : path;
}
