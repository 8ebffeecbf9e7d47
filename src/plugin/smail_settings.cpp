#include "plugin/smail_settings.h"

#include "boundary/nimbra_boundary.h"
#include "platform/text.h"
#include "schedule/profile_store.h"

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
  s.m_sm_enable_check = ReadFlag(store, "m_sm_enable_check");
  s.m_sm_server = ReadText(store, "m_sm_server");
  s.m_sm_path = ReadText(store, "m_sm_path");
  s.m_sm_src_addr = ReadText(store, "m_sm_src_addr");
  s.m_sm_dst_addr = ReadText(store, "m_sm_dst_addr");
  s.m_sm_title = ReadText(store, "m_sm_title");
  s.m_sm_temp_check = ReadFlag(store, "m_sm_temp_check");
  s.m_sm_info_check = ReadFlag(store, "m_sm_info_check");
  s.m_sm_temp_path = ReadText(store, "m_sm_temp_path");
  return s;
}

void SaveSMailSettings(ProfileStore& store, const SMailSettings& s) {
  store.SetInt(kSMailSection, "m_sm_enable_check", s.m_sm_enable_check);
  store.SetString(kSMailSection, "m_sm_server", s.m_sm_server);
  store.SetString(kSMailSection, "m_sm_path", s.m_sm_path);
  store.SetString(kSMailSection, "m_sm_src_addr", s.m_sm_src_addr);
  store.SetString(kSMailSection, "m_sm_dst_addr", s.m_sm_dst_addr);
  store.SetString(kSMailSection, "m_sm_title", s.m_sm_title);
  store.SetInt(kSMailSection, "m_sm_temp_check", s.m_sm_temp_check);
  store.SetInt(kSMailSection, "m_sm_info_check", s.m_sm_info_check);
  store.SetString(kSMailSection, "m_sm_temp_path", s.m_sm_temp_path);
}

int32_t MailFlagsFor(const SMailSettings& s) {
  int32_t flags = s.m_sm_temp_check ? kMailFlagTemplate : kMailFlagAlways;
  if (s.m_sm_info_check) flags |= kMailFlagVerbose;
  return flags;
}
