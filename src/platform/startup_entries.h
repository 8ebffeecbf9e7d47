#pragma once
// The programs Windows starts when the user logs on: the values of the
// user's own Run key (HKEY_CURRENT_USER, so no administrator rights are
// needed), each a name and the command line it runs. Texts are UTF-8. A
// refusal is told as its cause; the system's number goes to the debug log.
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/system_cause.h"

class CDebugLog;

struct StartupReading {
  SystemCause cause = SystemCause::kNone;  // why the key could not be read
  std::optional<std::string> command;      // none when the value is absent (or unreadable)
};

class IStartupEntries {
 public:
  virtual ~IStartupEntries() = default;
  virtual StartupReading Read(const std::string& name) = 0;
  // Writes the value; kNone when written, else why not.
  [[nodiscard]] virtual SystemCause Write(const std::string& name, const std::string& command) = 0;
  // Removes the value; an absent one counts as removed. kNone or why not.
  [[nodiscard]] virtual SystemCause Remove(const std::string& name) = 0;
};

// Entries held in memory, for tests and for platforms without a Run key.
class MemoryStartupEntries final : public IStartupEntries {
 public:
  StartupReading Read(const std::string& name) override {
    StartupReading r;
    r.cause = failWith_;
    if (failWith_ == SystemCause::kNone) {
      const auto it = entries_.find(name);
      if (it != entries_.end()) r.command = it->second;
    }
    return r;
  }
  SystemCause Write(const std::string& name, const std::string& command) override {
    if (failWith_ == SystemCause::kNone) entries_[name] = command;
    return failWith_;
  }
  SystemCause Remove(const std::string& name) override {
    if (failWith_ == SystemCause::kNone) entries_.erase(name);
    return failWith_;
  }
  // Every call fails with cause from now on (kNone: they work again).
  void FailWith(SystemCause cause) { failWith_ = cause; }

 private:
  std::map<std::string, std::string> entries_;
  SystemCause failWith_ = SystemCause::kNone;
};

// The machine's Run key, its refusals written to log with the system's
// number (on Linux: entries in memory, for the process only).
std::unique_ptr<IStartupEntries> MakeSystemStartupEntries(CDebugLog& log);
