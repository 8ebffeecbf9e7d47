#pragma once
// The editor of a channel's subject and body templates (template 147, from
// the 通知 page's 件名と本文 button), with the keys they can hold and what
// each stands for. The caller sets the stored templates and reads them back
// after OK.
#include <string>

#include "framework/dialog.h"

class IPrompt;

class CNotifyTemplateDlg : public CDialog {
 public:
  explicit CNotifyTemplateDlg(IPrompt& prompt);

  // As the settings keep them (Shift-JIS, "" for the built-in ones).
  std::string m_subject;
  std::string m_body;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange& dx) override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  IPrompt& prompt_;
};
