#pragma once
// A webhook notification: the address rules (HTTPS, except to this PC
// itself), the form the log may show of the address (never all of it: for
// most services the address is the password), and the request each kind of
// service takes.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "notify/notify_message.h"

enum class WebhookKind { kDiscord, kSlack, kNtfy, kGeneric };

// A webhook address taken apart.
struct WebhookUrl {
  bool https = true;
  std::string host;     // without brackets for an IPv6 address
  uint16_t port = 443;
  std::string path;     // with the query, "/" at least
};

// The outcome of reading an address: the address, or why it cannot be used
// (a sentence for the page and the log).
struct WebhookUrlCheck {
  bool ok = false;
  WebhookUrl url;
  std::string error;
};

// Reads url: "https://host[:port]/path?query"; "http://" only to a loopback
// address (127.0.0.0/8, ::1, localhost). No user name or password in the
// address, no blanks or control characters.
WebhookUrlCheck ParseWebhookUrl(std::string_view url);

// True for the names and addresses that mean this PC itself.
bool IsLoopbackHost(std::string_view host);

// The address as the log shows it: scheme and host, the rest hidden
// ("https://discord.com/…").
std::string RedactUrl(std::string_view url);

// text as the inside of a JSON string: quotes, backslashes and control
// characters escaped; bytes that are not UTF-8 become U+FFFD.
std::string JsonEscape(std::string_view utf8);

// What is posted.
struct WebhookRequest {
  std::string content_type;
  std::vector<std::pair<std::string, std::string>> headers;  // besides the content type
  std::string body;
};

// The request for kind: Discord {"content"}, Slack {"text"}, ntfy the body
// as plain text with the subject in a "Title" header, generic a JSON object
// with named fields.
WebhookRequest BuildWebhookRequest(WebhookKind kind, const NotifyText& text,
                                   const NotifyFacts& facts);

// How much of a message Discord takes in "content", in characters.
constexpr size_t kDiscordContentLimit = 2000;
