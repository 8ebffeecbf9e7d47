#pragma once
// The settings sheet's 通知 page (dialog 139): the tray balloon's switches,
// the webhook's address, kind, events and templates, and a test send. The frame fills
// m_settings before the sheet shows and takes it after OK or apply.
#include <string>

#include "framework/property_sheet.h"
#include "schedule/settings_file.h"

class CNotifySender;
class IPrompt;
struct PostOutcome;

class CPropertyNotify : public CPropertyPage {
 public:
  // sender: where the test button sends (none: the button is disabled).
  CPropertyNotify(IPrompt& prompt, CNotifySender* sender);

  NotifySettings m_settings;
  // True once an apply took the page's values into m_settings.
  bool m_applied = false;

  // A test send's outcome arrives (from the sender's worker) as this
  // message, with a PostOutcome* in lParam that the page deletes.
  static constexpr UINT kTestedMessage = WM_APP + 39;

 protected:
  void DoDataExchange(CDataExchange& dx) override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnApply() override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OnTest();
  // The subject and body templates' editor; what it keeps goes into
  // m_settings at once and is taken with the page's other values.
  void OnTemplate();

  IPrompt& prompt_;
  CNotifySender* sender_;
  bool initialising_ = false;
};
