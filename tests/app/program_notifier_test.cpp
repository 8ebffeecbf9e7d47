// What the notifications hand over at each event: the balloon and the
// webhook as the 通知 settings switch them, with the stored templates.
#include "app/program_notifier.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "engine/journal_recorder.h"
#include "notify/mail_message.h"
#include "platform/debug_log.h"
#include "schedule/time_rules.h"
#include "support/fakes.h"

namespace {

class RecordingPoster : public IWebhookPoster {
 public:
  PostOutcome Post(const WebhookUrl&, const WebhookRequest& request, const PostLimits&) override {
    std::lock_guard<std::mutex> lock(mutex);
    requests.push_back(request);
    return PostOutcome{true, 204, "HTTP 204"};
  }
  std::mutex mutex;
  std::vector<WebhookRequest> requests;
};

struct Balloon {
  std::string title, text;
  bool warning;
};
class RecordingBalloon : public IBalloon {
 public:
  void ShowBalloon(const std::string& title, const std::string& text, bool warning) override {
    shown.push_back({title, text, warning});
  }
  std::vector<Balloon> shown;
};

ScheduleEntry Entry() {
  ScheduleEntry e{};
  e.s = SystemTime{2027, 3, 0, 5, 21, 0, 0, 0};
  e.e = SystemTime{2027, 3, 0, 5, 21, 54, 0, 0};
  std::strcpy(e.title, "\x83\x6a\x83\x85\x81\x5b\x83\x58");  // ニュース
  return e;
}

class NotifierFixture : public ::testing::Test {
 protected:
  NotifierFixture() { settings.webhook_url = "http://127.0.0.1:9/hook"; }
  // What was posted once the sender is idle.
  std::vector<WebhookRequest> Posted() {
    EXPECT_TRUE(sender.WaitIdle(10000));
    std::lock_guard<std::mutex> lock(poster.mutex);
    return poster.requests;
  }

