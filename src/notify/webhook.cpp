#include "notify/webhook.h"

#include <cstdio>

#include "notify/mail_message.h"
#include "platform/text.h"

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

bool IsAllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The length of the UTF-8 sequence starting at s[i], or 0 when it is not one.
size_t Utf8SequenceLength(std::string_view s, size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  size_t n = 0;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) n = 2;
  else if (c >= 0xE0 && c <= 0xEF) n = 3;
  else if (c >= 0xF0 && c <= 0xF4) n = 4;
  else return 0;
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  }
  return n;
}

// The start of utf8 holding at most maxChars characters.
std::string_view CutCharacters(std::string_view utf8, size_t maxChars) {
  size_t i = 0;
  for (size_t chars = 0; i < utf8.size() && chars < maxChars; ++chars) {
    const size_t n = Utf8SequenceLength(utf8, i);
    i += n == 0 ? 1 : n;
  }
  return utf8.substr(0, i);
}

std::string JsonString(std::string_view utf8) { return "\"" + JsonEscape(utf8) + "\""; }

std::string SjisTitle(const ScheduleEntry& entry) {
  size_t n = 0;
  while (n < sizeof entry.title && entry.title[n] != '\0') ++n;
  return SjisToUtf8(std::string_view(entry.title, n));
}

std::string StampText(const SystemTime& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02uT%02u:%02u:%02u", unsigned{t.wYear},
                unsigned{t.wMonth}, unsigned{t.wDay}, unsigned{t.wHour}, unsigned{t.wMinute},
                unsigned{t.wSecond});
  return buf;
}

}  // namespace

bool IsLoopbackHost(std::string_view host) {
  const std::string h = Lower(host);
  if (h == "localhost" || h == "::1") return true;
  // 127.0.0.0/8 written as four decimal parts.
  if (h.rfind("127.", 0) != 0) return false;
  int parts = 0;
  size_t start = 0;
  while (start <= h.size()) {
    size_t dot = h.find('.', start);
    if (dot == std::string::npos) dot = h.size();
    const std::string_view part = std::string_view(h).substr(start, dot - start);
    if (!IsAllDigits(part) || part.size() > 3 || std::stoi(std::string(part)) > 255) return false;
    ++parts;
    start = dot + 1;
  }
  return parts == 4;
}

WebhookUrlCheck ParseWebhookUrl(std::string_view url) {
  WebhookUrlCheck check;
  for (char c : url) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) {
      check.error = "URLに空白や制御文字が含まれています。";
      return check;
    }
  }
  const size_t sep = url.find("://");
  const std::string scheme = sep == std::string_view::npos ? "" : Lower(url.substr(0, sep));
  if (scheme != "https" && scheme != "http") {
    check.error = "URLは https:// で始めてください。";
    return check;
  }
  std::string_view rest = url.substr(sep + 3);
  const size_t pathStart = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, pathStart);
  std::string path = pathStart == std::string_view::npos ? "/" : std::string(rest.substr(pathStart));
  if (const size_t hash = path.find('#'); hash != std::string::npos) path.erase(hash);
  if (path.empty() || path.front() != '/') path.insert(path.begin(), '/');
  if (authority.find('@') != std::string_view::npos) {
    check.error = "URLに利用者名やパスワードを含めることはできません。";
    return check;
  }
  std::string_view host = authority;
  std::string_view port;
  if (!host.empty() && host.front() == '[') {
    const size_t close = host.find(']');
    if (close == std::string_view::npos) {
      check.error = "URLのホスト名が正しくありません。";
      return check;
    }
    if (close + 1 < host.size()) {
      if (host[close + 1] != ':') {
        check.error = "URLのホスト名が正しくありません。";
        return check;
      }
      port = host.substr(close + 2);
    }
    host = host.substr(1, close - 1);
  } else if (const size_t colon = host.rfind(':'); colon != std::string_view::npos) {
    port = host.substr(colon + 1);
    host = host.substr(0, colon);
  }
  if (host.empty()) {
    check.error = "URLにホスト名がありません。";
    return check;
  }
  check.url.https = scheme == "https";
  check.url.host = std::string(host);
  check.url.path = path;
  check.url.port = check.url.https ? 443 : 80;
  if (!port.empty() || authority.back() == ':') {
    if (!IsAllDigits(port) || port.size() > 5 || std::stoi(std::string(port)) < 1 ||
        std::stoi(std::string(port)) > 65535) {
      check.error = "URLのポート番号が正しくありません。";
      return check;
    }
    check.url.port = static_cast<uint16_t>(std::stoi(std::string(port)));
  }
  if (!check.url.https && !IsLoopbackHost(check.url.host)) {
    check.error = "このPC以外へはhttps://のURLだけが使えます（URLは秘密の鍵と同じです）。";
    return check;
  }
  check.ok = true;
  return check;
}

std::string RedactUrl(std::string_view url) {
  const size_t sep = url.find("://");
  if (sep == std::string_view::npos) return "(URL)";
  std::string_view rest = url.substr(sep + 3);
  std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
  // A user name or password in front of the host is never shown either.
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
    authority = authority.substr(at + 1);
  }
  std::string out(url.substr(0, sep + 3));
  out += authority;
  if (authority.size() < rest.size()) out += "/…";
  return out;
}

std::string JsonEscape(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 8);
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x80) {
      const size_t n = Utf8SequenceLength(utf8, i);
      if (n == 0) {
        out += "\xEF\xBF\xBD";
        ++i;
      } else {
        out.append(utf8.substr(i, n));
        i += n;
      }
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", unsigned{c});
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  return out;
}

WebhookRequest BuildWebhookRequest(WebhookKind kind, const NotifyText& text,
                                   const NotifyFacts& facts) {
  WebhookRequest request;
  switch (kind) {
    case WebhookKind::kDiscord: {
      const std::string message = "**" + text.subject + "**\n" + text.body;
      request.content_type = "application/json; charset=utf-8";
      request.body =
          "{\"content\":" + JsonString(CutCharacters(message, kDiscordContentLimit)) + "}";
      break;
    }
    case WebhookKind::kSlack:
      request.content_type = "application/json; charset=utf-8";
      request.body = "{\"text\":" + JsonString("*" + text.subject + "*\n" + text.body) + "}";
      break;
    case WebhookKind::kNtfy:
      request.content_type = "text/plain; charset=utf-8";
      request.headers.push_back({"Title", EncodeHeaderText(text.subject, " ")});
      request.body = text.body;
      break;
    case WebhookKind::kGeneric: {
      request.content_type = "application/json; charset=utf-8";
      std::string& b = request.body;
      b = "{\"event\":" + JsonString(NotifyEventName(facts.event));
      b += ",\"subject\":" + JsonString(text.subject);
      b += ",\"body\":" + JsonString(text.body);
      b += ",\"title\":" + JsonString(SjisTitle(facts.entry));
      b += ",\"start\":" + JsonString(StampText(facts.entry.s));
      b += ",\"end\":" + JsonString(StampText(facts.entry.e));
      b += ",\"verdict\":" + JsonString(facts.verdict);
      b += ",\"cause\":" + JsonString(facts.cause);
      b += ",\"wake_time\":" + JsonString(facts.wake_time);
      b += "}";
      break;
    }
  }
  return request;
}
