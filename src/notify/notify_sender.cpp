#include "notify/notify_sender.h"

#include <chrono>

#include "platform/debug_log.h"

CNotifySender::CNotifySender(IWebhookPoster& poster, CDebugLog& log, NotifyReports reports,
                             PostLimits limits)
    : poster_(poster), log_(log), reports_(std::move(reports)), limits_(limits) {
  worker_ = std::thread([this] { Run(); });
}

CNotifySender::~CNotifySender() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    queue_.clear();
  }
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void CNotifySender::Enqueue(WebhookJob job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.size() >= kMaxQueued) {
      log_.Write("notify: queue full, the oldest notification is dropped");
      queue_.pop_front();
    }
    queue_.push_back(std::move(job));
  }
  wake_.notify_one();
}

bool CNotifySender::WaitIdle(unsigned ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  return idle_.wait_for(lock, std::chrono::milliseconds(ms),
                        [this] { return queue_.empty() && !busy_; });
}

void CNotifySender::Resumed() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    while (!failed_.empty()) {
      queue_.push_back(std::move(failed_.front()));
      failed_.pop_front();
    }
  }
  wake_.notify_one();
}

void CNotifySender::Run() {
  for (;;) {
    WebhookJob job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) return;
      job = std::move(queue_.front());
      queue_.pop_front();
      busy_ = true;
    }
    PostOutcome outcome;
    const WebhookUrlCheck check = ParseWebhookUrl(job.url);
    if (!check.ok) {
      outcome.reason = check.error;
    } else {
      try {
        outcome = poster_.Post(check.url, job.request, limits_);
      } catch (const std::exception& e) {
        outcome = PostOutcome{false, 0, e.what()};
      }
    }
    Finish(job, outcome);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      busy_ = false;
    }
    idle_.notify_all();
  }
}

void CNotifySender::Finish(WebhookJob& job, const PostOutcome& outcome) {
  const std::string where = RedactUrl(job.url);
  ++job.tries;
  if (outcome.sent) {
    log_.Write("notify: sent to %s (HTTP %d)", where.c_str(), outcome.status);
  } else {
    log_.Write("notify: not sent to %s: %s", where.c_str(), outcome.reason.c_str());
  }
  if (job.test) {
    if (job.done)
      job.done(outcome);
    else if (reports_.tested)
      reports_.tested(outcome);
    return;
  }
  bool tell = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (outcome.sent) {
      failure_.Worked();
    } else {
      tell = failure_.Failed();
      if (job.tries < 2) failed_.push_back(std::move(job));
    }
  }
  if (tell && reports_.failed) reports_.failed(outcome.reason);
}
