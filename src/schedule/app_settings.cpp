#include "schedule/app_settings.h"

#include <cstring>

#include "schedule/profile_store.h"

namespace {

bool SetFixedText(char (&dest)[kPathSize], const std::string& text) {
  if (text.size() >= kPathSize) return false;
  std::memcpy(dest, text.c_str(), text.size() + 1);
  return true;
}

struct Site {
  const char* name;
  const char* url;
};
constexpr Site kSites[] = {
    {"Yahoo!テレビ", "https://tv.yahoo.co.jp/listings"},
    {"インフォシークTV番組表", "https://tv.infoseek.co.jp/"},
    {"ONTV JAPAN", "https://www.ontvjapan.com/program/"},
};
constexpr const char* kExtensions[] = {".tvvi", ".tvpi", ".php3", ".epg"};

}  // namespace

void PreviousAssociationTable::RememberAssociation(const std::string& extension,
                                                   const std::string& progId) {
  for (const Slot& s : slots_)
    if (s.used && extension == s.extension) return;  // the older entry is kept
  for (Slot& s : slots_) {
    if (s.used) continue;
    if (!SetFixedText(s.extension, extension) || !SetFixedText(s.progId, progId)) {
      s = Slot{};
      return;
    }
    s.used = 1;
    return;
  }
}

const char* PreviousAssociationTable::LookupAssociation(const std::string& extension) const {
  for (const Slot& s : slots_)
    if (s.used && extension == s.extension) return s.progId;
  return nullptr;
}

namespace {

// A hand-edited value outside what makes sense is brought inside, not refused.
int32_t Clamp(int32_t v, int32_t low, int32_t high) { return v < low ? low : v > high ? high : v; }

}  // namespace

void CAppMngInfo::LoadUserParam(const ProfileStore& store, CUserSetParam& param) const {
  param.item_num_max = store.GetInt(kSection, "item_num_max", 10);
  param.epg_offset = store.GetInt(kSection, "epg_offset", 0);
  param.sleep_flag = store.GetInt(kSection, "sleep_flag", 1) != 0 ? 1 : 0;
  param.finish_act = store.GetInt(kSection, "finish_act", 1) != 0 ? 1 : 0;
  param.smenu_fhock = store.GetInt(kSection, "smenu_fhock", 0);
  // Files of earlier versions have neither key: the defaults apply.
  param.wakeup_lead_sec = Clamp(store.GetInt(kSection, "wakeup_lead_sec", 60), 0, 3600);
  param.stay_awake_gap_sec = Clamp(store.GetInt(kSection, "stay_awake_gap_sec", 300), 0, 86400);
}

void CAppMngInfo::SetDefaultUserParam(CUserSetParam& param) const {
  param.item_num_max = 10;
  param.sleep_flag = 1;
  param.finish_act = 1;
  param.epg_offset = 0;
  param.smenu_fhock = 0;
  param.wakeup_lead_sec = 60;
  param.stay_awake_gap_sec = 300;
}

void CAppMngInfo::SaveUserParam(ProfileStore& store, const CUserSetParam& param) const {
  store.SetInt(kSection, "item_num_max", param.item_num_max);
  store.SetInt(kSection, "sleep_flag", param.sleep_flag);
  store.SetInt(kSection, "finish_act", param.finish_act);
  store.SetInt(kSection, "epg_offset", param.epg_offset);
  store.SetInt(kSection, "smenu_fhock", param.smenu_fhock);
  store.SetInt(kSection, "wakeup_lead_sec", param.wakeup_lead_sec);
  store.SetInt(kSection, "stay_awake_gap_sec", param.stay_awake_gap_sec);
}

bool CAppMngInfo::SetTvAppPath(const std::string& path) { return SetFixedText(tv_app_path_, path); }
bool CAppMngInfo::SetProgPath(const std::string& path) { return SetFixedText(prog_path_, path); }
bool CAppMngInfo::SetWakeupTimerName(const std::string& name) {
  return SetFixedText(wakeup_timer_name_, name);
}

const char* CAppMngInfo::GetWakeupTimerName() const {
  return wakeup_timer_name_[0] ? wakeup_timer_name_ : nullptr;
}

void CAppMngInfo::SetPluginVersion(const char* text) {
  if (!text) return;
  pluginVersion_ = std::make_unique<std::string>(text);
}

int GetSiteCount() { return 3; }
const char* GetSiteName(int index) { return (index >= 0 && index < 3) ? kSites[index].name : nullptr; }
const char* GetSiteUrl(int index) { return (index >= 0 && index < 3) ? kSites[index].url : nullptr; }
int GetExtCount() { return 4; }
const char* GetExtName(int index) { return (index >= 0 && index < 4) ? kExtensions[index] : nullptr; }
