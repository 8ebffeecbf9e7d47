// WinHTTP posts each kind of webhook to a small HTTP server that the test
// runs on 127.0.0.1 itself; a server that never answers ends in the time-out.
#include "notify/win32/winhttp_poster.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/unique_any.h"

namespace {

struct SocketTraits {
  static SOCKET Invalid() { return INVALID_SOCKET; }
  static void Close(SOCKET s) { closesocket(s); }
};
using UniqueSocket = UniqueAny<SOCKET, SocketTraits>;

// A server for one connection on a free loopback port: it reads one request
// and answers with status, or never answers when status is 0 (until closed).
class OneRequestServer {
 public:
  explicit OneRequestServer(int status) {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    listener_.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    int len = sizeof addr;
    getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    listen(listener_.get(), 1);
    // The server gives up after a minute whatever happens.
    DWORD limit = 60000;
    setsockopt(listener_.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&limit),
               sizeof limit);
    thread_ = std::thread([this, status] { Serve(status); });
  }
  ~OneRequestServer() {
    thread_.join();
    WSACleanup();
  }

  uint16_t port = 0;
  std::string request;

 private:
  void Serve(int status) {
    UniqueSocket client(accept(listener_.get(), nullptr, nullptr));
    if (!client) return;
    DWORD limit = 60000;
    setsockopt(client.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&limit),
               sizeof limit);
    char buf[4096];
    for (;;) {
      const size_t headerEnd = request.find("\r\n\r\n");
      if (headerEnd != std::string::npos) {
        const size_t at = request.find("Content-Length: ");
        const size_t length = at == std::string::npos ? 0 : std::stoul(request.substr(at + 16));
        if (request.size() >= headerEnd + 4 + length) break;
      }
      const int n = recv(client.get(), buf, sizeof buf, 0);
      if (n <= 0) return;
      request.append(buf, static_cast<size_t>(n));
    }
    if (status == 0) {
      // Never answers: waits until the client gives up and closes.
      while (recv(client.get(), buf, sizeof buf, 0) > 0) {
      }
      return;
    }
    const std::string answer = "HTTP/1.1 " + std::to_string(status) +
                               " X\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    send(client.get(), answer.data(), static_cast<int>(answer.size()), 0);
  }

  UniqueSocket listener_;
  std::thread thread_;
};

std::string BodyOf(const std::string& request) {
  return request.substr(request.find("\r\n\r\n") + 4);
}

TEST(WinHttpPoster, EachKindArrivesAsBuilt) {
  NotifyFacts facts = SampleNotifyFacts();
  const NotifyText text = ComposeNotifyText("件名 \"SCH_TITLE\"", "本文\nSCH_TITLE", facts);
  for (WebhookKind kind : {WebhookKind::Discord, WebhookKind::Slack, WebhookKind::Ntfy,
                           WebhookKind::Generic}) {
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
