#pragma once
// The mail page's nine settings, kept in the section "section_smail" of the
// program's settings file, and the mail flags they make. Texts are Shift-JIS
// as the file keeps them and the mail library takes them; a path among them
// becomes a path (UTF-8) through SjisToUtf8 where it is opened.
#include <cstdint>
#include <string>

class ProfileStore;

struct SMailSettings {
  int m_sm_enable_check = 0;  // mail notification on
  std::string m_sm_server;    // mail server
  std::string m_sm_path;      // mailer program
  std::string m_sm_src_addr;  // sender
  std::string m_sm_dst_addr;  // recipient
  std::string m_sm_title;     // subject
  int m_sm_temp_check = 0;    // body from the template file
  int m_sm_info_check = 0;    // verbose mailer output
  std::string m_sm_temp_path; // template file

  bool operator==(const SMailSettings& o) const;
};

constexpr const char* kSMailSection = "section_smail";

// Missing keys read as empty texts and 0; texts are cut to 255 bytes (never
// inside a double-byte character), flags are 1 for any nonzero number.
SMailSettings LoadSMailSettings(const ProfileStore& store);
// Writes all nine keys, the flags as decimal text.
void SaveSMailSettings(ProfileStore& store, const SMailSettings& settings);

// The flags for sm_initmail: template or text mode, plus verbose output.
int32_t MailFlagsFor(const SMailSettings& settings);
