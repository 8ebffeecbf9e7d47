#include "app/win/property_user.h"

#include <string>

#include "app/program_options.h"
#include "app/win/settings_resource.h"
#include "framework/data_exchange.h"
#include "platform/app_title.h"
#include "platform/prompt.h"
#include "platform/startup_entries.h"
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
    IDC_USER_LAST_SHUTDOWN, IDC_USER_LAST_SAME, IDC_USER_SMENU_FHOCK,
    IDC_USER_WAKE_LEAD_LABEL, IDC_USER_WAKE_LEAD, IDC_USER_WAKE_LEAD_UNIT,
    IDC_USER_STAY_GAP_LABEL, IDC_USER_STAY_GAP, IDC_USER_STAY_GAP_UNIT};

template <typename Values>
void FillList(HWND combo, const Values& values) {
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
  FillSecondsLists();
  EnableItem(IDC_USER_START_WITH_WINDOWS, startup_ != nullptr);
  CPropertyPage::OnInitDialog();
  ShowStartup();
  EnableUserControls(values_.m_param.user_enable != 0);
  return TRUE;
}

void CPropertyUser::ShowStartup() {
  if (!startup_) return;
  // Ticked only for a value that starts this copy; another copy's is named.
  const StartupBoxState state = ReadStartupBox(startup_->Read(kStartupEntryName), programPath_);
  startWithWindows_ = state.ticked;
  CheckItem(IDC_USER_START_WITH_WINDOWS, startWithWindows_);
  const bool other = !state.otherProgram.empty();
  SetItemTextUtf8(IDC_USER_START_OTHER, other ? OtherStartupText() : "");
  SetItemTextUtf8(IDC_USER_START_OTHER_PATH, state.otherProgram);
  ShowWindow(GetItem(IDC_USER_START_OTHER), other ? SW_SHOWNA : SW_HIDE);
  ShowWindow(GetItem(IDC_USER_START_OTHER_PATH), other ? SW_SHOWNA : SW_HIDE);
}

void CPropertyUser::FillLists() {
  FillList(GetItem(IDC_USER_CAPACITY), kCapacityValues);
  FillList(GetItem(IDC_USER_LEAD), kLeadValues);
}

void CPropertyUser::FillSecondsLists() {
  wakeLeadChoices_ = SecondsChoices(kWakeLeadValues, values_.m_param.wakeup_lead_sec);
  stayGapChoices_ = SecondsChoices(kStayAwakeGapValues, values_.m_param.stay_awake_gap_sec);
  FillList(GetItem(IDC_USER_WAKE_LEAD), wakeLeadChoices_);
  FillList(GetItem(IDC_USER_STAY_GAP), stayGapChoices_);
}

namespace {

// The list position of seconds when loading; the seconds at the selection
// when saving (none without a selection).
void ExchangeSeconds(CDataExchange& dx, int id, const std::vector<int32_t>& choices,
                     int32_t shown, std::optional<int32_t>& picked) {
  int index = -1;
  for (size_t i = 0; i < choices.size(); ++i)
    if (choices[i] == shown) index = static_cast<int>(i);
  dx.ComboIndex(id, index);
  if (dx.IsSaving() && index >= 0 && static_cast<size_t>(index) < choices.size())
    picked = choices[static_cast<size_t>(index)];
}

}  // namespace

void CPropertyUser::DoDataExchange(CDataExchange& dx) {
  // The settings file may hold any non-zero number for a switch that is on.
  dx.Switch(IDC_USER_ENABLE, values_.m_param.user_enable);
  dx.Switch(IDC_USER_SMENU_FHOCK, values_.m_param.smenu_fhock);
  UserPageControls controls;
  int sleep = values_.m_param.sleep_flag == SleepMode::kHibernate ? 0 : 1;
  dx.Radio({IDC_USER_HIBERNATE, IDC_USER_STANDBY}, sleep);
  int last = values_.m_param.finish_act == 1 ? 0 : 1;
  dx.Radio({IDC_USER_LAST_SHUTDOWN, IDC_USER_LAST_SAME}, last);
  controls.capacitySelection = CapacityIndex(values_.m_param.item_num_max);
  dx.ComboIndex(IDC_USER_CAPACITY, controls.capacitySelection);
  controls.leadSelection = LeadIndex(values_.m_param.epg_offset);
  dx.ComboIndex(IDC_USER_LEAD, controls.leadSelection);
  ExchangeSeconds(dx, IDC_USER_WAKE_LEAD, wakeLeadChoices_, values_.m_param.wakeup_lead_sec,
                  controls.wakeupLeadSec);
  ExchangeSeconds(dx, IDC_USER_STAY_GAP, stayGapChoices_, values_.m_param.stay_awake_gap_sec,
                  controls.stayAwakeGapSec);
  dx.Check(IDC_USER_START_WITH_WINDOWS, startWithWindows_);
  if (!dx.IsSaving()) return;
  controls.standby = sleep == 1;
  controls.sameAsOthers = last == 1;
  if (info_) ApplyUserPage(values_, controls, *info_);
}

void CPropertyUser::EnableUserControls(bool on) {
  for (int id : kUserControls) EnableItem(id, on);
}

void CPropertyUser::OnDefaults() {
  if (info_) LoadDefaults(values_);
  startWithWindows_ = IsItemChecked(IDC_USER_START_WITH_WINDOWS);  // not a user setting
  FillSecondsLists();
  UpdateData(false);
  SetModified();
}

bool CPropertyUser::OnCommand(int id, int code, HWND) {
  if (code == BN_CLICKED) {
    switch (id) {
      case IDC_USER_ENABLE:
        values_.m_param.user_enable = IsItemChecked(id) ? 1 : 0;
        EnableUserControls(values_.m_param.user_enable != 0);
        return true;
      case IDC_USER_SMENU_FHOCK:
        values_.m_param.smenu_fhock = IsItemChecked(id) ? 1 : 0;
        return true;
      case IDC_USER_HIBERNATE:
      case IDC_USER_STANDBY:
      case IDC_USER_LAST_SHUTDOWN:
      case IDC_USER_LAST_SAME:
      case IDC_USER_START_WITH_WINDOWS:
        SetModified();
        return true;
      case IDC_USER_DEFAULTS:
        OnDefaults();
        return true;
      case IDC_USER_HELP:
        prompt_.Show(WideToUtf8(kHelpText), WideToUtf8(kHelpCaption), PromptButtons::kOk);
        return true;
      default:
        return false;
    }
  }
  if (code == CBN_SELCHANGE && (id == IDC_USER_CAPACITY || id == IDC_USER_LEAD ||
                                id == IDC_USER_WAKE_LEAD || id == IDC_USER_STAY_GAP)) {
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
  if (startup_) {
    const std::string failure =
        ApplyStartupBox(*startup_, startWithWindows_, startupCommand_, programPath_);
    if (!failure.empty()) prompt_.Show(failure, kAppTitle, PromptButtons::kOk);
    // The box goes back to what the key really holds.
    ShowStartup();
  }
  SetModified(false);
  return CPropertyPage::OnApply();
}
