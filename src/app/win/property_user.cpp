#include "app/win/property_user.h"

#include <string>

#include "app/win/settings_resource.h"
#include "framework/data_exchange.h"
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

}  // namespace

CPropertyUser::CPropertyUser(IPrompt& prompt) : CPropertyPage(IDD_PROPERTY_USER), prompt_(prompt) {}

BOOL CPropertyUser::OnInitDialog() {
  FillLists();
  if (info_) values_ = InitialUserPageValues(*info_);
  CPropertyPage::OnInitDialog();
  EnableUserControls(values_.m_user_enable != 0);
  return TRUE;
}

void CPropertyUser::FillLists() {
  FillList(GetItem(IDC_USER_CAPACITY), kCapacityValues);
  FillList(GetItem(IDC_USER_LEAD), kLeadValues);
}

void CPropertyUser::DoDataExchange(CDataExchange& dx) {
  // The settings file may hold any non-zero number for a switch that is on.
  dx.Switch(IDC_USER_ENABLE, values_.m_user_enable);
  dx.Switch(IDC_USER_SMENU_FHOCK, values_.m_smenu_fhock);
  UserPageControls controls;
  int sleep = values_.m_sleep_flag == 1 ? 0 : 1;
  dx.Radio({IDC_USER_HIBERNATE, IDC_USER_STANDBY}, sleep);
  int last = values_.m_finish_act == 1 ? 0 : 1;
  dx.Radio({IDC_USER_LAST_SHUTDOWN, IDC_USER_LAST_SAME}, last);
  controls.capacitySelection = values_.m_item_num_idx;
  dx.ComboIndex(IDC_USER_CAPACITY, controls.capacitySelection);
  controls.leadSelection = values_.m_epg_offset_idx;
  dx.ComboIndex(IDC_USER_LEAD, controls.leadSelection);
  if (!dx.IsSaving()) return;
  controls.standby = sleep == 1;
  controls.sameAsOthers = last == 1;
  if (info_) ApplyUserPage(values_, controls, *info_);
}

void CPropertyUser::EnableUserControls(bool on) {
  for (int id : kUserControls) EnableItem(id, on);
}

void CPropertyUser::OnDefaults() {
  if (info_) LoadDefaults(values_, *info_);
  UpdateData(false);
  SetModified();
}

bool CPropertyUser::OnCommand(int id, int code, HWND) {
  if (code == BN_CLICKED) {
    switch (id) {
      case IDC_USER_ENABLE:
        values_.m_user_enable = IsItemChecked(id) ? 1 : 0;
        EnableUserControls(values_.m_user_enable != 0);
        return true;
      case IDC_USER_SMENU_FHOCK:
        values_.m_smenu_fhock = IsItemChecked(id) ? 1 : 0;
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

bool CPropertyUser::OnKillActive() { return true; }

bool CPropertyUser::OnApply() {
  HWND sheet = GetSheetHwnd();
  if (HWND owner = sheet ? GetWindow(sheet, GW_OWNER) : nullptr) InvalidateRect(owner, nullptr, TRUE);
  UpdateData(true);
  SetModified(false);
  return CPropertyPage::OnApply();
}
