#include "notify/curl_mail.h"

#include <gtest/gtest.h>

#include "notify/mail_message.h"
#include "notify/secret.h"

namespace {

MailAccount Account() {
  MailAccount a;
  a.server = "smtp.example.com";
  a.user = "taro@example.com";
  a.password = "pa\"ss\\word";
  a.from = "taro@example.com";
  a.to = {"hanako@example.jp", "jiro@example.org"};
  return a;
}

TEST(CurlMailConfig, EachSecurityGetsItsAddressAndTheSecretsStayQuotedInTheConfig) {
  CurlMailOptions o;
  o.message_path = "C:\\Users\\表\\mail 1.eml";
  o.connect_ms = 10000;
  o.total_ms = 30500;
  MailAccount a = Account();
  EXPECT_EQ(BuildCurlMailConfig(a, o),
            "silent\nshow-error\n"
            "url = \"smtps://smtp.example.com:465\"\n"
            "user = \"taro@example.com:pa\\\"ss\\\\word\"\n"
            "mail-from = \"taro@example.com\"\n"
            "mail-rcpt = \"hanako@example.jp\"\n"
            "mail-rcpt = \"jiro@example.org\"\n"
            "upload-file = \"C:\\\\Users\\\\表\\\\mail 1.eml\"\n"
            "connect-timeout = \"10\"\n"
            "max-time = \"31\"\n");
  a.port = 587;
  a.security = SecurityOfPort(587);
  a.user.clear();
  o.ca_file = "/tmp/ca.pem";
  const std::string c = BuildCurlMailConfig(a, o);
  EXPECT_NE(c.find("url = \"smtp://smtp.example.com:587\"\nssl-reqd\n"), std::string::npos);
  EXPECT_EQ(c.find("user"), std::string::npos);
  EXPECT_NE(c.find("cacert = \"/tmp/ca.pem\"\n"), std::string::npos);
  EXPECT_EQ(c.find("insecure"), std::string::npos);
  EXPECT_EQ(CurlConfigQuote("a\tb\nc\rd"), "\"a\\tb\\nc\\rd\"");
}

TEST(CurlMailConfig, AnAccountThatCouldBendTheAddressOrTheLoginIsRefused) {
  struct Case {
    const char* what;
    void (*change)(MailAccount&);
    bool ok;
  } cases[] = {
      {"as it is", [](MailAccount&) {}, true},
      {"IPv4 server", [](MailAccount& a) { a.server = "127.0.0.1"; }, true},
      {"no server", [](MailAccount& a) { a.server.clear(); }, false},
      {"path in server", [](MailAccount& a) { a.server = "evil.example/x"; }, false},
      {"login in server", [](MailAccount& a) { a.server = "u@evil.example"; }, false},
      {"port in server", [](MailAccount& a) { a.server = "smtp.example.com:25"; }, false},
      {"colon in user", [](MailAccount& a) { a.user = "a:b"; }, false},
      {"newline in password", [](MailAccount& a) { a.password = "x\ny"; }, false},
      {"user without password", [](MailAccount& a) { a.password.clear(); }, false},
      {"no login at all", [](MailAccount& a) { a.user.clear(); a.password.clear(); }, true},
      {"no recipient", [](MailAccount& a) { a.to.clear(); }, false},
      {"bad recipient", [](MailAccount& a) { a.to.push_back("x>y@z"); }, false},
      {"bad sender", [](MailAccount& a) { a.from = "taro"; }, false},
  };
  for (const Case& c : cases) {
    MailAccount a = Account();
    c.change(a);
    EXPECT_EQ(CheckMailAccount(a).empty(), c.ok) << c.what;
  }
}

TEST(CurlExitText, CurlsCodesReadAsWhatWentWrong) {
  struct Case {
    int code;
    const char* message;
    const char* text;
  } cases[] = {
      {0, "", ""},
      {67, "Login denied",
       "ログインできませんでした（ユーザー名かパスワードが違います）（curl の終了コード 67: Login denied）"},
      {7, "", "メールサーバーに接続できませんでした（curl の終了コード 7）"},
      {35, "x", "TLS で接続できませんでした（サーバーが TLS を拒みました）（curl の終了コード 35: x）"},
      {60, "", "サーバーの証明書を確かめられませんでした（curl の終了コード 60）"},
      {28, "", "時間内に送れませんでした（タイムアウト）（curl の終了コード 28）"},
      {55, "", "送信中に接続が切れました（curl の終了コード 55）"},
      {56, "", "受信中に接続が切れました（curl の終了コード 56）"},
      {26, "Failed to open/read local data", "curl の終了コード 26（Failed to open/read local data）"},
      {99, "", "curl の終了コード 99"},
  };
  for (const Case& c : cases) EXPECT_EQ(CurlExitText(c.code, c.message), c.text) << c.code;
  EXPECT_EQ(CurlErrorMessage("warning\r\ncurl: (67) Login denied\r\n"), "Login denied");
  EXPECT_EQ(CurlErrorMessage("nothing of curl's"), "");
}

// Seals by reversing and marking; refuses what it did not seal.
class MarkingSealer : public ISecretSealer {
 public:
  bool Seal(std::string_view plain, std::string& sealed) override {
    sealed = "SEALED" + std::string(plain.rbegin(), plain.rend());
    return true;
  }
  bool Unseal(std::string_view sealed, std::string& plain) override {
    if (sealed.substr(0, 6) != "SEALED") return false;
    plain.assign(sealed.rbegin(), sealed.rend() - 6);
    return true;
  }
};

TEST(StoredPassword, IsTheSealedBytesInBase64AndOnlyThoseReadBack) {
  MarkingSealer sealer;
  std::string stored, back;
  for (const std::string plain : {"p", "pa", "pas", "パスワード\x01\xFF"}) {
    ASSERT_TRUE(StorePassword(sealer, plain, stored));
    EXPECT_EQ(stored.find(plain), std::string::npos);
    ASSERT_TRUE(ReadStoredPassword(sealer, stored, back));
    EXPECT_EQ(back, plain);
  }
  ASSERT_TRUE(StorePassword(sealer, "", stored));
  EXPECT_EQ(stored, "");
  EXPECT_TRUE(ReadStoredPassword(sealer, "", back));
  EXPECT_EQ(back, "");
  // Typed into the file by hand, or not base64: not a password.
  for (const char* bad : {"secret", "U0VBTEVE*", "QQ=A", "Q"})
    EXPECT_FALSE(ReadStoredPassword(sealer, bad, back)) << bad;
}

}  // namespace
