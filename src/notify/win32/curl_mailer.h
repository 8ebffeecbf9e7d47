#pragma once
// Mails through the curl.exe that Windows 10 and 11 ship in the system
// folder: found there by its full path (never through PATH), given its
// options and the login on its standard input ("-K -"), the message from a
// file only this user can read, removed again whatever happens.
#include <string>

#include "notify/notify_sender.h"

class CDebugLog;

// The full path of curl.exe in the system folder; "" when this Windows has
// none.
std::string FindSystemCurl();

// What the page says where there is no curl.exe.
extern const char* const kNoSystemCurlText;

class CCurlMailer : public IMailSender {
 public:
  // curlPath: the curl to run ("" for the system's); messageFolder: where the
  // message files go ("" for %LOCALAPPDATA%\Nimbra).
  explicit CCurlMailer(CDebugLog& log, std::string curlPath = "", std::string messageFolder = "");
  PostOutcome Send(const MailAccount& account, const std::string& message,
                   const PostLimits& limits) override;

 private:
  CDebugLog& log_;
  std::string curlPath_;
  std::string messageFolder_;
};
