#include "app/win/property_notify.h"

#include "app/program_notifier.h"
#include "app/settings_pages.h"
#include "app/win/notify_template_dlg.h"
#include "app/win/settings_resource.h"
#include "framework/data_exchange.h"
#include "platform/app_title.h"
#include "platform/prompt.h"

namespace {

constexpr int kSwitches[] = {IDC_NOTIFY_BALLOON_END, IDC_NOTIFY_BALLOON_TROUBLE, IDC_NOTIFY_ON_END,
                             IDC_NOTIFY_ON_MISSED, IDC_NOTIFY_ON_NOT_READY};

}  // namespace

CPropertyNotify::CPropertyNotify(IPrompt& prompt, CNotifySender* sender)
    : CPropertyPage(IDD_PROPERTY_NOTIFY), prompt_(prompt), sender_(sender) {}

BOOL CPropertyNotify::OnInitDialog() {
  initialising_ = true;
  for (const char* name : kWebhookKindNames) AddComboItemUtf8(IDC_NOTIFY_KIND, name);
  CPropertyPage::OnInitDialog();
  EnableItem(IDC_NOTIFY_TEST, sender_ != nullptr);
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
}

bool CPropertyNotify::OnCommand(int id, int code, HWND) {
  if (id == IDC_NOTIFY_TEST && code == BN_CLICKED) {
    OnTest();
    return true;
  }
  if (id == IDC_NOTIFY_TEMPLATE && code == BN_CLICKED) {
    OnTemplate();
    return true;
  }
  if ((id == IDC_NOTIFY_URL && code == EN_CHANGE) || (id == IDC_NOTIFY_KIND && code == CBN_SELCHANGE)) {
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

void CPropertyNotify::OnTemplate() {
  CNotifyTemplateDlg dlg(prompt_);
  dlg.m_subject = m_settings.webhook_subject;
  dlg.m_body = m_settings.webhook_body;
  if (dlg.DoModal(GetHwnd()) != IDOK) return;
  if (dlg.m_subject == m_settings.webhook_subject && dlg.m_body == m_settings.webhook_body) return;
  m_settings.webhook_subject = dlg.m_subject;
  m_settings.webhook_body = dlg.m_body;
  SetModified();
}

void CPropertyNotify::OnTest() {
  if (!sender_) return;
  // The page's values as they stand, without taking them yet.
  const NotifySettings kept = m_settings;
  if (!UpdateData(true)) return;
  NotifySettings trial = m_settings;
  m_settings = kept;
  if (trial.webhook_url.empty()) {
    SetItemTextUtf8(IDC_NOTIFY_TEST_RESULT, "URLを入力してください。");
    return;
  }
  NotifyFacts facts = SampleNotifyFacts();
  facts.event = NotifyEvent::kTest;
  WebhookJob job = MakeWebhookJob(trial, facts);
  HWND self = GetHwnd();
  job.done = [self](const PostOutcome& outcome) {
    auto* copy = new PostOutcome(outcome);
    if (!PostMessageW(self, kTestedMessage, 0, reinterpret_cast<LPARAM>(copy))) delete copy;
  };
  SetItemTextUtf8(IDC_NOTIFY_TEST_RESULT, "送信中…");
  sender_->Enqueue(std::move(job));
}

LRESULT CPropertyNotify::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kTestedMessage) {
    std::unique_ptr<PostOutcome> outcome(reinterpret_cast<PostOutcome*>(lp));
    if (outcome) SetItemTextUtf8(IDC_NOTIFY_TEST_RESULT, TestOutcomeText(*outcome));
    return TRUE;
  }
  return CPropertyPage::WindowProc(msg, wp, lp);
}

bool CPropertyNotify::OnApply() {
  if (!UpdateData(true)) return false;
  m_applied = true;
  SetModified(false);
  return CPropertyPage::OnApply();
}
