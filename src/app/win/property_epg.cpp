#include "app/win/property_epg.h"

#include <array>

#include "app/settings_pages.h"
#include "app/win/settings_resource.h"
#include "framework/data_exchange.h"
#include "framework/file_dialog.h"
#include "platform/win32/text_win.h"
#include "schedule/app_settings.h"

namespace {

// Radio button of site i, check box of extension bit i.
constexpr std::array<int, kSiteChoices> kSiteButtons = {IDC_EPG_SITE_0, IDC_EPG_SITE_1,
                                                        IDC_EPG_SITE_2};
constexpr std::array<int, kExtensionChoices> kExtButtons = {IDC_EPG_EXT_0, IDC_EPG_EXT_1,
                                                            IDC_EPG_EXT_2, IDC_EPG_EXT_3};

bool IsChecked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }

}  // namespace

CPropertyEPG::CPropertyEPG(IPrompt& prompt) : CPropertyPage(IDD_PROPERTY_EPG), prompt_(prompt) {}

int CPropertyEPG::GetSiteCount() { return ::GetSiteCount(); }
const char* CPropertyEPG::GetSiteUrl(int index) { return ::GetSiteUrl(index); }
int CPropertyEPG::GetExtCount() { return ::GetExtCount(); }
const char* CPropertyEPG::GetExtName(int index) { return ::GetExtName(index); }

BOOL CPropertyEPG::OnInitDialog() {
  initialising_ = true;
  CPropertyPage::OnInitDialog();
  HWND dlg = GetHwnd();
  SetDlgItemTextW(dlg, IDC_EPG_APP_PATH, AnsiToWide(m_tv_app_path).c_str());
  const int site = ShownSite(m_tv_id);
  for (int i = 0; i < kSiteChoices; ++i) {
    CheckDlgButton(dlg, kSiteButtons[static_cast<size_t>(i)], i == site ? BST_CHECKED : BST_UNCHECKED);
  }
  for (int i = 0; i < kExtensionChoices; ++i) {
    CheckDlgButton(dlg, kExtButtons[static_cast<size_t>(i)],
                   (m_sel_ext >> i) & 1 ? BST_CHECKED : BST_UNCHECKED);
  }
  initialising_ = false;
  return TRUE;
}

bool CPropertyEPG::OnCommand(int id, int code, HWND) {
  if (id == IDC_EPG_APP_BROWSE && code == BN_CLICKED) {
    OnBrowse();
    return true;
  }
  if (id == IDC_EPG_APP_PATH && code == EN_CHANGE) {
    // Typing is an edit like any other; the path is taken at apply.
    if (!initialising_) SetModified();
    return true;
  }
  if (code == BN_CLICKED) {
    for (int b : kSiteButtons) {
      if (b == id) SetModified();
    }
    for (int b : kExtButtons) {
      if (b == id) SetModified();
    }
  }
  return false;
}

void CPropertyEPG::OnBrowse() {
  std::optional<std::string> chosen;
  if (auto path = BrowseForFile(GetHwnd(), L"*.exe", L"exeﾌｧｲﾙ(*.exe)|*.exe||")) {
    chosen = WideToAnsi(*path);
  }
  if (TakeBrowsedTvAppPath(prompt_, chosen, &m_tv_app_path) == BrowseOutcome::Taken) {
    SetDlgItemTextW(GetHwnd(), IDC_EPG_APP_PATH, AnsiToWide(m_tv_app_path).c_str());
  }
  SetModified();
}

bool CPropertyEPG::TakeTypedPath() {
  HWND box = GetItem(IDC_EPG_APP_PATH);
  if (!box) return true;
  if (TakeTvAppPath(prompt_, WideToAnsi(GetWindowTextWide(box)), &m_tv_app_path)) return true;
  SetFocus(box);
  SendMessageW(box, EM_SETSEL, 0, -1);
  return false;
}

bool CPropertyEPG::OnKillActive() { return TakeTypedPath(); }

bool CPropertyEPG::OnApply() {
  if (!TakeTypedPath()) return false;
  HWND sheet = GetSheetHwnd();
  if (HWND owner = sheet ? GetWindow(sheet, GW_OWNER) : nullptr) InvalidateRect(owner, nullptr, TRUE);
  SetModified(false);
  HWND dlg = GetHwnd();
  std::array<bool, kSiteChoices> sites{};
  for (size_t i = 0; i < sites.size(); ++i) sites[i] = IsChecked(dlg, kSiteButtons[i]);
  m_tv_id = SiteFromChecks(sites, m_tv_id);
  std::array<bool, kExtensionChoices> exts{};
  for (size_t i = 0; i < exts.size(); ++i) exts[i] = IsChecked(dlg, kExtButtons[i]);
  m_sel_ext = ExtensionsFromChecks(exts);
  return CPropertyPage::OnApply();
}
