#include "app/win/property_notify.h"

#include "app/program_notifier.h"
#include "app/settings_pages.h"
#include "app/win/notify_template_dlg.h"
#include "app/win/settings_resource.h"
#include "notify/secret.h"
#include "notify/win32/curl_mailer.h"
#include "framework/data_exchange.h"
#include "platform/app_title.h"
#include "platform/prompt.h"

namespace {

// What a test button sends: the sample schedule, as a test.
NotifyFacts TestFacts() {
  NotifyFacts facts = SampleNotifyFacts();
  facts.event = NotifyEvent::kTest;
  return facts;
}

constexpr int kSwitches[] = {IDC_NOTIFY_BALLOON_END,       IDC_NOTIFY_BALLOON_TROUBLE,
                             IDC_NOTIFY_ON_END,            IDC_NOTIFY_ON_MISSED,
                             IDC_NOTIFY_ON_NOT_READY,      IDC_NOTIFY_MAIL_ON_END,
                             IDC_NOTIFY_MAIL_ON_MISSED,    IDC_NOTIFY_MAIL_ON_NOT_READY};
constexpr int kMailEdits[] = {IDC_NOTIFY_MAIL_SERVER, IDC_NOTIFY_MAIL_USER, IDC_NOTIFY_MAIL_PASSWORD,
                              IDC_NOTIFY_MAIL_FROM, IDC_NOTIFY_MAIL_TO};

}  // namespace

CPropertyNotify::CPropertyNotify(IPrompt& prompt, CNotifySender* sender)
    : CPropertyPage(IDD_PROPERTY_NOTIFY), prompt_(prompt), sender_(sender) {}

BOOL CPropertyNotify::OnInitDialog() {
  initialising_ = true;
  for (const char* name : kWebhookKindNames) AddComboItemUtf8(IDC_NOTIFY_KIND, name);
  for (const char* name : kMailPortNames) AddComboItemUtf8(IDC_NOTIFY_MAIL_PORT, name);
  CPropertyPage::OnInitDialog();
  EnableItem(IDC_NOTIFY_TEST, sender_ != nullptr);
  const bool mail = sender_ && m_mailTools && m_mailCanSend;
  EnableItem(IDC_NOTIFY_MAIL_TEST, mail);
  if (!m_mailCanSend) SetItemTextUtf8(IDC_NOTIFY_MAIL_TEST_RESULT, kNoSystemCurlText);
  SetItemTextUtf8(IDC_NOTIFY_MAIL_PASSWORD_NOTE, PasswordNoteText(!m_settings.mail_password.empty()));
  initialising_ = false;
  return TRUE;
}

void CPropertyNotify::DoDataExchange(CDataExchange& dx) {
  // The address is checked first: one that cannot be used keeps the page.
  std::string url = m_settings.webhook_url;
  dx.RawText(IDC_NOTIFY_URL, url);
  if (dx.IsSaving()) {
    const std::string problem = WebhookUrlProblem(url);
    if (!problem.empty()) {
      prompt_.Show(problem, kAppTitle, PromptButtons::kOk);
      dx.Refuse(IDC_NOTIFY_URL);
      return;
    }
    m_settings.webhook_url = url;
  }
  dx.Check(IDC_NOTIFY_BALLOON_END, m_settings.balloon_end);
  dx.Check(IDC_NOTIFY_BALLOON_TROUBLE, m_settings.balloon_trouble);
  dx.Check(IDC_NOTIFY_ON_END, m_settings.webhook_on_end);
  dx.Check(IDC_NOTIFY_ON_MISSED, m_settings.webhook_on_missed);
  dx.Check(IDC_NOTIFY_ON_NOT_READY, m_settings.webhook_on_not_ready);
  int kind = m_settings.webhook_kind;
  dx.ComboIndex(IDC_NOTIFY_KIND, kind);
  if (dx.IsSaving())
    m_settings.webhook_kind = kind >= 0 && kind < kWebhookKindCount ? kind : 0;

  // The mail: the account is checked before anything of it is taken.
  std::string server = m_settings.mail_server, from = m_settings.mail_from,
              to = m_settings.mail_to;
  dx.RawText(IDC_NOTIFY_MAIL_SERVER, server);
  dx.RawText(IDC_NOTIFY_MAIL_FROM, from);
  dx.RawText(IDC_NOTIFY_MAIL_TO, to);
  if (dx.IsSaving()) {
    const std::string problem = MailSettingsProblem(server, from, to);
    if (!problem.empty()) {
      prompt_.Show(problem, kAppTitle, PromptButtons::kOk);
      dx.Refuse(IDC_NOTIFY_MAIL_SERVER);
      return;
    }
  }
  // The password box shows nothing: a stored password stays unless one is
  // typed, and only its sealed form is kept.
  std::string password;
  dx.RawText(IDC_NOTIFY_MAIL_PASSWORD, password);
  if (dx.IsSaving() && !password.empty()) {
    std::string sealed;
    if (!m_mailTools || !StorePassword(m_mailTools->sealer, password, sealed)) {
      prompt_.Show("パスワードを暗号化して保存できませんでした。", kAppTitle, PromptButtons::kOk);
      dx.Refuse(IDC_NOTIFY_MAIL_PASSWORD);
      return;
    }
    m_settings.mail_password = sealed;
  }
  if (dx.IsSaving()) {
    m_settings.mail_server = server;
    m_settings.mail_from = from;
    m_settings.mail_to = to;
  }
  dx.Text(IDC_NOTIFY_MAIL_USER, m_settings.mail_user, 255, TextCoding::kSjisExact);
  int port = m_settings.mail_port == kMailPorts[1] ? 1 : 0;
  dx.ComboIndex(IDC_NOTIFY_MAIL_PORT, port);
  if (dx.IsSaving()) m_settings.mail_port = kMailPorts[port == 1 ? 1 : 0];
  dx.Check(IDC_NOTIFY_MAIL_ON_END, m_settings.mail_on_end);
  dx.Check(IDC_NOTIFY_MAIL_ON_MISSED, m_settings.mail_on_missed);
  dx.Check(IDC_NOTIFY_MAIL_ON_NOT_READY, m_settings.mail_on_not_ready);
}

