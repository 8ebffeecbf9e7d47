#pragma once
// The about box (template 100): program version, rights line and the
// plug-in's version text.
#include <string>

#include "framework/dialog.h"

class CAboutDlg : public CDialog {
 public:
  // pluginVersion: the plug-in's text (Shift-JIS), or nullptr.
  CAboutDlg(HWND parent, const char* pluginVersion);
  INT_PTR DoModal() { return CDialog::DoModal(parent_); }

 protected:
  BOOL OnInitDialog() override;

 private:
  HWND parent_;
  std::string pluginVersion_;
  bool hasPluginVersion_;
};
