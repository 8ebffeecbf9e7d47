#pragma once
// The settings sheet's 通知 page (dialog 139): the tray balloon's switches,
// the webhook's address, kind, events and templates, the mail's account and
// events, and a test send for each. The frame fills m_settings (and what a
// mail needs) before the sheet shows and takes m_settings after OK or apply.
#include <string>

#include "framework/property_sheet.h"
#include "schedule/settings_file.h"

class CNotifySender;
class IPrompt;
struct MailTools;
struct PostOutcome;

class CPropertyNotify : public CPropertyPage {
 public:
  // sender: where the test button sends (none: the button is disabled).
  CPropertyNotify(IPrompt& prompt, CNotifySender* sender);

  NotifySettings m_settings;
  // True once an apply took the page's values into m_settings.
  bool m_applied = false;
  // What seals a typed password and dates a test mail (none: no mail).
  MailTools* m_mailTools = nullptr;
  // False where this Windows has no curl.exe: the mail section says so.
  bool m_mailCanSend = true;

  // A test send's outcome arrives (from the sender's worker) as this
  // message, with a PostOutcome* in lParam that the page deletes; wParam is
  // the control that shows it.
  static constexpr UINT kTestedMessage = WM_APP + 39;

 protected:
  void DoDataExchange(CDataExchange& dx) override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnApply() override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // The test buttons: a sample sent at once with the page's values as they
  // stand (TrialSettings: false when a value is refused), kept or not.
  void OnTest();
  void OnMailTest();
  bool TrialSettings(NotifySettings& trial);
  // The subject and body templates of one channel (the webhook's or the
  // mail's), in the editor; what it keeps goes into m_settings at once and
  // is taken with the page's other values.
  void OnTemplate(std::string& subject, std::string& body);
  // Sends job from the sender's worker; its outcome comes back to resultId.
  template <class Job>
  void SendTest(Job job, int resultId);

  IPrompt& prompt_;
  CNotifySender* sender_;
  bool initialising_ = false;
};
