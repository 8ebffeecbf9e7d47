#include "notify/notify_sender.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/debug_log.h"
#include "platform/file.h"
#include "support/scratch_dir.h"
#include "support/wait.h"

namespace {

// Answers with the outcomes it is given, in turn; holds each post while held.
class ScriptedPoster : public IWebhookPoster {
 public:
  PostOutcome Post(const WebhookUrl& url, const WebhookRequest& request,
                   const PostLimits&) override {
    std::unique_lock<std::mutex> lock(mutex_);
    hosts.push_back(url.host);
    bodies.push_back(request.body);
    ++started;
    released_.wait(lock, [this] { return !held_; });
    if (outcomes.empty()) return PostOutcome{true, 204, "HTTP 204"};
    PostOutcome o = outcomes.front();
    outcomes.pop_front();
    return o;
  }
  void Hold() {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = true;
  }
  void Release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      held_ = false;
    }
    released_.notify_all();
  }

  std::deque<PostOutcome> outcomes;
  std::vector<std::string> hosts;
  std::vector<std::string> bodies;
  std::atomic<int> started{0};

 private:
  std::mutex mutex_;
  std::condition_variable released_;
  bool held_ = false;
};

const PostOutcome kRefused{false, 0, "サーバーに接続できませんでした"};

WebhookJob Job(const std::string& body, const std::string& url = "https://example.com/SECRET") {
  WebhookJob job;
  job.url = url;
  job.request.body = body;
  return job;
}

struct Counts {
  std::mutex mutex;
  std::vector<std::string> failures;
  std::vector<PostOutcome> tests;
};

NotifyReports ReportsTo(Counts& c) {
  return NotifyReports{
      [&c](const std::string& reason) {
        std::lock_guard<std::mutex> lock(c.mutex);
        c.failures.push_back(reason);
      },
      [&c](const PostOutcome& o) {
        std::lock_guard<std::mutex> lock(c.mutex);
        c.tests.push_back(o);
      }};
}

TEST(NotifySender, HandingOverNeverWaitsForAHangingPost) {
  ScriptedPoster poster;
  CDebugLog log;
  Counts counts;
  CNotifySender sender(poster, log, ReportsTo(counts));
  poster.Hold();
  sender.Enqueue(Job("first"));
  ASSERT_TRUE(WaitUntil([&] { return poster.started == 1; }));
  // The post hangs; more can be handed over, and a PC about to sleep waits
  // only as long as it says.
  sender.Enqueue(Job("second"));
  EXPECT_FALSE(sender.WaitIdle(20));
  poster.Release();
  EXPECT_TRUE(sender.WaitIdle(150000));
  EXPECT_EQ(poster.bodies, (std::vector<std::string>{"first", "second"}));
}

TEST(NotifySender, FailureIsToldOnceUntilASendWorksAgainAndNeverLogsTheAddress) {
  ScratchDir scratch;
  ScriptedPoster poster;
  poster.outcomes = {kRefused, kRefused, PostOutcome{true, 200, "HTTP 200"}, kRefused};
  CDebugLog log(scratch.File("dbg.log"));
  log.SetLevel(1);
  Counts counts;
  CNotifySender sender(poster, log, ReportsTo(counts));
  for (const char* body : {"1", "2", "3", "4"}) {
    sender.Enqueue(Job(body));
    ASSERT_TRUE(sender.WaitIdle(150000));
  }
  EXPECT_EQ(counts.failures.size(), 2u);
  // An address that breaks the HTTPS rule never reaches the network.
  sender.Enqueue(Job("5", "http://example.com/SECRET"));
  ASSERT_TRUE(sender.WaitIdle(150000));
  EXPECT_EQ(poster.started, 4);
  const FileRead logged = ReadFileBounded(scratch.File("dbg.log"), 1 << 20);
  ASSERT_EQ(logged.status, FileReadStatus::kRead);
  EXPECT_NE(logged.bytes.find("https://example.com/…"), std::string::npos);
  EXPECT_NE(logged.bytes.find("サーバーに接続できませんでした"), std::string::npos);
  EXPECT_EQ(logged.bytes.find("SECRET"), std::string::npos);
}

TEST(NotifySender, WhatFailedIsTriedOnceMoreAfterTheResume) {
  ScriptedPoster poster;
  poster.outcomes = {kRefused, kRefused, kRefused};
  CDebugLog log;
  Counts counts;
  CNotifySender sender(poster, log, ReportsTo(counts));
  sender.Enqueue(Job("a"));
  ASSERT_TRUE(sender.WaitIdle(150000));
  sender.Resumed();
  ASSERT_TRUE(WaitUntil([&] { return poster.started == 2; }));
  ASSERT_TRUE(sender.WaitIdle(150000));
  // Failed twice: not tried a third time.
  sender.Resumed();
  ASSERT_TRUE(sender.WaitIdle(150000));
  EXPECT_EQ(poster.started, 2);
  EXPECT_EQ(counts.failures.size(), 1u);
}

