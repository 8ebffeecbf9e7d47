#pragma once
// The programs Windows starts when the user logs on: the values of the
// user's own Run key (HKEY_CURRENT_USER, so no administrator rights are
// needed), each a name and the command line it runs. Texts are UTF-8.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

struct StartupReading {
  uint32_t error = 0;                  // the system's code when the key could not be read
  std::optional<std::string> command;  // none when the value is absent (or unreadable)
};

class IStartupEntries {
 public:
  virtual ~IStartupEntries() = default;
  virtual StartupReading Read(const std::string& name) = 0;
  // Writes the value; 0 when written, else the system's code.
  [[nodiscard]] virtual uint32_t Write(const std::string& name, const std::string& command) = 0;
  // Removes the value; an absent one counts as removed. 0 or the system's code.
  [[nodiscard]] virtual uint32_t Remove(const std::string& name) = 0;
};

// Entries held in memory, for tests and for platforms without a Run key.
class MemoryStartupEntries final : public IStartupEntries {
 public:
  StartupReading Read(const std::string& name) override {
    StartupReading r;
    r.error = failWith_;
    if (failWith_ == 0) {
      const auto it = entries_.find(name);
      if (it != entries_.end()) r.command = it->second;
    }
    return r;
  }
  uint32_t Write(const std::string& name, const std::string& command) override {
    if (failWith_ == 0) entries_[name] = command;
    return failWith_;
  }
  uint32_t Remove(const std::string& name) override {
    if (failWith_ == 0) entries_.erase(name);
    return failWith_;
  }
  // Every call fails with code from now on (0: they work again).
  void FailWith(uint32_t code) { failWith_ = code; }

 private:
  std::map<std::string, std::string> entries_;
  uint32_t failWith_ = 0;
};

// The machine's Run key (on Linux: entries in memory, for the process only).
IStartupEntries& SystemStartupEntries();
