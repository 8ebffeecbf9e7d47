#include "plugin/win/property_smail.h"

#include <optional>
#include <string>

#include "framework/data_exchange.h"
#include "framework/file_dialog.h"
#include "framework/message_box.h"
#include "platform/win32/text_win.h"
#include "plugin/smail_page.h"
#include "plugin/win/smail_resource.h"

namespace {

// The settings file holds at most this many bytes per text.
constexpr size_t kTextBytes = 255;

// A path from a file dialog in Shift-JIS, as the settings file keeps it;
// none when cancelled, or when Shift-JIS cannot hold it (then said so).
std::optional<std::string> Browse(HWND owner, const wchar_t* ext, const wchar_t* filter) {
  std::optional<std::wstring> chosen = BrowseForFile(owner, ext, filter);
  if (!chosen) return std::nullopt;
  std::optional<std::string> sjis = WideToSjisExact(*chosen);
  if (!sjis) {
    AppMessageBox(owner,
                  std::wstring(L"選んだファイルのパスには、設定ファイル（Shift-JIS）に保存できない"
                               L"文字が含まれています。\nパスにこの文字を含まないファイルを"
                               L"選んでください。\n") +
                      *chosen,
                  MB_OK | MB_ICONEXCLAMATION);
  }
  return sjis;
}

}  // namespace

const wchar_t CPropertySMail::kTitle[] = L"SMAIL";

CPropertySMail::CPropertySMail(SMailPage& page, HINSTANCE module)
    : CPropertyPage(IDD_SMAIL_PAGE, module), page_(page) {}

void CPropertySMail::DoDataExchange(CDataExchange& dx) {
  SMailSettings& s = page_.Settings();
  dx.Check(IDC_SM_ENABLE_CHECK, s.m_sm_enable_check);
  dx.Text(IDC_SM_SERVER, s.m_sm_server, kTextBytes, TextCoding::kSjisExact);
  dx.Text(IDC_SM_PATH, s.m_sm_path, kTextBytes, TextCoding::kSjisExact);
  dx.Text(IDC_SM_SRC_ADDR, s.m_sm_src_addr, kTextBytes, TextCoding::kSjisExact);
  dx.Text(IDC_SM_DST_ADDR, s.m_sm_dst_addr, kTextBytes, TextCoding::kSjisExact);
  dx.Text(IDC_SM_TITLE, s.m_sm_title, kTextBytes, TextCoding::kSjis);
  dx.Check(IDC_SM_TEMP_CHECK, s.m_sm_temp_check);
  dx.Check(IDC_SM_INFO_CHECK, s.m_sm_info_check);
  dx.Text(IDC_SM_TEMP_PATH, s.m_sm_temp_path, kTextBytes, TextCoding::kSjisExact);
}

BOOL CPropertySMail::OnInitDialog() {
  initialising_ = true;
  CPropertyPage::OnInitDialog();
  const SMailSettings& s = page_.Settings();
  EnableControls(s.m_sm_enable_check != 0, s.m_sm_temp_check != 0);
  initialising_ = false;
  return TRUE;
}

void CPropertySMail::EnableControls(bool mailOn, bool templateOn) {
  static const int kTemplateGroup[] = {IDC_SM_TEMP_PATH,  IDC_SM_TEMP_BROWSE,     IDC_SM_TEMP_EDIT,
                                       IDC_SM_TEMP_GROUP, IDC_SM_TEMP_PATH_LABEL, IDC_SM_EXPLAIN};
  static const int kMailControls[] = {
      IDC_SM_SERVER,       IDC_SM_PATH,        IDC_SM_PATH_BROWSE, IDC_SM_SRC_ADDR,
      IDC_SM_DST_ADDR,     IDC_SM_TITLE,       IDC_SM_TEST_SEND,   IDC_SM_MAIL_GROUP,
      IDC_SM_SERVER_LABEL, IDC_SM_PATH_LABEL,  IDC_SM_SRC_LABEL,   IDC_SM_SRC_EXAMPLE,
      IDC_SM_DST_LABEL,    IDC_SM_DST_EXAMPLE, IDC_SM_TITLE_LABEL, IDC_SM_TEMP_CHECK,
      IDC_SM_INFO_CHECK,   IDC_SM_PREVIEW};
  const SMailEnabling on = SMailControlsEnabled(mailOn, templateOn);
  for (int id : kTemplateGroup) EnableItem(id, on.templateGroup);
  for (int id : kMailControls) EnableItem(id, on.mail);
}

