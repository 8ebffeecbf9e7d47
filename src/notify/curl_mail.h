#pragma once
// The mail channel's account and how the system's curl sends a mail with it:
// the account's checks, curl's configuration text (handed over on curl's
// standard input with "-K -", so that nothing secret is ever on a command
// line) and curl's exit codes in words.
#include <string>
#include <string_view>
#include <vector>

// How the connection to the mail server is secured.
enum class MailSecurity {
  kImplicitTls,  // TLS from the first byte (port 465)
  kStartTls,     // plain greeting, then STARTTLS, required (port 587)
};

// The two ports the page offers, and the security each stands for.
inline constexpr int kImplicitTlsPort = 465;
inline constexpr int kStartTlsPort = 587;
MailSecurity SecurityOfPort(int port);

// What the sender needs to send one mail.
struct MailAccount {
  std::string server;  // host name or IPv4 address
  int port = kImplicitTlsPort;
  MailSecurity security = MailSecurity::kImplicitTls;
  std::string user;      // empty: no login
  std::string password;  // plain text, in memory only
  std::string from;
  std::vector<std::string> to;
};

// True for a server name curl can take inside its address unchanged: letters,
// digits, dots and hyphens (a host name or an IPv4 address).
bool IsPlainServerName(std::string_view server);

// Why the account cannot send (a sentence for the page and the log), or ""
// when it can.
std::string CheckMailAccount(const MailAccount& account);

// text as a quoted value of curl's configuration syntax: in double quotes,
// with backslash, quote and the control characters curl knows escaped.
std::string CurlConfigQuote(std::string_view text);

// Where curl finds what it needs besides the account.
struct CurlMailOptions {
  std::string message_path;  // the file holding the whole message
  unsigned connect_ms = 10000;
  unsigned total_ms = 30000;
  // A certificate file to trust besides the system's (tests only).
  std::string ca_file;
};

// curl's configuration for one mail: the server's address (smtps://host:port
// or smtp://host:port with TLS required), the login, the envelope sender and
// recipients, the message file and the time-outs. The account must have
// passed CheckMailAccount.
std::string BuildCurlMailConfig(const MailAccount& account, const CurlMailOptions& options);

// curl's own message from what it wrote to its error output ("Login denied"
// of "curl: (67) Login denied"), "" when there is none.
std::string CurlErrorMessage(std::string_view stderrText);

// What curl's exit code means for the user, in Japanese, with curl's code
// and message beside it ("" for 0).
std::string CurlExitText(int code, std::string_view curlMessage);
