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
constexpr std::array<int, kExtensionChoices> kExtButtons = {
    IDC_EPG_EXT_0, IDC_EPG_EXT_1, IDC_EPG_EXT_2, IDC_EPG_EXT_3, IDC_EPG_EXT_4};

}  // namespace

CPropertyEPG::CPropertyEPG(IPrompt& prompt) : CPropertyPage(IDD_PROPERTY_EPG), prompt_(prompt) {}

int CPropertyEPG::GetSiteCount() { return ::GetSiteCount(); }
const char* CPropertyEPG::GetSiteUrl(int index) { return ::GetSiteUrl(index); }
int CPropertyEPG::GetExtCount() { return ::GetExtCount(); }
const char* CPropertyEPG::GetExtName(int index) { return ::GetExtName(index); }

BOOL CPropertyEPG::OnInitDialog() {
  initialising_ = true;
  CPropertyPage::OnInitDialog();
  initialising_ = false;
  return TRUE;
}

void CPropertyEPG::DoDataExchange(CDataExchange& dx) {
  // The path is checked first: a path that does not fit keeps the page.
  std::string path = m_tv_app_path;
  dx.RawText(IDC_EPG_APP_PATH, path);
  if (dx.IsSaving() && !TakeTvAppPath(prompt_, path, &m_tv_app_path)) {
    dx.Refuse(IDC_EPG_APP_PATH);
    return;
  }
  int site = ShownSite(m_tv_id);
  dx.Radio({IDC_EPG_SITE_0, IDC_EPG_SITE_1, IDC_EPG_SITE_2}, site);
  std::array<bool, kExtensionChoices> exts{};
  for (size_t i = 0; i < exts.size(); ++i) {
    exts[i] = ((m_sel_ext >> i) & 1) != 0;
    dx.Check(kExtButtons[i], exts[i]);
  }
  if (!dx.IsSaving()) return;
  std::array<bool, kSiteChoices> sites{};
  if (site >= 0 && site < kSiteChoices) sites[static_cast<size_t>(site)] = true;
  m_tv_id = SiteFromChecks(sites, m_tv_id);
  m_sel_ext = ExtensionsFromChecks(exts);
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
    chosen = WideToUtf8(*path);
  }
  if (TakeBrowsedTvAppPath(prompt_, chosen, &m_tv_app_path) == BrowseOutcome::kTaken) {
    SetItemText(IDC_EPG_APP_PATH, Utf8ToWide(m_tv_app_path));
  }
  SetModified();
}

bool CPropertyEPG::OnApply() {
  if (!UpdateData(true)) return false;
  HWND sheet = GetSheetHwnd();
  if (HWND owner = sheet ? GetWindow(sheet, GW_OWNER) : nullptr) InvalidateRect(owner, nullptr, TRUE);
  SetModified(false);
  return CPropertyPage::OnApply();
}
