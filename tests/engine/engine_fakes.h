#pragma once
// Test doubles for the scheduler's partners: the list view, the plug-in and
// the countdown's window. The window is driven from the worker thread, so it
// records under a lock and lets a test wait for the worker's last word.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/countdown.h"
#include "engine/scheduler.h"
#include "platform/debug_log.h"
#include "schedule/schedule_entry.h"
#include "support/scratch_dir.h"

class FakeView final : public IScheduleView {
 public:
  void RefreshList() override { ++refreshes; }
  void SetTimer(unsigned id, unsigned ms) override { events.push_back("set " + std::to_string(id) + " " + std::to_string(ms)); }
  void KillTimer(unsigned id) override { events.push_back("kill " + std::to_string(id)); }
  void ImportCommandLineFile() override { events.push_back("import"); }
  void WakeStatusChanged() override { ++statusChanges; }
  void WakeTestFinished() override { ++wakeTests; }

  int refreshes = 0;
  int wakeTests = 0;
  int statusChanges = 0;
  std::vector<std::string> events;
};

class FakePlugin final : public IPluginRunner {
 public:
  void RunPlugin(const char* name, const ScheduleEntry& entry) override {
    names.push_back(name);
    entries.push_back(entry);
  }
  std::vector<std::string> names;
  std::vector<ScheduleEntry> entries;
};

class FakeCountdownWindow final : public ICountdownWindow {
 public:
  enum class End { kNone, kCompleted, kStopped };

  void SetProgressRange(int low, int high) override {
    std::lock_guard<std::mutex> lock(mutex_);
    rangeLow_ = low;
    rangeHigh_ = high;
  }
  void SetProgressPos(int pos) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      positions_.push_back(pos);
    }
    changed_.notify_all();
  }
  void SetStatusText(const std::string& text) override {
    std::function<void(const std::string&)> hook;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      texts_.push_back(text);
      hook = onText_;
    }
    if (hook) hook(text);
  }
  void PostCompleted() override { Post(End::kCompleted); }
  void PostStopped() override { Post(End::kStopped); }
  void SetCaption(const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    caption_ = text;
  }
  void Close() override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++closes_;
  }

  // Runs on the worker for every status text.
  void OnText(std::function<void(const std::string&)> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    onText_ = std::move(hook);
  }
  // Waits for the worker's last word (a generous limit only so that a broken
  // build fails instead of hanging; nothing is timed).
  End WaitEnd() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(60), [this] { return end_ != End::kNone; });
    return end_;
  }
  void WaitPositions(size_t n) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(60), [&] { return positions_.size() >= n; });
  }

  std::vector<std::string> Texts() const { std::lock_guard<std::mutex> l(mutex_); return texts_; }
  std::vector<int> Positions() const { std::lock_guard<std::mutex> l(mutex_); return positions_; }
  int RangeHigh() const { std::lock_guard<std::mutex> l(mutex_); return rangeHigh_; }
  std::string Caption() const { std::lock_guard<std::mutex> l(mutex_); return caption_; }
  int Closes() const { std::lock_guard<std::mutex> l(mutex_); return closes_; }
  End Ended() const { std::lock_guard<std::mutex> l(mutex_); return end_; }
  int Posts() const { std::lock_guard<std::mutex> l(mutex_); return posts_; }

 private:
  void Post(End end) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      end_ = end;
      ++posts_;
    }
    changed_.notify_all();
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> texts_;
  std::vector<int> positions_;
  int rangeLow_ = 0, rangeHigh_ = 0;
  std::string caption_;
  int closes_ = 0;
  int posts_ = 0;
  End end_ = End::kNone;
  std::function<void(const std::string&)> onText_;
};

// Makes fake windows and keeps a pointer to the last one (owned by its
// countdown).
class FakeWindowFactory final : public ICountdownWindowFactory {
 public:
  std::unique_ptr<ICountdownWindow> CreateCountdownWindow(CCountdown&) override {
    ++created;
    if (fail) return nullptr;
    auto w = std::make_unique<FakeCountdownWindow>();
    last = w.get();
    if (onCreate) onCreate(*w);
    return w;
  }
  int created = 0;
  bool fail = false;
  FakeCountdownWindow* last = nullptr;
  std::function<void(FakeCountdownWindow&)> onCreate;
};

// A step wait that does not sleep: the count runs as fast as it can.
inline void NoWait(int) {}

// Points a debug log at a file of its own while it lives, switched on; the
// previous path and level come back afterwards.
class ScopedDebugLog {
 public:
  explicit ScopedDebugLog(CDebugLog& log)
      : log_(log), savedPath_(log.Path()), savedLevel_(log.Level()) {
    log_.SetPath(dir_.File("dbg_print.log"));
    log_.SetLevel(1);
  }
  ~ScopedDebugLog() {
    log_.SetLevel(savedLevel_);
    log_.SetPath(savedPath_);
  }
  void Off() { log_.SetLevel(0); }
  // The text written so far, line ends as "\n" (the file is text mode).
  std::string Text() const {
    std::string text = ReadAll(dir_.File("dbg_print.log"));
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
  }
  void Clear() const { WriteAll(dir_.File("dbg_print.log"), ""); }

 private:
  CDebugLog& log_;
  ScratchDir dir_;
  std::string savedPath_;
  unsigned savedLevel_;
};