  NotifySettings settings;
  RecordingPoster poster;
  CDebugLog log;
  CNotifySender sender{poster, log, NotifyReports()};
  RecordingBalloon balloon;
  CProgramNotifier notifier{settings, sender, balloon};
};

TEST_F(NotifierFixture, EachEventGoesWhereItsSwitchesSay) {
  struct Row {
    const char* name;
    int32_t NotifySettings::*switchOff;  // nullptr: all at their defaults
    void (CProgramNotifier::*event)(const ScheduleEntry&);
    size_t balloons, posts;
  };
  const Row rows[] = {
      {"end, defaults", nullptr, &CProgramNotifier::WindowEnded, 0, 1},
      {"end, no webhook", &NotifySettings::webhook_on_end, &CProgramNotifier::WindowEnded, 0, 0},
      {"missed, defaults", nullptr, &CProgramNotifier::WindowMissed, 1, 1},
      {"missed, no webhook", &NotifySettings::webhook_on_missed, &CProgramNotifier::WindowMissed, 1, 0},
      {"missed, no balloon", &NotifySettings::balloon_trouble, &CProgramNotifier::WindowMissed, 0, 1},
  };
  size_t posted = 0;
  for (const Row& row : rows) {
    settings = NotifySettings();
    settings.webhook_url = "http://127.0.0.1:9/hook";
    if (row.switchOff) settings.*row.switchOff = 0;
    balloon.shown.clear();
    (notifier.*row.event)(Entry());
    posted += row.posts;
    EXPECT_EQ(balloon.shown.size(), row.balloons) << row.name;
    EXPECT_EQ(Posted().size(), posted) << row.name;
  }
  // The balloon at the end is the user's choice; a missed window warns.
  settings = NotifySettings();
  settings.balloon_end = 1;
  balloon.shown.clear();
  notifier.WindowEnded(Entry());
  notifier.WindowMissed(Entry());
  ASSERT_EQ(balloon.shown.size(), 2u);
  EXPECT_FALSE(balloon.shown[0].warning);
  EXPECT_TRUE(balloon.shown[1].warning);
  EXPECT_NE(balloon.shown[0].text.find("ニュース"), std::string::npos);
}

TEST_F(NotifierFixture, NotReadyIsPostedWithItsCauseWhenSwitchedOn) {
  settings.webhook_kind = 3;
  notifier.NotReady("ウェイクタイマーが無効です");
  settings.webhook_on_not_ready = 0;
  notifier.NotReady("ウェイクタイマーが無効です");
  const std::vector<WebhookRequest> posted = Posted();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_NE(posted[0].body.find("\"event\":\"not_ready\""), std::string::npos) << posted[0].body;
  EXPECT_NE(posted[0].body.find("ウェイクタイマーが無効です"), std::string::npos) << posted[0].body;
  EXPECT_TRUE(balloon.shown.empty());
}

TEST_F(NotifierFixture, NoAddressPostsNothingAndTroubleIsToldOnlyWhenSwitchedOn) {
  settings.webhook_url.clear();
  notifier.WindowEnded(Entry());
  EXPECT_TRUE(Posted().empty());
  notifier.SendFailed("HTTP 404");
  notifier.WakeTimerRefused();
  ASSERT_EQ(balloon.shown.size(), 2u);
  EXPECT_EQ(balloon.shown[0].text, "HTTP 404");
  settings.balloon_trouble = 0;
  notifier.SendFailed("HTTP 404");
  notifier.WakeTimerRefused();
  EXPECT_EQ(balloon.shown.size(), 2u);
}

// The journal's verdict as a script.
class ScriptedFacts : public IWindowFacts {
 public:
  WindowVerdictFacts Verdict(const ScheduleEntry&) override { return verdict; }
  std::string NextWake() override { return wake; }
  WindowVerdictFacts verdict;
  std::string wake;
};

TEST_F(NotifierFixture, TheVerdictItsCauseAndTheNextWakeAreSaidAndTroubleWarns) {
  struct Row {
    const char* name;
    bool missed;
    WindowVerdictFacts verdict;
    int32_t balloonTrouble;
    size_t balloons;  // 0 or 1, with the warning icon
    const char* line;  // the body's verdict line
  };
  const WindowVerdictFacts awake{true, true, "最後まで起動", ""};
  const WindowVerdictFacts cut{true, false, "5分00秒中断", "21:10:00にユーザーかWindowsがスリープ"};
  const WindowVerdictFacts off{true, false, "見逃し", "PCの電源が切れていたか、スリープ中でした"};
  const Row rows[] = {
      {"awake to the end", false, awake, 1, 0, "判定: 最後まで起動 \\n"},
      {"interrupted", false, cut, 1, 1, "判定: 5分00秒中断 21:10:00にユーザーかWindowsがスリープ\\n"},
      {"interrupted, trouble unwanted", false, cut, 0, 0, "判定: 5分00秒中断 21:10:00に"},
      {"not in the journal", false, WindowVerdictFacts{}, 1, 0, "判定:  \\n"},
      {"missed", true, off, 1, 1, "判定: 見逃し PCの電源が切れていたか、スリープ中でした\\n"},
  };
  ScriptedFacts facts;
  facts.wake = "03/06 20:59";
  CProgramNotifier judged{settings, sender, balloon, &facts};
  settings.webhook_kind = 3;  // generic: the fields and the body as JSON
  size_t posted = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    facts.verdict = row.verdict;
    settings.balloon_trouble = row.balloonTrouble;
    balloon.shown.clear();
    if (row.missed)
      judged.WindowMissed(Entry());
    else
      judged.WindowEnded(Entry());
    ASSERT_EQ(balloon.shown.size(), row.balloons);
    if (row.balloons) {
      EXPECT_TRUE(balloon.shown[0].warning);
      EXPECT_NE(balloon.shown[0].text.find(row.verdict.verdict), std::string::npos);
    }
    const std::vector<WebhookRequest> requests = Posted();
    ASSERT_EQ(requests.size(), ++posted);
    const std::string& body = requests.back().body;
    EXPECT_NE(body.find(row.line), std::string::npos) << body;
    EXPECT_NE(body.find("次回起動: 03/06 20:59"), std::string::npos) << body;
    EXPECT_NE(body.find("\"verdict\":\"" + row.verdict.verdict + "\""), std::string::npos) << body;
  }
}

// A window that passed while the program was not running is found at the
// start, before the notifications exist; handed over later, it carries the
// journal's verdict.
TEST_F(NotifierFixture, AWindowMissedBeforeTheStartIsToldWithTheJournalsVerdict) {
  struct Sink : IJournalSink {
    void Record(const JournalEvent& e) override { events.push_back(e); }
    std::vector<JournalEvent> events;
  } sink;
  const ScheduleEntry entry = Entry();
  const int64_t start = TimeToSeconds(entry.s), end = TimeToSeconds(entry.e);
  {
    CJournalRecorder before(sink);
    (void)before.ProgramStarted(start - 7200, false, {}, {});
    before.ProgramEnding(start - 3600, false);
  }
  CJournalRecorder journal(sink);
  const std::vector<JournalWindowRef> missed =
      journal.ProgramStarted(end + 600, false, sink.events, {{start, end, "ニュース"}});
  ASSERT_EQ(missed.size(), 1u);

  WakePlan plan;
  plan.haveWake = true;
  plan.wakeSeconds = TimeToSeconds(SystemTime{2027, 3, 0, 6, 20, 59, 0, 0});
  CJournalWindowFacts facts(&journal, [&plan] { return plan; });
  CProgramNotifier judged{settings, sender, balloon, &facts};
  judged.WindowMissed(entry);
  const std::vector<WebhookRequest> requests = Posted();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_NE(requests[0].body.find("判定: 見逃し Nimbraが起動していませんでした"), std::string::npos)
      << requests[0].body;
  EXPECT_NE(requests[0].body.find("次回起動: 03/06 20:59"), std::string::npos) << requests[0].body;
  ASSERT_EQ(balloon.shown.size(), 1u);
  EXPECT_TRUE(balloon.shown[0].warning);
}

