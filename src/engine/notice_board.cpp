#include "engine/notice_board.h"

PromptAnswer CNoticeBoard::Show(const std::string& text, const std::string& caption,
                                PromptButtons buttons) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (holds_ > 0) {
      if (buttons == PromptButtons::kYesNo) return PromptAnswer::kNo;
      // Posted when the last hold ends, after what the tick decided is done.
      pending_.push_back({text, caption});
      return PromptAnswer::kOk;
    }
  }
  return prompt_.Show(text, caption, buttons);
}

CNoticeBoard::Hold::Hold(CNoticeBoard& board) : board_(board) {
  std::lock_guard<std::mutex> lock(board_.mutex_);
  ++board_.holds_;
}

CNoticeBoard::Hold::~Hold() {
  std::function<void()> poster;
  {
    std::lock_guard<std::mutex> lock(board_.mutex_);
    if (--board_.holds_ == 0 && !board_.pending_.empty()) poster = board_.poster_;
  }
  // Without a poster yet the queue waits for the window (SetPoster posts).
  if (poster) poster();
}

void CNoticeBoard::SetPoster(std::function<void()> poster) {
  bool post = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    poster_ = poster;
    post = poster && !pending_.empty();
  }
  if (post) poster();
}

void CNoticeBoard::ShowPending() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (showing_) return;
    showing_ = true;
  }
  for (;;) {
    Notice notice;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (pending_.empty()) {
        showing_ = false;
        return;
      }
      notice = std::move(pending_.front());
      pending_.pop_front();
    }
    prompt_.Show(notice.text, notice.caption, PromptButtons::kOk);
  }
}

int CNoticeBoard::PendingCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(pending_.size());
}

bool CNoticeBoard::Held() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return holds_ > 0;
}
