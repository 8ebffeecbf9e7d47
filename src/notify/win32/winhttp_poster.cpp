#include "notify/win32/winhttp_poster.h"

#include <windows.h>
#include <winhttp.h>

#include <string>

#include "platform/unique_any.h"
#include "platform/win32/text_win.h"

namespace {

using UniqueInternet = UniqueAny<HINTERNET, ReleasedBy<HINTERNET, &WinHttpCloseHandle>>;

// Socket errors that some WinHTTP implementations (Wine's) hand on as they
// are, in place of their WinHTTP counterparts.
constexpr DWORD kSocketConnectionReset = 10054;  // WSAECONNRESET
constexpr DWORD kSocketTimedOut = 10060;         // WSAETIMEDOUT
constexpr DWORD kSocketRefused = 10061;          // WSAECONNREFUSED

// A WinHTTP error in the user's words.
std::string ReasonOf(DWORD error) {
  switch (error) {
    case ERROR_WINHTTP_TIMEOUT:
    case kSocketTimedOut:
      return "時間内に応答がありませんでした（タイムアウト）";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return "サーバー名が見つかりません";
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case kSocketRefused:
      return "サーバーに接続できませんでした";
    case ERROR_WINHTTP_CONNECTION_ERROR:
    case kSocketConnectionReset:
      return "接続が切れました";
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
      return "TLSで安全に接続できませんでした（証明書）";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      return "サーバーの応答が正しくありません";
  }
  return "送信できませんでした";
}

PostOutcome Failed(const char* step) {
  const DWORD error = GetLastError();
  PostOutcome outcome;
  outcome.reason = ReasonOf(error) + " (" + step + " " + std::to_string(error) + ")";
  return outcome;
}

}  // namespace

PostOutcome CWinHttpPoster::Post(const WebhookUrl& url, const WebhookRequest& request,
                                 const PostLimits& limits) {
  UniqueInternet session(WinHttpOpen(L"Nimbra", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                     WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) {
    // Before Windows 8.1 the automatic proxy is unknown; the default one works there.
    session.reset(WinHttpOpen(L"Nimbra", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                              WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  }
  if (!session) return Failed("WinHttpOpen");
  const int connectMs = static_cast<int>(limits.connect_ms);
  const int totalMs = static_cast<int>(limits.total_ms);
  if (!WinHttpSetTimeouts(session.get(), connectMs, connectMs, totalMs, totalMs)) {
    return Failed("WinHttpSetTimeouts");
  }
  UniqueInternet connection(
      WinHttpConnect(session.get(), Utf8ToWide(url.host).c_str(), url.port, 0));
  if (!connection) return Failed("WinHttpConnect");
  UniqueInternet req(WinHttpOpenRequest(connection.get(), L"POST", Utf8ToWide(url.path).c_str(),
                                        nullptr, WINHTTP_NO_REFERER,
                                        WINHTTP_DEFAULT_ACCEPT_TYPES,
                                        url.https ? WINHTTP_FLAG_SECURE : 0));
  if (!req) return Failed("WinHttpOpenRequest");
  // The wait for the answer is bounded on its own as well: the receive
  // time-out alone does not cover the wait for the headers everywhere.
  DWORD answerMs = limits.total_ms;
  WinHttpSetOption(req.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &answerMs, sizeof answerMs);
  // Never follow a redirect: it could carry the message to a plain address.
  DWORD redirect = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
  WinHttpSetOption(req.get(), WINHTTP_OPTION_REDIRECT_POLICY, &redirect, sizeof redirect);
  std::wstring headers = L"Content-Type: " + Utf8ToWide(request.content_type) + L"\r\n";
  for (const auto& [name, value] : request.headers) {
    headers += Utf8ToWide(name) + L": " + Utf8ToWide(value) + L"\r\n";
  }
  if (!WinHttpSendRequest(req.get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                          const_cast<char*>(request.body.data()),
                          static_cast<DWORD>(request.body.size()),
                          static_cast<DWORD>(request.body.size()), 0)) {
    return Failed("WinHttpSendRequest");
  }
  if (!WinHttpReceiveResponse(req.get(), nullptr)) return Failed("WinHttpReceiveResponse");
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!WinHttpQueryHeaders(req.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                           WINHTTP_NO_HEADER_INDEX)) {
    return Failed("WinHttpQueryHeaders");
  }
  PostOutcome outcome;
  outcome.status = static_cast<int>(status);
  outcome.sent = status >= 200 && status < 300;
  outcome.reason = "HTTP " + std::to_string(status);
  if (status == 401 || status == 403) outcome.reason += "（URLが無効か、権限がありません）";
  else if (status == 404) outcome.reason += "（URLが見つかりません）";
  else if (status == 429) outcome.reason += "（送信が多すぎます）";
  return outcome;
}
