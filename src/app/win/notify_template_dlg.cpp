#include "app/win/notify_template_dlg.h"

#include "app/settings_pages.h"
#include "app/win/settings_resource.h"
#include "notify/notify_message.h"
#include "platform/app_title.h"
#include "platform/prompt.h"

namespace {

constexpr size_t kMaxSubjectBytes = 1023;
constexpr size_t kMaxBodyBytes = 4095;

}  // namespace

CNotifyTemplateDlg::CNotifyTemplateDlg(IPrompt& prompt)
    : CDialog(IDD_NOTIFY_TEMPLATE), prompt_(prompt) {}

BOOL CNotifyTemplateDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetItemTextUtf8(IDC_TEMPLATE_KEYS, NotifyKeysText());
  return TRUE;
}

void CNotifyTemplateDlg::DoDataExchange(CDataExchange& dx) {
  std::string subject = TemplateShown(m_subject, kDefaultNotifySubject);
  std::string body = TemplateShown(m_body, kDefaultNotifyBody);
  dx.RawText(IDC_TEMPLATE_SUBJECT, subject);
  dx.RawText(IDC_TEMPLATE_BODY, body);
  if (!dx.IsSaving()) return;
  const TemplateTaken takenSubject = TakeTemplate(subject, kDefaultNotifySubject, kMaxSubjectBytes);
  const TemplateTaken takenBody = TakeTemplate(body, kDefaultNotifyBody, kMaxBodyBytes);
  // What cannot be kept keeps the dialog open, the text as typed.
  if (!takenSubject.problem.empty() || !takenBody.problem.empty()) {
    const bool subjectBad = !takenSubject.problem.empty();
    prompt_.Show((subjectBad ? "件名: " + takenSubject.problem : "本文: " + takenBody.problem),
                 kAppTitle, PromptButtons::kOk);
    dx.Refuse(subjectBad ? IDC_TEMPLATE_SUBJECT : IDC_TEMPLATE_BODY);
    return;
  }
  m_subject = takenSubject.stored;
  m_body = takenBody.stored;
}

bool CNotifyTemplateDlg::OnCommand(int id, int code, HWND) {
  if (id != IDC_TEMPLATE_DEFAULT || code != BN_CLICKED) return false;
  SetItemTextUtf8(IDC_TEMPLATE_SUBJECT, TemplateShown("", kDefaultNotifySubject));
  SetItemTextUtf8(IDC_TEMPLATE_BODY, TemplateShown("", kDefaultNotifyBody));
  return true;
}