bool CPropertyNotify::OnCommand(int id, int code, HWND) {
  if (id == IDC_NOTIFY_TEST && code == BN_CLICKED) {
    OnTest();
    return true;
  }
  if (id == IDC_NOTIFY_TEMPLATE && code == BN_CLICKED) {
    OnTemplate(m_settings.webhook_subject, m_settings.webhook_body);
    return true;
  }
  if (id == IDC_NOTIFY_MAIL_TEMPLATE && code == BN_CLICKED) {
    OnTemplate(m_settings.mail_subject, m_settings.mail_body);
    return true;
  }
  if (id == IDC_NOTIFY_MAIL_TEST && code == BN_CLICKED) {
    OnMailTest();
    return true;
  }
  bool edited = (id == IDC_NOTIFY_URL && code == EN_CHANGE) ||
                ((id == IDC_NOTIFY_KIND || id == IDC_NOTIFY_MAIL_PORT) && code == CBN_SELCHANGE);
  for (int e : kMailEdits) edited = edited || (id == e && code == EN_CHANGE);
  if (edited) {
    if (!initialising_) SetModified();
    return true;
  }
  if (code == BN_CLICKED) {
    for (int b : kSwitches) {
      if (b == id) SetModified();
    }
  }
  return false;
}

void CPropertyNotify::OnTemplate(std::string& subject, std::string& body) {
  CNotifyTemplateDlg dlg(prompt_);
  dlg.m_subject = subject;
  dlg.m_body = body;
  if (dlg.DoModal(GetHwnd()) != IDOK) return;
  if (dlg.m_subject == subject && dlg.m_body == body) return;
  subject = dlg.m_subject;
  body = dlg.m_body;
  SetModified();
}

bool CPropertyNotify::TrialSettings(NotifySettings& trial) {
  // The page's values as they stand, without taking them yet.
  const NotifySettings kept = m_settings;
  if (!UpdateData(true)) return false;
  trial = m_settings;
  m_settings = kept;
  return true;
}

void CPropertyNotify::OnTest() {
  NotifySettings trial;
  if (!sender_ || !TrialSettings(trial)) return;
  if (trial.webhook_url.empty()) {
    SetItemTextUtf8(IDC_NOTIFY_TEST_RESULT, "URLを入力してください。");
    return;
  }
  SendTest(MakeWebhookJob(trial, TestFacts()), IDC_NOTIFY_TEST_RESULT);
}

void CPropertyNotify::OnMailTest() {
  // A typed password is sealed into the trial only.
  NotifySettings trial;
  if (!sender_ || !m_mailTools || !m_mailCanSend || !TrialSettings(trial)) return;
  if (trial.mail_server.empty()) {
    SetItemTextUtf8(IDC_NOTIFY_MAIL_TEST_RESULT, "メールサーバーを入力してください。");
    return;
  }
  MailJob job;
  std::string problem;
  if (!MakeMailJob(trial, TestFacts(), *m_mailTools, job, problem)) {
    SetItemTextUtf8(IDC_NOTIFY_MAIL_TEST_RESULT, "送信できませんでした: " + problem);
    return;
  }
  SendTest(std::move(job), IDC_NOTIFY_MAIL_TEST_RESULT);
}

template <class Job>
void CPropertyNotify::SendTest(Job job, int resultId) {
  HWND self = GetHwnd();
  job.done = [self, resultId](const PostOutcome& outcome) {
    auto* copy = new PostOutcome(outcome);
    if (!PostMessageW(self, kTestedMessage, static_cast<WPARAM>(resultId),
                      reinterpret_cast<LPARAM>(copy)))
      delete copy;
  };
  SetItemTextUtf8(resultId, "送信中…");
  sender_->Enqueue(std::move(job));
}

LRESULT CPropertyNotify::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kTestedMessage) {
    std::unique_ptr<PostOutcome> outcome(reinterpret_cast<PostOutcome*>(lp));
    const int resultId = static_cast<int>(wp);
    if (outcome)
      SetItemTextUtf8(resultId, resultId == IDC_NOTIFY_MAIL_TEST_RESULT
                                    ? MailTestOutcomeText(*outcome)
                                    : TestOutcomeText(*outcome));
    return TRUE;
  }
  return CPropertyPage::WindowProc(msg, wp, lp);
}

bool CPropertyNotify::OnApply() {
  if (!UpdateData(true)) return false;
  // A typed password is kept sealed now; the box goes back to saying so.
  if (!GetItemTextUtf8(IDC_NOTIFY_MAIL_PASSWORD).empty()) {
    SetItemTextUtf8(IDC_NOTIFY_MAIL_PASSWORD, "");
    SetItemTextUtf8(IDC_NOTIFY_MAIL_PASSWORD_NOTE, PasswordNoteText(true));
  }
  m_applied = true;
  SetModified(false);
  return CPropertyPage::OnApply();
}
