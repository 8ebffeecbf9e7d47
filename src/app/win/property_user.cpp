#include "app/win/property_user.h"

#include <string>

#include "app/win/settings_resource.h"
#include "platform/prompt.h"
#include "platform/win32/text_win.h"
#include "schedule/app_settings.h"

const wchar_t CPropertyUser::kHelpCaption[] = L"ユーザ設定画面のヘルプ";
const wchar_t CPropertyUser::kHelpText[] =
    L"【ユーザ設定が無効の時】\n・各スケジュール終了時の動作\n　最後以外：休止モード\n"
    L"　最後　　：シャットダウン\n・スケジュール/EPG\n　最大登録数：10\n"
    L"　EPG予約時刻を起動時刻に設定\n【ユーザ設定が有効の時】\n　ユーザ設定が有効となる。\n";

namespace {

// What the user switch enables; the switch itself and the help stay enabled.
constexpr int kUserControls[] = {
    IDC_USER_ACTION_GROUP, IDC_USER_OTHERS_GROUP, IDC_USER_LAST_GROUP, IDC_USER_LIST_GROUP,
    IDC_USER_CAPACITY_LABEL, IDC_USER_LEAD_LABEL, IDC_USER_LEAD_UNIT, IDC_USER_LEAD_TAIL,
    IDC_USER_DEFAULTS, IDC_USER_CAPACITY, IDC_USER_LEAD, IDC_USER_HIBERNATE, IDC_USER_STANDBY,
    IDC_USER_LAST_SHUTDOWN, IDC_USER_LAST_SAME, IDC_USER_SMENU_FHOCK};

template <size_t N>
void FillList(HWND combo, const std::array<int32_t, N>& values) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (int32_t v : values) {
    const std::wstring text = std::to_wstring(v);
    // Inserted at the end, so that the list keeps the table's order
    // whatever the box's sorted style says.
    SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  }
}

int Selection(HWND combo) {
  const LRESULT sel = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  return sel == CB_ERR ? -1 : static_cast<int>(sel);
}

}  // namespace

CPropertyUser::CPropertyUser(IPrompt& prompt) : CPropertyPage(IDD_PROPERTY_USER), prompt_(prompt) {}

BOOL CPropertyUser::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  FillLists();
  if (info_) values_ = InitialUserPageValues(*info_);
  ShowValues();
  EnableUserControls(values_.m_user_enable != 0);
  return TRUE;
}

void CPropertyUser::FillLists() {
  FillList(GetItem(IDC_USER_CAPACITY), kCapacityValues);
  FillList(GetItem(IDC_USER_LEAD), kLeadValues);
}

void CPropertyUser::ShowValues() {
  // The settings file may hold any non-zero number for a switch that is on.
  HWND dlg = GetHwnd();
  CheckDlgButton(dlg, IDC_USER_ENABLE, values_.m_user_enable != 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dlg, IDC_USER_SMENU_FHOCK, values_.m_smenu_fhock != 0 ? BST_CHECKED : BST_UNCHECKED);
  const bool hibernate = values_.m_sleep_flag == 1;
  CheckDlgButton(dlg, IDC_USER_HIBERNATE, hibernate ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dlg, IDC_USER_STANDBY, hibernate ? BST_UNCHECKED : BST_CHECKED);
  const bool shutdown = values_.m_finish_act == 1;
  CheckDlgButton(dlg, IDC_USER_LAST_SHUTDOWN, shutdown ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dlg, IDC_USER_LAST_SAME, shutdown ? BST_UNCHECKED : BST_CHECKED);
  SendMessageW(GetItem(IDC_USER_CAPACITY), CB_SETCURSEL, values_.m_item_num_idx, 0);
  SendMessageW(GetItem(IDC_USER_LEAD), CB_SETCURSEL, values_.m_epg_offset_idx, 0);
}

void CPropertyUser::EnableUserControls(bool on) {
  for (int id : kUserControls) EnableWindow(GetItem(id), on ? TRUE : FALSE);
}

void CPropertyUser::OnDefaults() {
  if (info_) LoadDefaults(values_, *info_);
  ShowValues();
  SetModified();
}

bool CPropertyUser::OnCommand(int id, int code, HWND) {
  HWND dlg = GetHwnd();
  if (code == BN_CLICKED) {
    switch (id) {
      case IDC_USER_ENABLE:
        values_.m_user_enable = IsDlgButtonChecked(dlg, id) == BST_CHECKED ? 1 : 0;
        EnableUserControls(values_.m_user_enable != 0);
        return true;
      case IDC_USER_SMENU_FHOCK:
        values_.m_smenu_fhock = IsDlgButtonChecked(dlg, id) == BST_CHECKED ? 1 : 0;
        return true;
      case IDC_USER_HIBERNATE:
      case IDC_USER_STANDBY:
      case IDC_USER_LAST_SHUTDOWN:
      case IDC_USER_LAST_SAME:
        SetModified();
        return true;
      case IDC_USER_DEFAULTS:
        OnDefaults();
        return true;
      case IDC_USER_HELP:
        prompt_.Show(WideToUtf8(kHelpText), WideToUtf8(kHelpCaption), PromptButtons::Ok);
        return true;
      default:
        return false;
    }
  }
  if (code == CBN_SELCHANGE && (id == IDC_USER_CAPACITY || id == IDC_USER_LEAD)) {
    SetModified();
    return true;
  }
  return false;
}

bool CPropertyUser::OnApply() {
  HWND sheet = GetSheetHwnd();
  if (HWND owner = sheet ? GetWindow(sheet, GW_OWNER) : nullptr) InvalidateRect(owner, nullptr, TRUE);
  HWND dlg = GetHwnd();
  UserPageControls controls;
  controls.standby = IsDlgButtonChecked(dlg, IDC_USER_STANDBY) == BST_CHECKED;
  controls.sameAsOthers = IsDlgButtonChecked(dlg, IDC_USER_LAST_SAME) == BST_CHECKED;
  controls.capacitySelection = Selection(GetItem(IDC_USER_CAPACITY));
  controls.leadSelection = Selection(GetItem(IDC_USER_LEAD));
  if (info_) ApplyUserPage(values_, controls, *info_);
  SetModified(false);
  return CPropertyPage::OnApply();
}
