#include "notify/notify_sender.h"

#include <chrono>

#include "platform/debug_log.h"

CNotifySender::CNotifySender(IWebhookPoster& poster, CDebugLog& log, NotifyReports reports,
                             PostLimits limits)
    : poster_(poster), log_(log), reports_(std::move(reports)), limits_(limits) {
  worker_ = std::thread([this, flight = flight_] { Run(flight); });
}

CNotifySender::~CNotifySender() {
  size_t dropped = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    dropped = queue_.size();
    queue_.clear();
  }
  wake_.notify_all();
  if (dropped > 0) log_.Write("notify: %d queued notification(s) dropped at exit", static_cast<int>(dropped));
  {
    std::unique_lock<std::mutex> lock(mutex_);
    (void)idle_.wait_for(lock, std::chrono::milliseconds(limits_.exit_ms), [this] { return !busy_; });
  }
  if (!worker_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(flight_->mutex);
    if (flight_->posting) {
      flight_->abandoned = true;
      log_.Write("notify: a post still in flight after %u ms is left behind at exit", limits_.exit_ms);
      worker_.detach();
      return;
    }
  }
  worker_.join();
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

void CNotifySender::Run(const std::shared_ptr<Flight>& flight) {
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
      {
        std::lock_guard<std::mutex> lock(flight->mutex);
        flight->posting = true;
      }
      // The limits are the worker's own: a post left behind outlives them.
      const PostLimits limits = limits_;
      try {
        outcome = poster_.Post(check.url, job.request, limits);
      } catch (const std::exception& e) {
        outcome = PostOutcome{false, 0, e.what()};
      }
      std::lock_guard<std::mutex> lock(flight->mutex);
      // Left behind at the program's end: the sender has gone.
      if (flight->abandoned) return;
      flight->posting = false;
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
