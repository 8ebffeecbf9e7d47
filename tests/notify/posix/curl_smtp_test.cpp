// The real curl of this machine, with the configuration the program hands it,
// against a mail server the test starts on the loopback address (implicit TLS
// and STARTTLS, each login mechanism, a certificate made for the test).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "notify/curl_mail.h"
#include "notify/mail_message.h"
#include "support/scratch_dir.h"

namespace {

bool Found(const char* program) {
  const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

const char* Python() { return access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3"; }

struct CurlRun {
  int exit = -1;
  std::string error;  // what curl wrote to its error output
};

// curl -K - with config on its standard input; bounded by timeout(1) as well
// as by its own max-time.
CurlRun RunCurl(const ScratchDir& scratch, const std::string& config) {
  const std::string errors = scratch.File("curl.err");
  const std::string command = "timeout 60 curl -K - 2>'" + errors + "'";
  FILE* in = popen(command.c_str(), "w");
  CurlRun run;
  if (!in) return run;
  std::fwrite(config.data(), 1, config.size(), in);
  const int status = pclose(in);
  run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.error = ReadAll(errors);
  return run;
}

class CurlSmtp : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* p : {"curl", "openssl", Python()}) {
      if (!Found(p)) GTEST_SKIP() << p << " is not installed";
    }
    // A certificate for 127.0.0.1, made now and trusted by this test only.
    const std::string command =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 "
        "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout '" +
        scratch_.File("key.pem") + "' -out '" + scratch_.File("cert.pem") + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }

  // Starts the server for one session; its port, or 0.
  int StartServer(const char* mode, const char* auth) {
    const std::string command = std::string(Python()) + " '" + NIMBRA_SMTP_TEST_SERVER +
                                "' --mode " + mode + " --auth " + auth + " --cert '" +
                                scratch_.File("cert.pem") + "' --key '" + scratch_.File("key.pem") +
                                "' --user taro@example.com --password 'pa\"ss w:rd' --output '" +
                                scratch_.File("received.eml") + "' --limit 30";
    server_ = popen(command.c_str(), "r");
    if (!server_) return 0;
    char line[32] = {};
    if (!std::fgets(line, sizeof line, server_)) return 0;
    return std::atoi(line);
  }
  // Waits for the server to end its session.
  void StopServer() {
    if (server_) pclose(server_);
    server_ = nullptr;
  }
  void TearDown() override { StopServer(); }

  MailAccount Account(int port, MailSecurity security) {
    MailAccount a;
    a.server = "127.0.0.1";
    a.port = port;
    a.security = security;
    a.user = "taro@example.com";
    a.password = "pa\"ss w:rd";
    a.from = "taro@example.com";
    a.to = {"hanako@example.jp", "jiro@example.org"};
    return a;
  }

  std::string Config(const MailAccount& a) {
    CurlMailOptions o;
    o.message_path = scratch_.File("message.eml");
    o.ca_file = scratch_.File("cert.pem");
    o.connect_ms = 10000;
    o.total_ms = 30000;
    return BuildCurlMailConfig(a, o);
  }

  std::string Message() {
    MailMessage m;
    m.from = "taro@example.com";
    m.to = {"hanako@example.jp", "jiro@example.org"};
    m.subject = "録画終了: 「ニュース」";
    m.body = "予定が終わりました。\n.\n.一行目が点の行\n";
    m.date = SystemTime{2026, 12, 4, 24, 22, 54, 0, 0};
    m.utc_offset_minutes = 540;
    m.unique = "test.1";
    return BuildMailMessage(m);
  }

  ScratchDir scratch_;
  FILE* server_ = nullptr;
};

TEST_F(CurlSmtp, TheServerReceivesExactlyTheMessageOverEitherTlsAndLogin) {
  const std::string message = Message();
  WriteAll(scratch_.File("message.eml"), message);
  struct Case {
    const char* mode;
    const char* auth;
    MailSecurity security;
  } cases[] = {{"starttls", "PLAIN", MailSecurity::kStartTls},
               {"implicit", "LOGIN", MailSecurity::kImplicitTls}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    std::remove(scratch_.File("received.eml").c_str());
    const int port = StartServer(c.mode, c.auth);
    ASSERT_GT(port, 0);
    const CurlRun run = RunCurl(scratch_, Config(Account(port, c.security)));
    StopServer();
    EXPECT_EQ(run.exit, 0) << run.error;
    EXPECT_EQ(ReadAll(scratch_.File("received.eml")), message);
    EXPECT_EQ(ReadAll(scratch_.File("received.eml.envelope")),
              "MAIL FROM:<taro@example.com>\nRCPT TO:<hanako@example.jp>\n"
              "RCPT TO:<jiro@example.org>\n");
  }
}

TEST_F(CurlSmtp, AWrongPasswordComesBackAsARefusedLogin) {
  WriteAll(scratch_.File("message.eml"), Message());
  const int port = StartServer("starttls", "PLAIN");
  ASSERT_GT(port, 0);
  MailAccount a = Account(port, MailSecurity::kStartTls);
  a.password = "wrong";
  const CurlRun run = RunCurl(scratch_, Config(a));
  StopServer();
  ASSERT_EQ(run.exit, 67) << run.error;
  EXPECT_EQ(CurlExitText(run.exit, CurlErrorMessage(run.error)),
            "ログインできませんでした（ユーザー名かパスワードが違います）（curl の終了コード 67: Login "
            "denied）");
  EXPECT_EQ(ReadAll(scratch_.File("received.eml")), "");
}

}  // namespace
