#pragma once
// Test doubles that block like the real thing. A message box does not return
// to the code that opened it until someone clicks; meanwhile its own message
// loop goes on dispatching the window's timers and posted messages. A mailer
// that hangs blocks its caller the same way, without the loop.
//
// Nothing is timed: a block ends when the test opens it or its pump says so.
// One that is still closed after WaitUntil's limit (3000 rounds of 50 ms; a
// pumping wait counts its pumps as rounds) ends anyway and counts as timed
// out, so that code that waits on it fails its test instead of hanging it.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/prompt.h"

// A gate that callers wait at until the test opens it (from any thread).
class BlockingGate {
 public:
  // Blocks until Open. pump, when given, runs over and over while it waits
  // (on the waiting thread, as a box's message loop); true from it ends this
  // wait only. False when the wait hit the limit.
  bool Wait(const std::function<bool()>& pump = {});
  // Lets every waiter, present and future, through.
  void Open();
  // Closes the gate again for later waiters.
  void Close();
  // For another thread: until at least n waits have begun (false at the limit).
  bool WaitForWaiters(int n = 1);
  int Waiting() const;
  int TimedOut() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
  int waiting_ = 0;
  int begun_ = 0;
  int timedOut_ = 0;
};

// A prompt whose every box stays open until the test closes it (Release) or
// whileOpen returns true; whileOpen runs again and again while a box is open,
// as the box's message loop would dispatch the tick. Yes/No questions are
// answered from the queue, No when it is empty.
class BlockingPrompt final : public IPrompt {
 public:
  PromptAnswer Show(const std::string& text, const std::string& caption,
                    PromptButtons buttons) override;

  void QueueAnswer(PromptAnswer a);
  // Every box open now and later returns at once.
  void Release() { gate_.Open(); }
  // For another thread: until a box is open.
  bool WaitOpen() { return gate_.WaitForWaiters(1); }
  int OpenNow() const { return gate_.Waiting(); }
  // Boxes that were still open at the limit.
  int LeftOpen() const { return gate_.TimedOut(); }
  std::vector<std::string> Texts() const;

  std::function<bool()> whileOpen;

 private:
  BlockingGate gate_;
  mutable std::mutex mutex_;
  std::vector<std::string> texts_;
  std::deque<PromptAnswer> answers_;
};
