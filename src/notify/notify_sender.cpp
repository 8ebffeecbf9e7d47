#include "notify/notify_sender.h"

#include <chrono>

#include "platform/debug_log.h"

CNotifySender::CNotifySender(IWebhookPoster& poster, CDebugLog& log, NotifyReports reports,
                             PostLimits limits)
    : CNotifySender(poster, nullptr, log, std::move(reports), limits) {}

CNotifySender::CNotifySender(IWebhookPoster& poster, IMailSender* mailer, CDebugLog& log,
                             NotifyReports reports, PostLimits limits)
    : poster_(poster), mailer_(mailer), log_(log), reports_(std::move(reports)), limits_(limits) {
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

void CNotifySender::Enqueue(NotifyJob job) {
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
    NotifyJob job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) return;
      job = std::move(queue_.front());
      queue_.pop_front();
      busy_ = true;
    }
    PostOutcome outcome;
    {
      std::lock_guard<std::mutex> lock(flight->mutex);
      flight->posting = true;
    }
    // The limits are the worker's own: a send left behind outlives them.
    const PostLimits limits = limits_;
    try {
      outcome = std::visit([this, &limits](const auto& j) { return Send(j, limits); }, job);
    } catch (const std::exception& e) {
      outcome = PostOutcome{false, 0, e.what()};
    }
    {
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

PostOutcome CNotifySender::Send(const WebhookJob& job, const PostLimits& limits) {
  const WebhookUrlCheck check = ParseWebhookUrl(job.url);
  if (!check.ok) return PostOutcome{false, 0, check.error};
  return poster_.Post(check.url, job.request, limits);
}

PostOutcome CNotifySender::Send(const MailJob& job, const PostLimits& limits) {
  if (!mailer_) return PostOutcome{false, 0, "メールを送る手段がありません"};
  const std::string problem = CheckMailAccount(job.account);
  if (!problem.empty()) return PostOutcome{false, 0, problem};
  return mailer_->Send(job.account, job.message, limits);
}

void CNotifySender::Finish(NotifyJob& job, const PostOutcome& outcome) {
  // The log names the webhook by scheme and host, the mail by its server.
  const WebhookJob* webhook = std::get_if<WebhookJob>(&job);
  const std::string where = webhook ? RedactUrl(webhook->url)
                                    : "mail server " + std::get<MailJob>(job).account.server;
  NotifyJobState& state =
      webhook ? static_cast<NotifyJobState&>(std::get<WebhookJob>(job)) : std::get<MailJob>(job);
  ++state.tries;
  if (outcome.sent) {
    log_.Write("notify: sent to %s (%s %d)", where.c_str(), webhook ? "HTTP" : "curl",
               outcome.status);
  } else {
    log_.Write("notify: not sent to %s: %s", where.c_str(), outcome.reason.c_str());
  }
  if (state.test) {
    if (state.done)
      state.done(outcome);
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
      if (state.tries < 2) failed_.push_back(std::move(job));
    }
  }
  if (tell && reports_.failed) reports_.failed(outcome.reason);
}
