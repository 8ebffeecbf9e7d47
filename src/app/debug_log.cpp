#include "app/debug_log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/file.h"

namespace {

std::atomic<unsigned> g_level{0};

// The prefix buffer and the path are shared by the interface thread and the
// countdown's worker; the lock keeps each line whole.
std::mutex g_mutex;
char g_prefix[1024] = "";
std::string& PathSlot() {
  static std::string path = DebugLogDefaultPath();
  return path;
}

void WriteBanner(const char* word, const SystemTime& t) {
  if (g_level.load() == 0) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  UniqueFile f(OpenFile(PathSlot(), "a"));
  if (!f) return;
  std::fprintf(f.get(),
               "************************** loging %s [%02d/%02d/%02d %02d:%02d:%02d] "
               "**************************\n",
               word, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

}  // namespace

unsigned DebugLogLevel() { return g_level.load(); }
void SetDebugLogLevel(unsigned level) { g_level.store(level); }

void SetDebugLogPath(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_mutex);
  PathSlot() = path;
}

std::string DebugLogPath() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return PathSlot();
}

void DebugLogWrite(const char* format, ...) {
  if (g_level.load() == 0) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  UniqueFile f(OpenFile(PathSlot(), "a"));
  if (!f) return;
  std::fputs(g_prefix, f.get());
  va_list args;
  va_start(args, format);
  std::vfprintf(f.get(), format, args);
  va_end(args);
  std::fputs("\n", f.get());
}

std::string DebugLogPrefix() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_prefix;
}

void DebugLogStamp(const SystemTime& t, const char* file, unsigned line) {
  const unsigned level = g_level.load();
  if (level == 0) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (level == 1) {
    std::snprintf(g_prefix, sizeof g_prefix, "[%02d/%02d/%02d %02d:%02d:%02d] ", t.wYear, t.wMonth,
                  t.wDay, t.wHour, t.wMinute, t.wSecond);
  } else {
    std::snprintf(g_prefix, sizeof g_prefix, "[%02d/%02d/%02d %02d:%02d:%02d][%s:%u] ", t.wYear,
                  t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, SourceFileName(file), line);
  }
}

void DebugLogStart(const SystemTime& now) { WriteBanner("start", now); }
void DebugLogEnd(const SystemTime& now) { WriteBanner("end  ", now); }

const char* SourceFileName(const char* path) {
  const char* at = std::strstr(path, "Nimbra");
  return at ? at : path;
}
