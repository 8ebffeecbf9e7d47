// The settings file's tables: every key of every record round-trips, and
// the file's bytes are what they always were.
#include <gtest/gtest.h>

#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/profile_store.h"
#include "platform/shared_settings.h"
#include "schedule/nimbra_doc.h"
#include "schedule/settings_file.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace {

// A value of the row's kind other than its default, inside its limits, as
// the file spells it: a text with a Shift-JIS character whose second byte
// is a backslash (表).
template <class R>
std::string OtherThanDefault(const SettingsField<R>& f) {
  if (f.kind == FieldKind::kText || f.kind == FieldKind::kCutText)
    return std::string("\x95\x5c ") + f.key;
  if (f.kind == FieldKind::kSwitch) return f.numberDefault ? "0" : "1";
  // A number held through its own setter is a choice between its two ends.
  if (f.setNumber) return std::to_string(f.numberDefault == f.low ? f.high : f.low);
  // A step of 7 where the range allows it, else of 1 (a short list of kinds).
  for (int32_t step : {7, -7, 1, -1}) {
    const int64_t v = int64_t{f.numberDefault} + step;
    if (v >= f.low && v <= f.high) return std::to_string(v);
  }
  return std::to_string(f.numberDefault);
}

// Each row in turn away from its default: read from a file, written and
// read back, the record is the same; a row that is never written (one only
// the user edits) is left out of the file.
template <class R>
void ExpectEveryKeyRoundTrips(const SettingsTable<R>& table, int32_t index) {
  R defaults;
  DefaultFields(table, defaults);
  R fromEmpty;
  LoadFields(ProfileStore(), table, fromEmpty, index);
  EXPECT_TRUE(SameFields(table, defaults, fromEmpty)) << table.section;
  for (const SettingsField<R>& f : table) {
    const std::string key = FieldKey(f.key, index);
    ProfileStore file;
    file.SetString(table.section, key, OtherThanDefault(f));
    R read;
    LoadFields(file, table, read, index);
    EXPECT_FALSE(SameFields(table, defaults, read)) << key;
    ProfileStore saved;
    SaveFields(saved, table, read, index);
    EXPECT_EQ(f.saved, saved.HasKey(table.section, key)) << key;
    if (f.saved) {
      EXPECT_EQ(saved.GetString(table.section, key, ""), OtherThanDefault(f)) << key;
    }
    R back;
    LoadFields(ProfileStore::Parse(saved.Serialize()), table, back, index);
    EXPECT_TRUE(SameFields(table, f.saved ? read : defaults, back)) << key;
  }
}

TEST(SettingsTables, EveryKeyOfEveryTableRoundTrips) {
  ExpectEveryKeyRoundTrips(CAppMngInfo::Fields(), -1);
  ExpectEveryKeyRoundTrips(CUserSetParam::Fields(), -1);
  ExpectEveryKeyRoundTrips(CUserSetParam::SwitchFields(), -1);
  ExpectEveryKeyRoundTrips(StoredEntry::Fields(), 12);
  ExpectEveryKeyRoundTrips(LogSettingsFields(), -1);
  ExpectEveryKeyRoundTrips(SMailSettingsFields(), -1);
  ExpectEveryKeyRoundTrips(StoredEntryCount::Fields(), -1);
  ExpectEveryKeyRoundTrips(WakeTestRecord::Fields(), -1);
  ExpectEveryKeyRoundTrips(NotifySettings::Fields(), -1);
}

TEST(SettingsTables, ARecordMadeAnewHoldsItsTablesDefaults) {
  CUserSetParam made;
  CUserSetParam defaults;
  DefaultFields(CUserSetParam::Fields(), defaults);
  DefaultFields(CUserSetParam::SwitchFields(), defaults);
  EXPECT_TRUE(SameFields(CUserSetParam::Fields(), made, defaults));
  EXPECT_TRUE(SameFields(CUserSetParam::SwitchFields(), made, defaults));
  EXPECT_EQ(made.wakeup_lead_sec, 60);
  EXPECT_EQ(made.stay_awake_gap_sec, 300);
}

// ---- Literal files ----

class SettingsFixture : public ::testing::Test {
 protected:
  std::string Path() const { return dir.File("Nimbra.ini"); }

  ScratchDir dir;
  FakeClock clock{TimeToSeconds(MakeSystemTime(2027, 1, 10, 12, 0, 0))};
  ScriptedPrompt prompt;
  CDebugLog debugLog;
};

