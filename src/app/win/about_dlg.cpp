#include "app/win/about_dlg.h"

#include "app/win/resource.h"
#include "framework/data_exchange.h"
#include "framework/message_box.h"
#include "platform/win32/text_win.h"

CAboutDlg::CAboutDlg(HWND parent, const char* pluginVersion)
    : CDialog(IDD_ABOUTBOX),
      parent_(parent),
      pluginVersion_(pluginVersion ? pluginVersion : ""),
      hasPluginVersion_(pluginVersion != nullptr) {}

BOOL CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // The resource texts are the beginnings; the string table adds the rest.
  HWND version = GetItem(IDC_ABOUT_VERSION);
  SetWindowTextW(version, (GetWindowTextWide(version) + LoadResourceString(IDS_VERSION)).c_str());
  HWND rights = GetItem(IDC_ABOUT_RIGHTS);
  SetWindowTextW(rights, (GetWindowTextWide(rights) + LoadResourceString(IDS_RIGHTS)).c_str());
  if (hasPluginVersion_) {
    SetWindowTextW(GetItem(IDC_ABOUT_PLUGIN), AnsiToWide(pluginVersion_).c_str());
  }
  return TRUE;
}