bool CPropertySMail::TakeControls() { return UpdateData(true); }

bool CPropertySMail::OnCommand(int id, int code, HWND) {
  SMailSettings& s = page_.Settings();
  if (code == EN_CHANGE) {
    if (id == IDC_SM_PATH || id == IDC_SM_DST_ADDR || id == IDC_SM_SRC_ADDR || id == IDC_SM_TITLE) {
      if (!initialising_) SetModified();
      return true;
    }
    return false;
  }
  if (code != BN_CLICKED) return false;
  switch (id) {
    // A click flips the switch: the setting and its box follow each other.
    case IDC_SM_ENABLE_CHECK:
      s.m_sm_enable_check = s.m_sm_enable_check ? 0 : 1;
      CheckItem(id, s.m_sm_enable_check != 0);
      EnableControls(s.m_sm_enable_check != 0, IsItemChecked(IDC_SM_TEMP_CHECK));
      return true;
    case IDC_SM_TEMP_CHECK:
      s.m_sm_temp_check = s.m_sm_temp_check ? 0 : 1;
      CheckItem(id, s.m_sm_temp_check != 0);
      EnableControls(IsItemChecked(IDC_SM_ENABLE_CHECK), s.m_sm_temp_check != 0);
      return true;
    case IDC_SM_INFO_CHECK:
      s.m_sm_info_check = s.m_sm_info_check ? 0 : 1;
      CheckItem(id, s.m_sm_info_check != 0);
      return true;
    case IDC_SM_PATH_BROWSE:
      BrowseMailer();
      return true;
    case IDC_SM_TEMP_BROWSE:
      BrowseTemplate();
      return true;
    // The buttons act on what the page shows, not on what it showed when it
    // was last left.
    case IDC_SM_TEMP_EDIT:
      if (TakeControls()) page_.EditTemplate();
      return true;
    case IDC_SM_PREVIEW:
      if (TakeControls()) page_.Preview();
      return true;
    case IDC_SM_TEST_SEND:
      if (TakeControls()) page_.SendTestMail();
      return true;
    case IDC_SM_EXPLAIN:
      if (TakeControls()) page_.ExplainTemplate();
      return true;
    default:
      return false;
  }
}

void CPropertySMail::BrowseMailer() {
  const std::optional<std::string> path =
      Browse(GetHwnd(), L"*.exe", L"exeﾌｧｲﾙ(*.exe)|*.exe||");
  if (!path) return;
  if (page_.AcceptMailerPath(*path)) {
    // The edit's change notification marks the page modified.
    SetItemText(IDC_SM_PATH, SjisToWide(*path));
  }
}

void CPropertySMail::BrowseTemplate() {
  const std::optional<std::string> path =
      Browse(GetHwnd(), L"*.*", L"templateﾌｧｲﾙ(*.*)|*.*||");
  if (!path) return;
  if (page_.AcceptTemplatePath(*path)) {
    SetItemText(IDC_SM_TEMP_PATH, SjisToWide(*path));
  }
}

bool CPropertySMail::OnApply() {
  if (!TakeControls()) return false;
  SetModified(false);
  if (!page_.Save()) {
    AppMessageBox(GetHwnd(), std::wstring(L"メールの設定を設定ファイルに保存できませんでした。"),
                  MB_OK | MB_ICONEXCLAMATION);
  }
  return CPropertyPage::OnApply();
}

void CPropertySMail::OnReset() {
  // Cancel: what was edited since the last apply is dropped, so that the
  // mail at a schedule's end goes out with the stored settings.
  page_.Load();
}
