#include "plugin/smail_settings.h"

#include <gtest/gtest.h>

#include "boundary/nimbra_boundary.h"
#include "platform/profile_store.h"

namespace {

TEST(MailFlagsFor, TemplateAndVerboseChecks) {
  struct Case {
    int temp, info;
    int32_t flags;
  } cases[] = {{0, 0, 0x0001}, {0, 1, 0x1001}, {1, 0, 0x0002}, {1, 1, 0x1002}};
  for (const auto& c : cases) {
    SMailSettings s;
    s.m_sm_temp_check = c.temp;
    s.m_sm_info_check = c.info;
    EXPECT_EQ(MailFlagsFor(s), c.flags) << c.temp << c.info;
  }
}

TEST(SMailSettings, MissingKeysAndNonNumbersReadAsEmptyAndZero) {
  EXPECT_EQ(LoadSMailSettings(ProfileStore::Parse("")), SMailSettings{});
  const SMailSettings s = LoadSMailSettings(ProfileStore::Parse(
      "[section_smail]\r\nm_sm_enable_check=yes\r\nm_sm_temp_check=5\r\nm_sm_info_check=-1x\r\n"));
  EXPECT_EQ(s.m_sm_enable_check, 0);
  EXPECT_EQ(s.m_sm_temp_check, 1);
  EXPECT_EQ(s.m_sm_info_check, 1);
}

TEST(SMailSettings, SaveWritesAllNineKeysBesideOtherSections) {
  ProfileStore store = ProfileStore::Parse("; kept\r\n[APP_MNG_INFO]\r\ntv_id=2\r\n");
  SMailSettings s;
  s.m_sm_enable_check = 1;
  s.m_sm_path = R"(C:\smail\smail.exe)";
  s.m_sm_title = "\x97\x5c\x96\xf1";  // 予約
  s.m_sm_info_check = 1;
  SaveSMailSettings(store, s);

  const ProfileStore reread = ProfileStore::Parse(store.Serialize());
  EXPECT_EQ(reread.GetString("APP_MNG_INFO", "tv_id", ""), "2");
  EXPECT_NE(store.Serialize().find("; kept"), std::string::npos);
  const char* keys[] = {"m_sm_enable_check", "m_sm_server",  "m_sm_path",
                        "m_sm_src_addr",     "m_sm_dst_addr", "m_sm_title",
                        "m_sm_temp_check",   "m_sm_info_check", "m_sm_temp_path"};
  for (const char* k : keys) EXPECT_TRUE(reread.HasKey("section_smail", k)) << k;
  EXPECT_EQ(reread.GetString("section_smail", "m_sm_enable_check", ""), "1");
  EXPECT_EQ(reread.GetString("section_smail", "m_sm_temp_check", ""), "0");
  EXPECT_EQ(LoadSMailSettings(reread), s);
}

TEST(SMailSettings, LongTextsAreSavedWholeButReadBackCutTo255Bytes) {
  const std::string hyo = "\x95\x5c";  // 表
  SMailSettings s;
  s.m_sm_server = std::string(300, 's');
  s.m_sm_title = std::string(254, 't') + hyo + "x";  // a character across the limit
  s.m_sm_temp_path = std::string(253, 'p') + hyo + "x";
  ProfileStore store;
  SaveSMailSettings(store, s);
  EXPECT_EQ(store.GetString("section_smail", "m_sm_server", "").size(), 300u);
  const SMailSettings back = LoadSMailSettings(store);
  EXPECT_EQ(back.m_sm_server, std::string(255, 's'));
  EXPECT_EQ(back.m_sm_title, std::string(254, 't'));
  EXPECT_EQ(back.m_sm_temp_path, std::string(253, 'p') + hyo);
}

}  // namespace
