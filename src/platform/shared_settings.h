#pragma once
// The settings records that the program and the settings plug-in both read
// from the settings file, each a table of fields (settings_schema.h): the
// debug log's level and the mail page's nine settings. Texts are Shift-JIS
// as the file keeps them and the mail library takes them; a path among them
// becomes a path (UTF-8) through SjisToUtf8 where it is opened.
#include <cstdint>
#include <string>

#include "platform/settings_schema.h"

class ProfileStore;

// The program's own section; the plug-in reads the debug level from it.
inline constexpr const char* kAppSection = "APP_MNG_INFO";
inline constexpr const char* kSMailSection = "section_smail";

// The debug log's level (0 off, 1 on, 2 with source places); edited by hand
// only, never written.
struct LogSettings {
  int32_t debug_flag = 0;
};
const SettingsTable<LogSettings>& LogSettingsFields();
// The level the file sets.
unsigned LoadDebugLevel(const ProfileStore& store);

struct SMailSettings {
  int32_t m_sm_enable_check = 0;  // mail notification on
  std::string m_sm_server;        // mail server
  std::string m_sm_path;          // mailer program
  std::string m_sm_src_addr;      // sender
  std::string m_sm_dst_addr;      // recipient
  std::string m_sm_title;         // subject
  int32_t m_sm_temp_check = 0;    // body from the template file
  int32_t m_sm_info_check = 0;    // verbose mailer output
  std::string m_sm_temp_path;     // template file

  bool operator==(const SMailSettings& o) const;
};
// Missing keys read as empty texts and 0; texts are cut to 255 bytes (never
// inside a double-byte character), flags are 1 for any nonzero number.
const SettingsTable<SMailSettings>& SMailSettingsFields();
SMailSettings LoadSMailSettings(const ProfileStore& store);
// Writes all nine keys, the flags as decimal text.
void SaveSMailSettings(ProfileStore& store, const SMailSettings& settings);