TEST(MakeWebhookJob, StoredTemplatesAreShiftJisAndAnEmptyOneIsTheBuiltIn) {
  NotifySettings settings;
  settings.webhook_url = "https://ntfy.example.net/nimbra";
  settings.webhook_kind = 2;  // ntfy: the subject is the Title header
  NotifyFacts facts;
  facts.entry = Entry();
  settings.webhook_subject = "\x98\x5e\x89\xe6 SCH_TITLE";  // 録画 SCH_TITLE
  WebhookJob job = MakeWebhookJob(settings, facts);
  EXPECT_EQ(job.url, settings.webhook_url);
  EXPECT_FALSE(job.test);
  EXPECT_NE(job.request.body.find("番組: ニュース"), std::string::npos);
  ASSERT_EQ(job.request.headers.size(), 1u);
  EXPECT_EQ(job.request.headers[0].first, "Title");

  settings.webhook_kind = 0;  // Discord
  settings.webhook_body = "SCH_TITLE \"end\"";
  facts.event = NotifyEvent::kTest;
  job = MakeWebhookJob(settings, facts);
  EXPECT_EQ(job.request.body, "{\"content\":\"**録画 ニュース**\\nニュース \\\"end\\\"\"}");
  EXPECT_TRUE(job.test);
}

// Seals by marking; opens only what it marked.
class MarkingSealer : public ISecretSealer {
 public:
  bool Seal(std::string_view plain, std::string& sealed) override {
    sealed = "M" + std::string(plain);
    return true;
  }
  bool Unseal(std::string_view sealed, std::string& plain) override {
    if (sealed.substr(0, 1) != "M") return false;
    plain = std::string(sealed.substr(1));
    return true;
  }
};

class RecordingMailer : public IMailSender {
 public:
  PostOutcome Send(const MailAccount& account, const std::string& message,
                   const PostLimits&) override {
    std::lock_guard<std::mutex> lock(mutex);
    accounts.push_back(account);
    messages.push_back(message);
    return PostOutcome{true, 0, "ok"};
  }
  std::mutex mutex;
  std::vector<MailAccount> accounts;
  std::vector<std::string> messages;
};

TEST(MakeMailJob, TheStoredAccountOpensAndTheMessageIsDatedInLocalTime) {
  MarkingSealer sealer;
  FakeClock clock;
  clock.SetLocal(SystemTime{2027, 3, 5, 5, 22, 0, 0, 0});
  MailTools tools{sealer, clock};
  NotifySettings settings;
  settings.mail_server = "smtp.example.jp";
  settings.mail_port = 587;
  settings.mail_user = "taro";
  ASSERT_TRUE(StorePassword(sealer, "pass word", settings.mail_password));
  settings.mail_from = "taro@example.jp";
  settings.mail_to = "hanako@example.jp; jiro@example.jp";
  settings.mail_subject = "\x98\x5e\x89\xe6 SCH_TITLE";  // 録画 SCH_TITLE
  NotifyFacts facts;
  facts.entry = Entry();
  MailJob job;
  std::string problem;
  ASSERT_TRUE(MakeMailJob(settings, facts, tools, job, problem)) << problem;
  EXPECT_EQ(job.account.password, "pass word");
  EXPECT_EQ(job.account.security, MailSecurity::kStartTls);
  EXPECT_EQ(job.account.to, (std::vector<std::string>{"hanako@example.jp", "jiro@example.jp"}));
  EXPECT_NE(job.message.find("Date: Fri, 05 Mar 2027 22:00:00 +0900\r\n"), std::string::npos)
      << job.message;
  EXPECT_NE(job.message.find("Subject: " + EncodeHeaderText("録画 ニュース")), std::string::npos);
  EXPECT_FALSE(job.test);

  // A stored password this user did not seal asks for it again; a list
  // with a bad address names it.
  NotifySettings broken = settings;
  broken.mail_password = "cGFzcw==";
  EXPECT_FALSE(MakeMailJob(broken, facts, tools, job, problem));
  EXPECT_NE(problem.find("パスワード"), std::string::npos);
  broken = settings;
  broken.mail_to = "hanako@example.jp, jiro";
  EXPECT_FALSE(MakeMailJob(broken, facts, tools, job, problem));
  EXPECT_NE(problem.find("jiro"), std::string::npos);

  // The notifier mails at the events its switches name, and not without a server.
  RecordingPoster poster;
  RecordingMailer mailer;
  CDebugLog log;
  CNotifySender sender(poster, &mailer, log, NotifyReports());
  RecordingBalloon balloon;
  CProgramNotifier notifier(settings, sender, balloon, nullptr, &tools);
  notifier.WindowEnded(Entry());
  notifier.NotReady("ウェイクタイマーが無効です");
  settings.mail_on_missed = 0;
  notifier.WindowMissed(Entry());
  settings.mail_server.clear();
  notifier.WindowEnded(Entry());
  ASSERT_TRUE(sender.WaitIdle(10000));
  std::lock_guard<std::mutex> lock(mailer.mutex);
  EXPECT_EQ(mailer.messages.size(), 2u);
}

}  // namespace
