#pragma once
// What the program has to tell the user, held back while the scheduler's tick
// runs. A message box pumps messages but stops the code that opened it: one
// opened inside the tick would stop every tick behind it, so that nothing
// turns running, no end is processed and no keep-awake is set until someone
// clicks OK (and an unattended PC loses the recording).
//
// The board stands in for the prompt service wherever the tick may reach
// one (the document, the power steps, the plug-in host). Outside a hold it
// shows at once; inside one (the tick, the load before the window exists) an
// OK message is queued, the poster is called when the hold ends, and the
// interface thread shows the queue later, outside the tick, with ShowPending. A question
// asked inside a hold is not asked: it is answered No, which keeps things as
// they are. Safe from any thread.
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "platform/prompt.h"

class CNoticeBoard final : public IPrompt {
 public:
  explicit CNoticeBoard(IPrompt& prompt) : prompt_(prompt) {}

  PromptAnswer Show(const std::string& text, const std::string& caption,
                    PromptButtons buttons) override;

  // While a Hold lives, messages are queued instead of shown.
  class Hold {
   public:
    explicit Hold(CNoticeBoard& board);
    ~Hold();
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    CNoticeBoard& board_;
  };

  // How the interface thread learns that something is queued (a posted
  // window message): called when the last hold ends with something queued,
  // and at once when something is queued already. Never a call that waits.
  void SetPoster(std::function<void()> poster);
  // Shows what is queued, oldest first, one box at a time; on the interface
  // thread outside any hold. A call while one of its boxes is open (a box's
  // own message loop) returns at once: the open call shows the rest.
  void ShowPending();
  int PendingCount() const;
  // Whether a hold lives now (a question asked now would be answered No).
  bool Held() const;

 private:
  struct Notice {
    std::string text;
    std::string caption;
  };

  IPrompt& prompt_;
  mutable std::mutex mutex_;
  int holds_ = 0;
  bool showing_ = false;
  std::deque<Notice> pending_;
  std::function<void()> poster_;
};
