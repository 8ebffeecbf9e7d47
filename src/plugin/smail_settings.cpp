#include "plugin/smail_settings.h"

#include "boundary/nimbra_boundary.h"
#include "platform/profile_store.h"
#include "platform/text.h"

namespace {

// The settings were read into 256-byte buffers: at most 255 bytes come back.
constexpr size_t kMaxTextBytes = 255;

std::string ReadText(const ProfileStore& store, const char* key) {
  std::string v = store.GetString(kSMailSection, key, "");
  v.resize(SjisCutLength(v, kMaxTextBytes));
  return v;
}

int ReadFlag(const ProfileStore& store, const char* key) {
  return store.GetInt(kSMailSection, key, 0) != 0 ? 1 : 0;
}

// The nine keys, listed once for load and save, in the order they are
// written: each is a flag or a text.
struct SMailKey {
  const char* key;
  int SMailSettings::*flag;
  std::string SMailSettings::*text;
};
const SMailKey kSMailKeys[] = {
    {"m_sm_enable_check", &SMailSettings::m_sm_enable_check, nullptr},
    {"m_sm_server", nullptr, &SMailSettings::m_sm_server},
    {"m_sm_path", nullptr, &SMailSettings::m_sm_path},
    {"m_sm_src_addr", nullptr, &SMailSettings::m_sm_src_addr},
    {"m_sm_dst_addr", nullptr, &SMailSettings::m_sm_dst_addr},
    {"m_sm_title", nullptr, &SMailSettings::m_sm_title},
    {"m_sm_temp_check", &SMailSettings::m_sm_temp_check, nullptr},
    {"m_sm_info_check", &SMailSettings::m_sm_info_check, nullptr},
    {"m_sm_temp_path", nullptr, &SMailSettings::m_sm_temp_path},
};

}  // namespace

bool SMailSettings::operator==(const SMailSettings& o) const {
  return m_sm_enable_check == o.m_sm_enable_check && m_sm_server == o.m_sm_server &&
         m_sm_path == o.m_sm_path && m_sm_src_addr == o.m_sm_src_addr &&
         m_sm_dst_addr == o.m_sm_dst_addr && m_sm_title == o.m_sm_title &&
         m_sm_temp_check == o.m_sm_temp_check && m_sm_info_check == o.m_sm_info_check &&
         m_sm_temp_path == o.m_sm_temp_path;
}

SMailSettings LoadSMailSettings(const ProfileStore& store) {
  SMailSettings s;
  for (const SMailKey& k : kSMailKeys) {
    if (k.flag)
      s.*k.flag = ReadFlag(store, k.key);
    else
      s.*k.text = ReadText(store, k.key);
  }
  return s;
}

void SaveSMailSettings(ProfileStore& store, const SMailSettings& s) {
  for (const SMailKey& k : kSMailKeys) {
    if (k.flag)
      store.SetInt(kSMailSection, k.key, s.*k.flag);
    else
      store.SetString(kSMailSection, k.key, s.*k.text);
  }
}

int32_t MailFlagsFor(const SMailSettings& s) {
  int32_t flags = s.m_sm_temp_check ? kMailFlagTemplate : kMailFlagAlways;
  if (s.m_sm_info_check) flags |= kMailFlagVerbose;
  return flags;
}
