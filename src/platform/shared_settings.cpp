#include "platform/shared_settings.h"

#include "platform/profile_store.h"

namespace {

const SettingsField<LogSettings> kLogFields[] = {
    ReadOnly(NumberField("debug_flag", &LogSettings::debug_flag, 0)),
};

// The settings were read into 256-byte buffers: at most 255 bytes come back.
constexpr size_t kMaxMailTextBytes = 255;

using M = SMailSettings;
const SettingsField<M> kSMailFields[] = {
    SwitchField("m_sm_enable_check", &M::m_sm_enable_check, 0),
    CutTextField("m_sm_server", &M::m_sm_server, kMaxMailTextBytes),
    CutTextField("m_sm_path", &M::m_sm_path, kMaxMailTextBytes),
    CutTextField("m_sm_src_addr", &M::m_sm_src_addr, kMaxMailTextBytes),
    CutTextField("m_sm_dst_addr", &M::m_sm_dst_addr, kMaxMailTextBytes),
    CutTextField("m_sm_title", &M::m_sm_title, kMaxMailTextBytes),
    SwitchField("m_sm_temp_check", &M::m_sm_temp_check, 0),
    SwitchField("m_sm_info_check", &M::m_sm_info_check, 0),
    CutTextField("m_sm_temp_path", &M::m_sm_temp_path, kMaxMailTextBytes),
};

}  // namespace

const SettingsTable<LogSettings>& LogSettingsFields() {
  static const SettingsTable<LogSettings> table = MakeSettingsTable(kAppSection, kLogFields);
  return table;
}

unsigned LoadDebugLevel(const ProfileStore& store) {
  LogSettings s;
  LoadFields(store, LogSettingsFields(), s);
  return static_cast<unsigned>(s.debug_flag);
}

const SettingsTable<SMailSettings>& SMailSettingsFields() {
  static const SettingsTable<SMailSettings> table = MakeSettingsTable(kSMailSection, kSMailFields);
  return table;
}

bool SMailSettings::operator==(const SMailSettings& o) const {
  return SameFields(SMailSettingsFields(), *this, o);
}

SMailSettings LoadSMailSettings(const ProfileStore& store) {
  SMailSettings s;
  LoadFields(store, SMailSettingsFields(), s);
  return s;
}

void SaveSMailSettings(ProfileStore& store, const SMailSettings& s) {
  SaveFields(store, SMailSettingsFields(), s);
}
