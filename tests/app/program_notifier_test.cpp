// What the notifications hand over at each event: the balloon and the
// webhook as the 通知 settings switch them, with the stored templates.
#include "app/program_notifier.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "platform/debug_log.h"

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

}  // namespace
