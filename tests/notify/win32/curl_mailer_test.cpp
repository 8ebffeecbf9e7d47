// The system's curl as the mail sender runs it, with a recording stand-in
// put in the test prefix's system folder.
#include "notify/win32/curl_mailer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "notify/win32/dpapi_sealer.h"
#include "platform/debug_log.h"
#include "platform/win32/text_win.h"
#include "support/scratch_dir.h"

namespace {

std::wstring Beside(const wchar_t* name) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return (std::filesystem::path(self).parent_path() / name).wstring();
}

// The stand-in as the system's curl.exe for the test's time.
class CFakeSystemCurl {
 public:
  CFakeSystemCurl() {
    wchar_t dir[MAX_PATH];
    path_ = std::wstring(dir, GetSystemDirectoryW(dir, MAX_PATH)) + L"\\curl.exe";
  }
  void Install() {
    ok = CopyFileW(Beside(L"fake_curl.exe").c_str(), path_.c_str(), FALSE) != FALSE;
  }
  void Uninstall() { DeleteFileW(path_.c_str()); }
  ~CFakeSystemCurl() { Uninstall(); }
  bool ok = false;

 private:
  std::wstring path_;
};

MailAccount Account() {
  MailAccount a;
  a.server = "smtp.example.com";
  a.port = 587;
  a.security = MailSecurity::kStartTls;
  a.user = "taro@example.com";
  a.password = "SECRET-pass";
  a.from = "taro@example.com";
  a.to = {"hanako@example.jp"};
  return a;
}

std::vector<std::wstring> MessageFilesLeft(const std::wstring& folder) {
  std::vector<std::wstring> left;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec))
    if (e.path().extension() == L".eml") left.push_back(e.path().wstring());
  return left;
}

TEST(CurlMailer, RunsTheSystemsCurlWithTheSecretsOnItsInputOnlyAndRemovesTheMessage) {
  ScratchDir scratch;
  CDebugLog log;
  CCurlMailer mailer(log);
  const PostLimits limits{5000, 20000};
  // No curl.exe in the system folder (the test prefix has none of its own):
  // said so, nothing run.
  CFakeSystemCurl curl;
  curl.Uninstall();
  ASSERT_EQ(FindSystemCurl(), "");
  EXPECT_EQ(mailer.Send(Account(), "x", limits).reason, kNoSystemCurlText);

  curl.Install();
  ASSERT_TRUE(curl.ok);
  ASSERT_NE(FindSystemCurl(), "");
  const std::string record = scratch.File("curl");
  SetEnvironmentVariableW(L"NIMBRA_FAKE_CURL_RECORD", Utf8ToWide(record).c_str());
  SetEnvironmentVariableW(L"NIMBRA_FAKE_CURL_EXIT", nullptr);
  const std::string message = "Subject: t\r\n\r\n本文\r\n";
  const PostOutcome sent = mailer.Send(Account(), message, limits);
  EXPECT_TRUE(sent.sent) << sent.reason;

  const std::string args = ReadAll(record + ".args");
  EXPECT_NE(args.find("curl.exe\n-K\n-\n"), std::string::npos) << args;
  EXPECT_EQ(args.find("SECRET"), std::string::npos);
  const std::string config = ReadAll(record + ".stdin");
  EXPECT_NE(config.find("url = \"smtp://smtp.example.com:587\"\nssl-reqd\n"), std::string::npos);
  EXPECT_NE(config.find("user = \"taro@example.com:SECRET-pass\"\n"), std::string::npos);
  EXPECT_NE(config.find("max-time = \"20\"\n"), std::string::npos);
  EXPECT_EQ(ReadAll(record + ".message"), message);
  // The message file was in the user's own folder and is gone.
  wchar_t local[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
  ASSERT_GT(n, 0u);
  const std::wstring folder = std::wstring(local, n) + L"\\Nimbra";
  const std::string quotedFolder = CurlConfigQuote(WideToUtf8(folder + L"\\"));
  EXPECT_NE(config.find("upload-file = " + quotedFolder.substr(0, quotedFolder.size() - 1)),
            std::string::npos)
      << config;
  EXPECT_TRUE(MessageFilesLeft(folder).empty());

  // A user's folder with a Japanese name reaches curl as a plain ASCII path
  // that opens the same file.
  const std::string japanese = scratch.File("ユーザー");
  CCurlMailer inJapanese(log, "", japanese);
  const PostOutcome sentFromJapanese = inJapanese.Send(Account(), message, limits);
  EXPECT_TRUE(sentFromJapanese.sent) << sentFromJapanese.reason;
  const std::string japaneseConfig = ReadAll(record + ".stdin");
  const size_t upload = japaneseConfig.find("upload-file = ");
  ASSERT_NE(upload, std::string::npos) << japaneseConfig;
  const std::string uploadLine = japaneseConfig.substr(upload, japaneseConfig.find('\n', upload) - upload);
  EXPECT_TRUE(std::all_of(uploadLine.begin(), uploadLine.end(),
                          [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
      << uploadLine;
  EXPECT_EQ(ReadAll(record + ".message"), message);
  EXPECT_TRUE(MessageFilesLeft(Utf8ToWide(japanese)).empty());

  // A refused login comes back in words with curl's own message.
  SetEnvironmentVariableW(L"NIMBRA_FAKE_CURL_EXIT", L"67");
  SetEnvironmentVariableW(L"NIMBRA_FAKE_CURL_ERROR", L"Login denied");
  const PostOutcome refused = mailer.Send(Account(), message, limits);
  SetEnvironmentVariableW(L"NIMBRA_FAKE_CURL_EXIT", nullptr);
  EXPECT_FALSE(refused.sent);
  EXPECT_EQ(refused.status, 67);
  EXPECT_EQ(refused.reason, CurlExitText(67, "Login denied"));
  EXPECT_TRUE(MessageFilesLeft(folder).empty());
}

TEST(DpapiSealer, OnlyTheSealedBytesAreStoredAndTheyOpenAgain) {
  CDpapiSealer sealer;
  std::string stored, back;
  ASSERT_TRUE(StorePassword(sealer, "パスワード", stored));
  EXPECT_EQ(stored.find("パスワード"), std::string::npos);
  ASSERT_TRUE(ReadStoredPassword(sealer, stored, back));
  EXPECT_EQ(back, "パスワード");
  EXPECT_FALSE(ReadStoredPassword(sealer, "AAAA", back));
}

}  // namespace