// A file as the program writes it, with every key, the plug-in's section and
// keys only the user edits: a load and a save leave it byte for byte.
const char kFullFile[] =
    "[APP_MNG_INFO]\r\n"
    "reg_bk_flag=1\r\n"
    "tv_id=2\r\n"
    "sel_ext=21\r\n"
    "prog_path=C:\\Nimbra\r\n"
    "tv_app_path=C:\\TV\\\x95\x5c.exe\r\n"
    "main_left=-1200\r\n"
    "main_top=80\r\n"
    "main_width=640\r\n"
    "main_height=420\r\n"
    "item_num_max=20\r\n"
    "sleep_flag=0\r\n"
    "finish_act=0\r\n"
    "epg_offset=30\r\n"
    "smenu_fhock=1\r\n"
    "wakeup_lead_sec=120\r\n"
    "stay_awake_gap_sec=600\r\n"
    "user_enable=1\r\n"
    "debug_flag=0\r\n"
    "wakeup_timer_name=my_timer\r\n"
    "[TV_REC_SCHEDULE]\r\n"
    "sch_num=2\r\n"
    "sch_title[0]=\x97\x5c\x96\xf1\x95\x5c\r\n"
    "sch_start[0]=1804000000\r\n"
    "sch_end[0]=1804003600\r\n"
    "sch_loop_f[0]=0\r\n"
    "sch_loop_meth[0]=0\r\n"
    "sch_b_wday[0]=0\r\n"
    "sch_kikan_f[0]=0\r\n"
    "sch_kikan_s[0]=0\r\n"
    "sch_kikan_e[0]=0\r\n"
    "sch_title[1]=news\r\n"
    "sch_start[1]=1804086400\r\n"
    "sch_end[1]=1804090000\r\n"
    "sch_loop_f[1]=1\r\n"
    "sch_loop_meth[1]=1\r\n"
    "sch_b_wday[1]=0\r\n"
    "sch_kikan_f[1]=0\r\n"
    "sch_kikan_s[1]=0\r\n"
    "sch_kikan_e[1]=0\r\n"
    "[EPG_MANEGEMENT]\r\n"
    ".tvvi=tvvifile\r\n"
    ".tvpi=\r\n"
    ".php3=\r\n"
    ".epg=\r\n"
    ".tvpid=\r\n"
    "[Notify]\r\n"
    "balloon_end=1\r\n"
    "balloon_trouble=0\r\n"
    "webhook_url=https://ntfy.example.net/nimbra\r\n"
    "webhook_kind=2\r\n"
    "webhook_on_end=1\r\n"
    "webhook_on_missed=0\r\n"
    "webhook_on_not_ready=1\r\n"
    "webhook_subject=\x98\x5e\x89\xe6\r\n"
    "webhook_body=\r\n"
    "mail_server=smtp.example.jp\r\n"
    "mail_port=587\r\n"
    "mail_user=taro\r\n"
    "mail_password_dpapi=AQID\r\n"
    "mail_from=taro@example.jp\r\n"
    "mail_to=hanako@example.jp;jiro@example.jp\r\n"
    "mail_on_end=0\r\n"
    "mail_on_missed=1\r\n"
    "mail_on_not_ready=0\r\n"
    "mail_subject=\r\n"
    "mail_body=\r\n"
    "[section_smail]\r\n"
    "m_sm_enable_check=1\r\n"
    "m_sm_server=mail.example.jp\r\n";

TEST_F(SettingsFixture, AFileAsTheProgramWritesItIsSavedByteForByte) {
  WriteAll(Path(), kFullFile);
  CNimbraDoc doc(clock, prompt, debugLog, Path());
  doc.LoadSettings();
  ASSERT_EQ(doc.Table().GetScheduleCount(), 2);
  ASSERT_TRUE(doc.SaveSettings());
  EXPECT_EQ(ReadAll(Path()), kFullFile);
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(SettingsFixture, ANewFileHoldsTheDefaultsInTheirOrder) {
  CNimbraDoc doc(clock, prompt, debugLog, Path());
  doc.LoadSettings();
  ASSERT_TRUE(doc.SaveSettings());
  EXPECT_EQ(ReadAll(Path()),
            "[APP_MNG_INFO]\r\n"
            "reg_bk_flag=0\r\n"
            "tv_id=0\r\n"
            "sel_ext=0\r\n"
            "prog_path=\r\n"
            "tv_app_path=\r\n"
            "main_left=0\r\n"
            "main_top=0\r\n"
            "main_width=0\r\n"
            "main_height=0\r\n"
            "user_enable=0\r\n"
            "[TV_REC_SCHEDULE]\r\n"
            "sch_num=0\r\n"
            "[EPG_MANEGEMENT]\r\n"
            ".tvvi=\r\n"
            ".tvpi=\r\n"
            ".php3=\r\n"
            ".epg=\r\n"
            ".tvpid=\r\n"
            "[Notify]\r\n"
            "balloon_end=0\r\n"
            "balloon_trouble=1\r\n"
            "webhook_url=\r\n"
            "webhook_kind=0\r\n"
            "webhook_on_end=1\r\n"
            "webhook_on_missed=1\r\n"
            "webhook_on_not_ready=1\r\n"
            "webhook_subject=\r\n"
            "webhook_body=\r\n"
            "mail_server=\r\n"
            "mail_port=465\r\n"
            "mail_user=\r\n"
            "mail_password_dpapi=\r\n"
            "mail_from=\r\n"
            "mail_to=\r\n"
            "mail_on_end=1\r\n"
            "mail_on_missed=1\r\n"
            "mail_on_not_ready=1\r\n"
            "mail_subject=\r\n"
            "mail_body=\r\n");
}

}  // namespace
