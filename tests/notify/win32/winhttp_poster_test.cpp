// WinHTTP posts each kind of webhook to a small HTTP server that the test
// runs on 127.0.0.1 itself; a server that never answers ends in the time-out.
#include "notify/win32/winhttp_poster.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "support/loopback_http_server.h"

namespace {

std::string BodyOf(const std::string& request) {
  return request.substr(request.find("\r\n\r\n") + 4);
}

TEST(WinHttpPoster, EachKindArrivesAsBuilt) {
  NotifyFacts facts = SampleNotifyFacts();
  const NotifyText text = ComposeNotifyText("件名 \"SCH_TITLE\"", "本文\nSCH_TITLE", facts);
  for (WebhookKind kind : {WebhookKind::kDiscord, WebhookKind::kSlack, WebhookKind::kNtfy,
                           WebhookKind::kGeneric}) {
    const WebhookRequest built = BuildWebhookRequest(kind, text, facts);
    OneRequestServer server(204);
    const WebhookUrlCheck url =
        ParseWebhookUrl("http://127.0.0.1:" + std::to_string(server.port) + "/hook/SECRET?x=1");
    ASSERT_TRUE(url.ok);
    CWinHttpPoster poster;
    const PostOutcome outcome = poster.Post(url.url, built, PostLimits{5000, 20000});
    EXPECT_TRUE(outcome.sent) << outcome.reason;
    EXPECT_EQ(outcome.status, 204);
    EXPECT_EQ(server.request.rfind("POST /hook/SECRET?x=1 HTTP/1.1\r\n", 0), 0u);
    EXPECT_NE(server.request.find("Content-Type: " + built.content_type + "\r\n"),
              std::string::npos);
    for (const auto& [name, value] : built.headers) {
      EXPECT_NE(server.request.find(name + ": " + value + "\r\n"), std::string::npos);
    }
    EXPECT_EQ(BodyOf(server.request), built.body);
  }
}

TEST(WinHttpPoster, RefusalAndSilenceAreReportedInWords) {
  {
    OneRequestServer server(403);
    const WebhookUrlCheck url =
        ParseWebhookUrl("http://127.0.0.1:" + std::to_string(server.port) + "/x");
    CWinHttpPoster poster;
    const PostOutcome outcome = poster.Post(url.url, WebhookRequest{"text/plain", {}, "b"},
                                            PostLimits{5000, 20000});
    EXPECT_FALSE(outcome.sent);
    EXPECT_EQ(outcome.status, 403);
    EXPECT_EQ(outcome.reason.rfind("HTTP 403", 0), 0u);
  }
  {
    OneRequestServer server(0);
    const WebhookUrlCheck url =
        ParseWebhookUrl("http://127.0.0.1:" + std::to_string(server.port) + "/x");
    CWinHttpPoster poster;
    const PostOutcome outcome = poster.Post(url.url, WebhookRequest{"text/plain", {}, "b"},
                                            PostLimits{500, 500});
    EXPECT_FALSE(outcome.sent);
    EXPECT_EQ(outcome.status, 0) << outcome.reason;
    EXPECT_NE(outcome.reason.find("タイムアウト"), std::string::npos) << outcome.reason;
  }
}

}  // namespace
