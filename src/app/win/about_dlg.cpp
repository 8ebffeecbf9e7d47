#include "app/win/about_dlg.h"

#include "app/win/resource.h"
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
  SetItemText(IDC_ABOUT_VERSION, GetItemText(IDC_ABOUT_VERSION) + LoadResourceString(IDS_VERSION));
  SetItemText(IDC_ABOUT_RIGHTS, GetItemText(IDC_ABOUT_RIGHTS) + LoadResourceString(IDS_RIGHTS));
  if (hasPluginVersion_) SetItemText(IDC_ABOUT_PLUGIN, SjisToWide(pluginVersion_));
  return TRUE;
}
