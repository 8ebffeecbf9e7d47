#include "notify/curl_mail.h"

#include <algorithm>

#include "notify/mail_message.h"

namespace {

// Seconds for curl's time-out options, never below one.
std::string Seconds(unsigned ms) {
  const unsigned s = std::max(1u, (ms + 999) / 1000);
  return std::to_string(s);
}

bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

}  // namespace

MailSecurity SecurityOfPort(int port) {
  return port == kStartTlsPort ? MailSecurity::kStartTls : MailSecurity::kImplicitTls;
}

bool IsPlainServerName(std::string_view server) {
  if (server.empty() || server.size() > 253 || server.front() == '.' || server.front() == '-')
    return false;
  return std::all_of(server.begin(), server.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '.' || c == '-';
  });
}

std::string CheckMailAccount(const MailAccount& a) {
  if (!IsPlainServerName(a.server))
    return "メールサーバーの名前が正しくありません（例: smtp.example.com）。";
  if (a.port <= 0 || a.port > 65535) return "メールサーバーのポート番号が正しくありません。";
  if (a.user.find(':') != std::string::npos || HasControlCharacter(a.user))
    return "ユーザー名に「:」や制御文字は使えません。";
  if (HasControlCharacter(a.password)) return "パスワードに制御文字は使えません。";
  if (!a.user.empty() && a.password.empty()) return "パスワードが入力されていません。";
  if (!IsPlainMailAddress(a.from)) return "送信元のメールアドレスが正しくありません。";
  if (a.to.empty()) return "宛先のメールアドレスがありません。";
  for (const std::string& to : a.to) {
    if (!IsPlainMailAddress(to)) return "宛先のメールアドレスが正しくありません: " + to;
  }
  return "";
}

std::string CurlConfigQuote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\v': out += "\\v"; break;
      default: out += c;
    }
  }
  out += '"';
  return out;
}

std::string BuildCurlMailConfig(const MailAccount& a, const CurlMailOptions& o) {
  const bool implicit = a.security == MailSecurity::kImplicitTls;
  std::string c;
  auto line = [&c](std::string_view option, std::string_view value) {
    c.append(option).append(" = ").append(CurlConfigQuote(value)).append("\n");
  };
  c += "silent\nshow-error\n";
  line("url", std::string(implicit ? "smtps://" : "smtp://") + a.server + ":" +
                  std::to_string(a.port));
  if (!implicit) c += "ssl-reqd\n";
  if (!a.user.empty()) line("user", a.user + ":" + a.password);
  line("mail-from", a.from);
  for (const std::string& to : a.to) line("mail-rcpt", to);
  line("upload-file", o.message_path);
  line("connect-timeout", Seconds(o.connect_ms));
  line("max-time", Seconds(o.total_ms));
  if (!o.ca_file.empty()) line("cacert", o.ca_file);
  return c;
}

std::string CurlErrorMessage(std::string_view text) {
  // The last line of the form "curl: (N) message".
  std::string message;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.substr(0, 7) == "curl: (") {
      const size_t close = line.find(") ");
      if (close != std::string_view::npos) message = std::string(line.substr(close + 2));
    }
    start = end + 1;
  }
  return message;
}

std::string CurlExitText(int code, std::string_view curlMessage) {
  const char* words = nullptr;
  switch (code) {
    case 0: return "";
    case 6: words = "メールサーバーが見つかりません（サーバー名を確かめてください）"; break;
    case 7: words = "メールサーバーに接続できませんでした"; break;
    case 28: words = "時間内に送れませんでした（タイムアウト）"; break;
    case 35: words = "TLS で接続できませんでした（サーバーが TLS を拒みました）"; break;
    case 55: words = "送信中に接続が切れました"; break;
    case 56: words = "受信中に接続が切れました"; break;
    case 60: words = "サーバーの証明書を確かめられませんでした"; break;
    case 64: words = "サーバーが TLS（STARTTLS）に応じませんでした"; break;
    case 67: words = "ログインできませんでした（ユーザー名かパスワードが違います）"; break;
    default: break;
  }
  std::string out = words ? std::string(words) + "（curl の終了コード " + std::to_string(code)
                          : "curl の終了コード " + std::to_string(code);
  if (!curlMessage.empty()) out += std::string(words ? ": " : "（") + std::string(curlMessage);
  if (words || !curlMessage.empty()) out += "）";
  return out;
}
