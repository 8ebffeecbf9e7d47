#pragma once
// Work handed to the interface thread from another one (the sender's
// worker): queued here, and run by the window when the poster's message
// arrives. Safe from any thread; Post never waits for the window.
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

class CUiRelay {
 public:
  // How the interface thread learns that something waits (a posted window
  // message); none: it waits until a poster is set.
  void SetPoster(std::function<void()> poster) {
    bool waiting;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      poster_ = std::move(poster);
      waiting = !queue_.empty();
    }
    if (waiting) Poke();
  }
  void Post(std::function<void()> work) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(std::move(work));
    }
    Poke();
  }
  // On the interface thread: runs what waits, oldest first.
  void RunPending() {
    std::deque<std::function<void()>> ready;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ready.swap(queue_);
    }
    for (auto& work : ready) work();
  }

 private:
  void Poke() {
    std::function<void()> poster;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      poster = poster_;
    }
    if (poster) poster();
  }

  std::mutex mutex_;
  std::function<void()> poster_;
  std::deque<std::function<void()>> queue_;
};
