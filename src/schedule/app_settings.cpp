#include "schedule/app_settings.h"

#include <cstdint>
#include <cstring>

#include "platform/profile_store.h"

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
// Bit i of sel_ext is extension i; ".tvpid" came last, so that a stored
// value keeps its meaning.
constexpr const char* kExtensions[] = {".tvvi", ".tvpi", ".php3", ".epg", ".tvpid"};

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

// The user settings' keys, listed once for load, defaults and save, in the
// order they are written. A switch reads any non-zero number as 1.
struct UserParamKey {
  const char* key;
  int32_t CUserSetParam::*field;
  int32_t defaultValue;
  bool isSwitch;
  // A hand-edited value outside the range is brought inside, not refused.
  int32_t low = INT32_MIN;
  int32_t high = INT32_MAX;
};
constexpr UserParamKey kUserParamKeys[] = {
    {"item_num_max", &CUserSetParam::item_num_max, 10, false},
    {"sleep_flag", &CUserSetParam::sleep_flag, 1, true},
    {"finish_act", &CUserSetParam::finish_act, 1, true},
    {"epg_offset", &CUserSetParam::epg_offset, 0, false},
    {"smenu_fhock", &CUserSetParam::smenu_fhock, 0, false},
    // Files of earlier versions have neither key: the defaults apply.
    {"wakeup_lead_sec", &CUserSetParam::wakeup_lead_sec, 60, false, 0, 3600},
    {"stay_awake_gap_sec", &CUserSetParam::stay_awake_gap_sec, 300, false, 0, 86400},
};

}  // namespace

void CAppMngInfo::LoadUserParam(const ProfileStore& store, CUserSetParam& param) const {
  for (const UserParamKey& k : kUserParamKeys) {
    const int32_t v = store.GetInt(kSection, k.key, k.defaultValue);
    param.*k.field = k.isSwitch ? (v != 0 ? 1 : 0) : v < k.low ? k.low : v > k.high ? k.high : v;
  }
}

void CAppMngInfo::SetDefaultUserParam(CUserSetParam& param) const {
  for (const UserParamKey& k : kUserParamKeys) param.*k.field = k.defaultValue;
}

void CAppMngInfo::SaveUserParam(ProfileStore& store, const CUserSetParam& param) const {
  for (const UserParamKey& k : kUserParamKeys) store.SetInt(kSection, k.key, param.*k.field);
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
int GetExtCount() { return static_cast<int>(sizeof kExtensions / sizeof kExtensions[0]); }
const char* GetExtName(int index) { return (index >= 0 && index < GetExtCount()) ? kExtensions[index] : nullptr; }