TEST(NotifySender, TheProgramsEndLeavesAHangingPostBehindAndDropsWhatIsQueued) {
  ScratchDir scratch;
  // Outlives the worker that the sender leaves behind in it.
  static ScriptedPoster* const poster = new ScriptedPoster;
  poster->Hold();
  CDebugLog log(scratch.File("dbg.log"));
  log.SetLevel(1);
  Counts counts;
  {
    PostLimits limits;
    limits.exit_ms = 50;
    CNotifySender sender(*poster, log, ReportsTo(counts), limits);
    sender.Enqueue(Job("hangs"));
    ASSERT_TRUE(WaitUntil([&] { return poster->started == 1; }));
    sender.Enqueue(Job("queued"));
  }
  // The end has come while the post still hangs.
  EXPECT_EQ(poster->started, 1);
  const FileRead logged = ReadFileBounded(scratch.File("dbg.log"), 1 << 20);
  ASSERT_EQ(logged.status, FileReadStatus::kRead);
  EXPECT_NE(logged.bytes.find("1 queued notification(s) dropped at exit"), std::string::npos);
  EXPECT_NE(logged.bytes.find("left behind at exit"), std::string::npos);
  poster->Release();
}

TEST(NotifySender, TestSendsReportTheirOutcomeToThePageOnly) {
  ScriptedPoster poster;
  poster.outcomes = {PostOutcome{false, 401, "HTTP 401"}};
  CDebugLog log;
  Counts counts;
  CNotifySender sender(poster, log, ReportsTo(counts));
  WebhookJob job = Job("t");
  job.test = true;
  sender.Enqueue(job);
  ASSERT_TRUE(sender.WaitIdle(150000));
  ASSERT_EQ(counts.tests.size(), 1u);
  EXPECT_EQ(counts.tests[0].status, 401);
  EXPECT_TRUE(counts.failures.empty());
  sender.Resumed();
  ASSERT_TRUE(sender.WaitIdle(150000));
  EXPECT_EQ(poster.started, 1);
}

// Records the mails it is given and answers with curl's refusal of a login.
class RecordingMailer : public IMailSender {
 public:
  PostOutcome Send(const MailAccount& account, const std::string& message,
                   const PostLimits&) override {
    std::lock_guard<std::mutex> lock(mutex);
    servers.push_back(account.server);
    messages.push_back(message);
    return PostOutcome{false, 67, "ログインできませんでした"};
  }
  std::mutex mutex;
  std::vector<std::string> servers;
  std::vector<std::string> messages;
};

TEST(NotifySender, MailsShareTheQueueAndAFailureOfEitherChannelIsToldOnce) {
  ScratchDir scratch;
  ScriptedPoster poster;
  poster.outcomes = {kRefused};
  RecordingMailer mailer;
  CDebugLog log(scratch.File("dbg.log"));
  log.SetLevel(1);
  Counts counts;
  CNotifySender sender(poster, &mailer, log, ReportsTo(counts));
  MailJob mail;
  mail.account.server = "smtp.example.com";
  mail.account.user = "taro@example.com";
  mail.account.password = "SECRET-PASSWORD";
  mail.account.from = "taro@example.com";
  mail.account.to = {"hanako@example.jp"};
  mail.message = "the message";
  sender.Enqueue(Job("hook"));
  sender.Enqueue(mail);
  // An account that cannot send never reaches curl.
  MailJob broken = mail;
  broken.account.server = "smtp.example.com/evil";
  sender.Enqueue(broken);
  ASSERT_TRUE(sender.WaitIdle(150000));
  EXPECT_EQ(mailer.servers, (std::vector<std::string>{"smtp.example.com"}));
  EXPECT_EQ(mailer.messages, (std::vector<std::string>{"the message"}));
  EXPECT_EQ(counts.failures.size(), 1u);
  // Both failed notifications (not the test) come again after the resume.
  sender.Resumed();
  ASSERT_TRUE(WaitUntil([&] {
    std::lock_guard<std::mutex> lock(mailer.mutex);
    return mailer.servers.size() == 2;
  }));
  ASSERT_TRUE(sender.WaitIdle(150000));
  EXPECT_EQ(poster.started, 2);
  const std::string logged = ReadAll(scratch.File("dbg.log"));
  EXPECT_NE(logged.find("mail server smtp.example.com"), std::string::npos);
  EXPECT_EQ(logged.find("SECRET-PASSWORD"), std::string::npos);

  // Without a mailer a mail fails with a reason rather than vanishing.
  CNotifySender webhookOnly(poster, log, ReportsTo(counts));
  MailJob test = mail;
  test.test = true;
  webhookOnly.Enqueue(test);
  ASSERT_TRUE(webhookOnly.WaitIdle(150000));
  ASSERT_EQ(counts.tests.size(), 1u);
  EXPECT_FALSE(counts.tests[0].sent);
  EXPECT_FALSE(counts.tests[0].reason.empty());
}

}  // namespace
