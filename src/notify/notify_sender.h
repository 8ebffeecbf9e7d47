#pragma once
// The sender: one worker thread of its own that sends the notifications
// (webhook posts and mails) one after the other, each bounded by a connect
// and a total time-out, so that whoever hands one over (the 200 ms tick among them) never
// waits for a network. A failure is logged with its reason and told once,
// until a send works again; a failed notification is tried once more after
// the next resume.
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <variant>

#include "notify/curl_mail.h"
#include "notify/webhook.h"
#include "platform/tell_once.h"

class CDebugLog;

// How long one send may take.
struct PostLimits {
  unsigned connect_ms = 10000;
  unsigned total_ms = 30000;
  // How long the program's end waits for a post in flight (as a PC about to
  // sleep does); a post that takes longer is left to end by itself.
  unsigned exit_ms = 3000;
};

// What became of one send, in words for the page and the log ("HTTP 204",
// "接続できませんでした" …).
struct PostOutcome {
  bool sent = false;   // a 2xx answer came, or the mail server took the mail
  int status = 0;      // the HTTP status (0 when none came); curl's exit code for a mail
  std::string reason;  // UTF-8; never holds the address
};

// Posts one request; the system's HTTP client on Windows, a double in tests.
class IWebhookPoster {
 public:
  virtual ~IWebhookPoster() = default;
  virtual PostOutcome Post(const WebhookUrl& url, const WebhookRequest& request,
                           const PostLimits& limits) = 0;
};

// Sends one mail; the system's curl on Windows, a double in tests.
class IMailSender {
 public:
  virtual ~IMailSender() = default;
  // message: the whole Internet message.
  virtual PostOutcome Send(const MailAccount& account, const std::string& message,
                           const PostLimits& limits) = 0;
};

// What every notification job has besides its content.
struct NotifyJobState {
  bool test = false;  // the page's test button: its outcome goes back to the page
  // A test send's outcome, from the worker (none: NotifyReports::tested).
  std::function<void(const PostOutcome& outcome)> done;
  int tries = 0;
};

// One notification to post.
struct WebhookJob : NotifyJobState {
  std::string url;  // the whole address: a secret, never logged
  WebhookRequest request;
};

// One notification to mail.
struct MailJob : NotifyJobState {
  MailAccount account;  // holds the password: never logged
  std::string message;  // the whole Internet message
};

using NotifyJob = std::variant<WebhookJob, MailJob>;

// What the sender tells the program, from its worker thread: the receiver
// posts it on to its window, never shows a box from here.
struct NotifyReports {
  // The first failure since the last send that worked.
  std::function<void(const std::string& reason)> failed;
  // A test send's outcome.
  std::function<void(const PostOutcome& outcome)> tested;
};

class CNotifySender {
 public:
  CNotifySender(IWebhookPoster& poster, CDebugLog& log, NotifyReports reports,
                PostLimits limits = PostLimits());
  // mailer: null where mails cannot be sent (they then fail with a reason).
  CNotifySender(IWebhookPoster& poster, IMailSender* mailer, CDebugLog& log,
                NotifyReports reports, PostLimits limits = PostLimits());
  // Stops the worker: what is still queued is dropped, and a post in flight
  // gets exit_ms to end; one that hangs longer is left behind (its outcome
  // goes nowhere) so that the program's end never waits for a network.
  ~CNotifySender();
  CNotifySender(const CNotifySender&) = delete;
  CNotifySender& operator=(const CNotifySender&) = delete;

  // Queues a notification and returns at once. At most kMaxQueued wait; the
  // oldest gives way.
  void Enqueue(NotifyJob job);

  // Waits at most ms for the queue to empty and the post in flight to end
  // (before the PC sleeps); true when nothing was left.
  bool WaitIdle(unsigned ms);

  // After a resume: the notifications that failed are tried once more.
  void Resumed();

  static constexpr size_t kMaxQueued = 16;

 private:
  // What the worker and the sender share beyond the sender's life: a worker
  // left behind in a post finds it abandoned and ends without touching the
  // sender.
  struct Flight {
    std::mutex mutex;
    bool posting = false;
    bool abandoned = false;
  };

  void Run(const std::shared_ptr<Flight>& flight);
  PostOutcome Send(const WebhookJob& job, const PostLimits& limits);
  PostOutcome Send(const MailJob& job, const PostLimits& limits);
  void Finish(NotifyJob& job, const PostOutcome& outcome);

  IWebhookPoster& poster_;
  IMailSender* mailer_;
  CDebugLog& log_;
  NotifyReports reports_;
  PostLimits limits_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<NotifyJob> queue_;
  std::deque<NotifyJob> failed_;  // to try once more after a resume
  bool busy_ = false;
  bool stop_ = false;
  TellOnce<> failure_;  // told once until a send works again
  std::shared_ptr<Flight> flight_ = std::make_shared<Flight>();
  std::thread worker_;
};
