// The document's load and save of the settings file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/profile_store.h"
#include "platform/text.h"
#include "schedule/nimbra_doc.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace {

SystemTime At(int y, int mo, int d, int h, int mi, int s = 0) {
  return MakeSystemTime(y, mo, d, h, mi, s);
}

std::string EntryKeys(int i, const std::string& title, int32_t start, int32_t end, int loop = 0,
                      int meth = 0, int wday = 0, int kf = 0, int32_t ks = 0, int32_t ke = 0) {
  const std::string n = std::to_string(i);
  return "sch_title[" + n + "]=" + title + "\r\nsch_start[" + n + "]=" + std::to_string(start) +
         "\r\nsch_end[" + n + "]=" + std::to_string(end) + "\r\nsch_loop_f[" + n +
         "]=" + std::to_string(loop) + "\r\nsch_loop_meth[" + n + "]=" + std::to_string(meth) +
         "\r\nsch_b_wday[" + n + "]=" + std::to_string(wday) + "\r\nsch_kikan_f[" + n +
         "]=" + std::to_string(kf) + "\r\nsch_kikan_s[" + n + "]=" + std::to_string(ks) +
         "\r\nsch_kikan_e[" + n + "]=" + std::to_string(ke) + "\r\n";
}

class SettingsFile : public ::testing::Test {
 protected:
  std::string Path() const { return dir.File("Nimbra.ini"); }
  void Write(const std::string& text) { WriteAll(Path(), text); }
  int32_t T(const SystemTime& t) const { return TimeToSeconds(t); }

  ScratchDir dir;
  FakeClock clock{TimeToSeconds(MakeSystemTime(2027, 1, 10, 12, 0, 0))};
  ScriptedPrompt prompt;
  CDebugLog debugLog;
};

TEST_F(SettingsFile, MissingFileGivesDefaults) {
  CNimbraDoc doc(clock, prompt, debugLog, Path());
  doc.LoadSettings();
  const CAppMngInfo& info = doc.AppInfo();
  EXPECT_STREQ(info.GetWakeupTimerName(), "tz_wakeup_timer");
  EXPECT_STREQ(info.GetTvAppPath(), "");
  EXPECT_EQ(info.GetTvId(), 0);
  EXPECT_STREQ(doc.GetListingsUrl(), GetSiteUrl(0));
  const CUserSetParam& eff = info.GetUserSetting();
  EXPECT_EQ(eff.user_enable, 0);
  EXPECT_EQ(eff.item_num_max, 10);
  EXPECT_EQ(eff.sleep_flag, SleepMode::kHibernate);
  EXPECT_EQ(eff.finish_act, 1);
  EXPECT_EQ(eff.epg_offset, 0);
  EXPECT_EQ(eff.wakeup_lead_sec, 60);
  EXPECT_EQ(eff.stay_awake_gap_sec, 300);
  EXPECT_EQ(doc.Table().GetCapacity(), 10);
  EXPECT_EQ(doc.Table().GetScheduleCount(), 0);
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(SettingsFile, UserValuesAreReadEvenWhenTheyAreNotInForce) {
  Write("[APP_MNG_INFO]\r\nuser_enable=0\r\nitem_num_max=20\r\nsleep_flag=5\r\n"
        "smenu_fhock=5\r\nfinish_act=0\r\nepg_offset=60\r\ntv_id=7\r\n"
        "wakeup_lead_sec=180\r\nstay_awake_gap_sec=-1\r\n");
  CNimbraDoc doc(clock, prompt, debugLog, Path());
  doc.LoadSettings();
  EXPECT_EQ(doc.Table().GetCapacity(), 10);
  EXPECT_EQ(doc.AppInfo().GetUserSetting().finish_act, 1);
  const CUserSetParam& user = doc.AppInfo().GetUserValues();
  EXPECT_EQ(user.item_num_max, 20);
  EXPECT_EQ(user.sleep_flag, SleepMode::kHibernate);  // any non-zero value
  EXPECT_EQ(user.smenu_fhock, 5);  // as read
  EXPECT_EQ(user.finish_act, 0);
  EXPECT_EQ(user.epg_offset, 60);
  EXPECT_EQ(user.wakeup_lead_sec, 180);
  EXPECT_EQ(user.stay_awake_gap_sec, 0);  // brought into range
  EXPECT_STREQ(doc.GetListingsUrl(), "");  // no such site
}

TEST_F(SettingsFile, UserValuesInForceSizeTheTableAndAreSavedBack) {
  Write("[APP_MNG_INFO]\r\nuser_enable=1\r\nitem_num_max=20\r\nsleep_flag=5\r\nsmenu_fhock=5\r\n");
  {
    CNimbraDoc doc(clock, prompt, debugLog, Path());
    doc.LoadSettings();
    EXPECT_EQ(doc.Table().GetCapacity(), 20);
    EXPECT_EQ(doc.AppInfo().GetUserSetting().sleep_flag, SleepMode::kHibernate);
    ASSERT_TRUE(doc.SaveSettings());
  }
  const ProfileStore saved = ProfileStore::Load(Path());
  EXPECT_EQ(saved.GetInt("APP_MNG_INFO", "sleep_flag", -1), 1);
  EXPECT_EQ(saved.GetInt("APP_MNG_INFO", "smenu_fhock", -1), 5);
  EXPECT_EQ(saved.GetInt("APP_MNG_INFO", "item_num_max", -1), 20);
  // A file of an earlier version: the wake settings' defaults, written back.
  EXPECT_EQ(saved.GetInt("APP_MNG_INFO", "wakeup_lead_sec", -1), 60);
  EXPECT_EQ(saved.GetInt("APP_MNG_INFO", "stay_awake_gap_sec", -1), 300);
}

TEST_F(SettingsFile, LongPathsAreIgnored) {
  Write("[APP_MNG_INFO]\r\ntv_app_path=" + std::string(256, 'p') + "\r\nprog_path=" +
        std::string(255, 'q') + "\r\n");
  CNimbraDoc doc(clock, prompt, debugLog, Path());
  doc.LoadSettings();
  EXPECT_STREQ(doc.AppInfo().GetTvAppPath(), "");
  EXPECT_EQ(std::strlen(doc.AppInfo().GetProgPath()), 255u);
}

// A hand-edited file may hold entries out of order or overlapping: the table
// is still ordered with separated windows, and an overlapping entry is kept
// in the file (not scheduled) with the user told once, by title and start.
TEST_F(SettingsFile, EntriesLoadSortedWithStateFromTheClockAndOverlapsAreKeptAside) {
  const int32_t now = static_cast<int32_t>(clock.SecondsNow());
  const auto StartText = [](int32_t seconds) {
    SystemTime t{};
    SecondsToTime(seconds, &t);
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute);
    return std::string(text);
  };
  Write("[TV_REC_SCHEDULE]\r\nsch_num=5\r\n" +
        EntryKeys(0, "later", now + 3600, now + 7200) +
        EntryKeys(1, "ends now", now - 600, now) +        // running in its end second
        EntryKeys(2, "past", now - 7200, now - 3600) +
        EntryKeys(3, "overlapping", now + 3000, now + 4000) +
        EntryKeys(4, Utf8ToSjis("番組表"), now + 3500, now + 3700));
  {
    CNimbraDoc doc(clock, prompt, debugLog, Path());
    doc.LoadSettings();
    const ScheduleTable& t = doc.Table();
    ASSERT_EQ(t.GetScheduleCount(), 3);
    EXPECT_STREQ(t.GetSchedule(0)->title, "past");
    EXPECT_EQ(t.GetSchedule(0)->state, kStateFinished);
    EXPECT_EQ(t.GetSchedule(1)->state, kStateRunning);
    EXPECT_STREQ(t.GetSchedule(2)->title, "later");
    EXPECT_EQ(t.GetSchedule(2)->state, kStateWaiting);
    EXPECT_EQ(t.StartSeconds(2), now + 3600);
    EXPECT_EQ(doc.GetSurplusCount(), 2);
    // Told once, naming each entry kept aside.
    ASSERT_EQ(prompt.Texts().size(), 1u);
    const std::string told = prompt.Texts()[0];
    EXPECT_NE(told.find("設定ファイルには残してあります"), std::string::npos) << told;
    EXPECT_NE(told.find("\n・overlapping（" + StartText(now + 3000) + " 開始）"), std::string::npos)
        << told;
    EXPECT_NE(told.find("\n・番組表（" + StartText(now + 3500) + " 開始）"), std::string::npos)
        << told;
    ASSERT_TRUE(doc.SaveSettings());
  }
  const ProfileStore saved = ProfileStore::Load(Path());
  EXPECT_EQ(saved.GetInt("TV_REC_SCHEDULE", "sch_num", 0), 5);
  EXPECT_EQ(saved.GetString("TV_REC_SCHEDULE", "sch_title[3]", ""), "overlapping");
  EXPECT_EQ(saved.GetString("TV_REC_SCHEDULE", "sch_title[4]", ""), Utf8ToSjis("番組表"));
}

// A one-off entry kept aside for overlapping a daily repeat's past
// occurrence takes its place once the repeat has moved on: the next start
// would place it (the moved-on repeat is saved first), so the table after a
// save and a load is the table before it, and nobody is told of an overlap
// that is gone.
TEST_F(SettingsFile, AnEntryKeptAsideTakesTheWindowARepeatMovedOnFrom) {
  const int daily = 1, everyDay = 127;
  Write("[TV_REC_SCHEDULE]\r\nsch_num=2\r\n" +
        EntryKeys(0, "daily", T(At(2027, 1, 10, 9, 0)), T(At(2027, 1, 10, 10, 0)), 1, daily,
                  everyDay) +
        EntryKeys(1, "once", T(At(2027, 1, 10, 9, 0)), T(At(2027, 1, 10, 10, 0))));
  for (int load = 0; load < 2; ++load) {
    CNimbraDoc doc(clock, prompt, debugLog, Path());
    doc.LoadSettings();
    const ScheduleTable& t = doc.Table();
    ASSERT_EQ(t.GetScheduleCount(), 2) << load;
    EXPECT_STREQ(t.GetSchedule(0)->title, "once");
    EXPECT_EQ(t.GetSchedule(0)->state, kStateFinished);
    EXPECT_STREQ(t.GetSchedule(1)->title, "daily");
    EXPECT_EQ(t.StartSeconds(1), T(At(2027, 1, 11, 9, 0)));
    EXPECT_EQ(doc.GetSurplusCount(), 0);
    ASSERT_TRUE(doc.SaveSettings());
  }
  EXPECT_TRUE(prompt.Texts().empty());
}

// The calendar seconds disagree with the local clock (the C runtime's zone
// is not the system's): the state on loading still follows the local clock,
// as the scheduler's tick does, in either direction.
TEST_F(SettingsFile, StateOnLoadingFollowsTheLocalClockNotTheCalendarSeconds) {
  class SkewedClock final : public IClock {
   public:
    SkewedClock(const IClock& local, int64_t skew) : local_(local), skew_(skew) {}
    SystemTime LocalNow() const override { return local_.LocalNow(); }
    int64_t SecondsNow() const override { return local_.SecondsNow() + skew_; }

   private:
    const IClock& local_;
    int64_t skew_;
  };
  const int32_t now = static_cast<int32_t>(clock.SecondsNow());
  Write("[TV_REC_SCHEDULE]\r\nsch_num=3\r\n" + EntryKeys(0, "past", now - 7200, now - 3600) +
        EntryKeys(1, "running", now - 600, now + 600) +
        EntryKeys(2, "later", now + 3600, now + 7200));
  for (const int64_t skew : {9 * 3600, -9 * 3600}) {
    SkewedClock skewed(clock, skew);
    CNimbraDoc doc(skewed, prompt, debugLog, Path());
    doc.LoadSettings();
    const ScheduleTable& t = doc.Table();
    ASSERT_EQ(t.GetScheduleCount(), 3);
    EXPECT_EQ(t.GetSchedule(0)->state, kStateFinished) << skew;
    EXPECT_EQ(t.GetSchedule(1)->state, kStateRunning) << skew;
    EXPECT_EQ(t.GetSchedule(2)->state, kStateWaiting) << skew;
  }
}

// A repeating entry whose stored occurrence ended while the program was not
// running moves on to its next occurrence instead of ending the series; one
// whose period is over is finished with its last times.
TEST_F(SettingsFile, ARepeatingEntryThatEndedWhileOffMovesOnToItsNextOccurrence) {
  const int daily = 1, everyDay = 127;
  Write("[TV_REC_SCHEDULE]\r\nsch_num=3\r\n" +
        EntryKeys(0, "evening", T(At(2027, 1, 7, 20, 0)), T(At(2027, 1, 7, 21, 0)), 1, daily,
                  everyDay) +
        EntryKeys(1, "noon", T(At(2027, 1, 8, 11, 0)), T(At(2027, 1, 8, 13, 0)), 1, daily,
                  everyDay) +
        EntryKeys(2, "season over", T(At(2027, 1, 8, 22, 0)), T(At(2027, 1, 8, 23, 0)), 1, daily,
                  everyDay, 1, T(At(2027, 1, 1, 0, 0)), T(At(2027, 1, 9, 0, 0))));
  CNimbraDoc doc(clock, prompt, debugLog, Path());
  doc.LoadSettings();
  const ScheduleTable& t = doc.Table();
  ASSERT_EQ(t.GetScheduleCount(), 3);
  EXPECT_STREQ(t.GetSchedule(0)->title, "season over");
  EXPECT_EQ(t.GetSchedule(0)->state, kStateFinished);
  EXPECT_EQ(t.StartSeconds(0), T(At(2027, 1, 8, 22, 0)));
  EXPECT_STREQ(t.GetSchedule(1)->title, "noon");
  EXPECT_EQ(t.GetSchedule(1)->state, kStateRunning);
  EXPECT_EQ(t.StartSeconds(1), T(At(2027, 1, 10, 11, 0)));
  EXPECT_STREQ(t.GetSchedule(2)->title, "evening");
  EXPECT_EQ(t.GetSchedule(2)->state, kStateWaiting);
  EXPECT_EQ(t.StartSeconds(2), T(At(2027, 1, 10, 20, 0)));
  EXPECT_EQ(t.EndSeconds(2), T(At(2027, 1, 10, 21, 0)));
  EXPECT_TRUE(prompt.shown.empty());
  // Every occurrence moved on from is given for the journal's missed windows.
  std::vector<std::pair<std::string, int32_t>> ended;
  for (const ScheduleEntry& e : doc.EndedAtLoad()) ended.emplace_back(e.title, TimeToSeconds(e.s));
  EXPECT_EQ(ended, (std::vector<std::pair<std::string, int32_t>>{
                       {"evening", T(At(2027, 1, 7, 20, 0))},
                       {"evening", T(At(2027, 1, 8, 20, 0))},
                       {"evening", T(At(2027, 1, 9, 20, 0))},
                       {"noon", T(At(2027, 1, 8, 11, 0))},
                       {"noon", T(At(2027, 1, 9, 11, 0))},
                       {"season over", T(At(2027, 1, 8, 22, 0))},
                       {"season over", T(At(2027, 1, 9, 22, 0))},  // the period's last day
                   }));
}

TEST_F(SettingsFile, RepeatFieldsAndPeriodDatesRoundTrip) {
  const int32_t s = T(At(2027, 1, 11, 21, 0));
  const int32_t ks = T(At(2027, 1, 11, 0, 0));
  const int32_t ke = T(At(2027, 3, 31, 0, 0));
  Write("[TV_REC_SCHEDULE]\r\nsch_num=2\r\n" + EntryKeys(0, "w", s, s + 1800, 1, 4, 62, 1, ks, ke) +
        EntryKeys(1, "once", s + 86400, s + 90000));
  {
    CNimbraDoc doc(clock, prompt, debugLog, Path());
    doc.LoadSettings();
    const ScheduleEntry& w = *doc.Table().GetSchedule(0);
    EXPECT_EQ(w.loop, 1);
    EXPECT_EQ(w.loop_meth, 4);
    EXPECT_EQ(w.b_way, 62);
    EXPECT_EQ(w.kikan_f, 1);
    EXPECT_EQ(w.kikan_e.wMonth, 3);
    EXPECT_EQ(w.kikan_e.wDay, 31);
    // A period date stored as 0 loads as 1970-01-01 09:00 (unset).
    const ScheduleEntry& once = *doc.Table().GetSchedule(1);
    EXPECT_EQ(once.kikan_s.wYear, 1970);
    EXPECT_EQ(once.kikan_s.wHour, 9);
    ASSERT_TRUE(doc.SaveSettings());
  }
  const ProfileStore saved = ProfileStore::Load(Path());
  EXPECT_EQ(saved.GetInt("TV_REC_SCHEDULE", "sch_kikan_s[0]", -1), ks);
  EXPECT_EQ(saved.GetInt("TV_REC_SCHEDULE", "sch_kikan_e[0]", -1), ke);
  EXPECT_EQ(saved.GetInt("TV_REC_SCHEDULE", "sch_kikan_e[1]", -1), 0);
  EXPECT_EQ(saved.GetInt("TV_REC_SCHEDULE", "sch_b_wday[0]", -1), 62);
}

TEST_F(SettingsFile, EntriesBeyondTheCapacityAreKeptAndComeBackWithMoreRoom) {
  const int32_t base = T(At(2027, 2, 1, 10, 0));
  std::string keys = "[APP_MNG_INFO]\r\nuser_enable=1\r\nitem_num_max=2\r\n[TV_REC_SCHEDULE]\r\nsch_num=4\r\n";
  for (int i = 0; i < 4; ++i)
    keys += EntryKeys(i, "e" + std::to_string(i), base + i * 3600, base + i * 3600 + 600);
  Write(keys);
  {
    CNimbraDoc doc(clock, prompt, debugLog, Path());
    doc.LoadSettings();
    EXPECT_EQ(doc.Table().GetScheduleCount(), 2);
    EXPECT_EQ(doc.GetSurplusCount(), 2);
    EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"登録最大数を超えました。"});
    EXPECT_EQ(prompt.shown[0].caption, "Nimbra");
    doc.Table().DeleteSchedule(0);
    ASSERT_TRUE(doc.SaveSettings());
  }
  ProfileStore saved = ProfileStore::Load(Path());
  EXPECT_EQ(saved.GetInt("TV_REC_SCHEDULE", "sch_num", 0), 3);
  EXPECT_EQ(saved.GetString("TV_REC_SCHEDULE", "sch_title[0]", ""), "e1");
  EXPECT_EQ(saved.GetString("TV_REC_SCHEDULE", "sch_title[1]", ""), "e2");
  EXPECT_EQ(saved.GetString("TV_REC_SCHEDULE", "sch_title[2]", ""), "e3");
  // The shorter save leaves none of the fourth entry's keys behind.
  EXPECT_FALSE(saved.HasKey("TV_REC_SCHEDULE", "sch_title[3]"));

  saved.SetInt("APP_MNG_INFO", "item_num_max", 10);
  ASSERT_TRUE(saved.Save(Path()));
  ScriptedPrompt quiet;
  CNimbraDoc doc(clock, quiet, debugLog, Path());
  doc.LoadSettings();
  EXPECT_EQ(doc.Table().GetScheduleCount(), 3);
  EXPECT_TRUE(quiet.shown.empty());
}

// The count and the capacity come from the file and may be anything: only the
// entries that are really there are read, at once, and the capacity message
// appears only when those do not fit.
TEST_F(SettingsFile, LoadIsBoundedByTheEntriesInTheFileWhateverTheCountsSay) {
  const int32_t base = T(At(2027, 2, 1, 10, 0));
  struct Case {
    const char* schNum;
    const char* itemNumMax;
    int loaded, surplus;
    bool toldFull;
  } const cases[] = {
      {"2147483647", "10", 2, 0, false},   {"2147483647", "2147483647", 2, 0, false},
      {"2147483647", "1", 1, 1, true},     {"4294967295", "10", 0, 0, false},  // wraps to -1
      {"-2147483648", "10", 0, 0, false},  {"2", "-2147483648", 1, 0, false},
      {"2147483647", "0", 2, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("sch_num=") + c.schNum + " item_num_max=" + c.itemNumMax);
    // Entry 1 has a gap before it (no keys for index 1) and a key at the
    // largest index that a count can still include.
    Write(std::string("[APP_MNG_INFO]\r\nuser_enable=1\r\nitem_num_max=") + c.itemNumMax +
          "\r\n[TV_REC_SCHEDULE]\r\nsch_num=" + c.schNum + "\r\n" +
          EntryKeys(0, "first", base, base + 600) +
          "sch_start[2147483646]=" + std::to_string(base + 7200) + "\r\n" +
          "sch_end[2147483646]=" + std::to_string(base + 7800) + "\r\n" +
          "sch_start[0007]=1\r\nsch_bogus[3]=1\r\n");
    ScriptedPrompt p;
    CNimbraDoc doc(clock, p, debugLog, Path());
    doc.LoadSettings();
    EXPECT_EQ(doc.Table().GetScheduleCount(), c.loaded);
    EXPECT_EQ(doc.GetSurplusCount(), c.surplus);
    EXPECT_EQ(p.Texts(), c.toldFull ? std::vector<std::string>{"登録最大数を超えました。"}
                                    : std::vector<std::string>{});
    if (c.loaded == 2) {
      EXPECT_STREQ(doc.Table().GetSchedule(0)->title, "first");
      EXPECT_EQ(TimeToSeconds(doc.Table().GetSchedule(1)->s), base + 7200);
    }
    // Saved back, the entries are numbered from 0 and the count is true.
    ASSERT_TRUE(doc.SaveSettings());
    EXPECT_EQ(ProfileStore::Load(Path()).GetInt("TV_REC_SCHEDULE", "sch_num", -1),
              c.loaded + c.surplus);
  }
}

TEST_F(SettingsFile, UnconvertibleTimesLoadAsAFinishedEntryWithDefinedTimes) {
  const int32_t s = T(At(2027, 1, 11, 21, 0));
  // An end before its start is taken like an end that cannot be converted,
  // so it cannot put the table out of order.
  Write("[TV_REC_SCHEDULE]\r\nsch_num=4\r\n" + EntryKeys(0, "both bad", -5, -1) +
        EntryKeys(1, "end bad", s, -1) + EntryKeys(2, "ok", s + 7200, s + 9000) +
        EntryKeys(3, "end first", s + 10800, 3600));
  CNimbraDoc doc(clock, prompt, debugLog, Path());
  doc.LoadSettings();
  const ScheduleTable& t = doc.Table();
  ASSERT_EQ(t.GetScheduleCount(), 4);
  EXPECT_EQ(t.GetSchedule(3)->state, kStateFinished);
  EXPECT_EQ(t.StartSeconds(3), s + 10800);
  EXPECT_EQ(t.EndSeconds(3), s + 10800);
  EXPECT_EQ(t.GetSchedule(0)->state, kStateFinished);
  EXPECT_EQ(t.GetSchedule(0)->s.wYear, 1970);
  EXPECT_EQ(t.GetSchedule(1)->state, kStateFinished);
  EXPECT_EQ(t.GetSchedule(1)->e, t.GetSchedule(1)->s);
  EXPECT_EQ(t.GetSchedule(2)->state, kStateWaiting);
}

TEST_F(SettingsFile, ShiftJisTitlesPassThroughAndLongOnesAreCutCleanly) {
  const std::string sjisTitle = "\x83\x5c\x83\x74\x83\x67\x95\x5c abc";  // 0x5C trail bytes
  std::string longTitle = "a";
  for (int i = 0; i < 300; ++i) longTitle += "\x95\x5c";
  const int32_t s = T(At(2027, 1, 11, 21, 0));
  Write("[TV_REC_SCHEDULE]\r\nsch_num=3\r\n" + EntryKeys(0, sjisTitle, s, s + 600) +
        EntryKeys(1, longTitle, s + 1200, s + 1800) + "sch_start[2]=" + std::to_string(s + 3600) +
        "\r\nsch_end[2]=" + std::to_string(s + 4000) + "\r\n");
  {
    CNimbraDoc doc(clock, prompt, debugLog, Path());
    doc.LoadSettings();
    EXPECT_EQ(std::string(doc.Table().GetSchedule(0)->title), sjisTitle);
    EXPECT_EQ(std::string(doc.Table().GetSchedule(1)->title), longTitle.substr(0, 511));
    EXPECT_EQ(SjisToUtf8(doc.Table().GetSchedule(2)->title), "タイトルなし");
    ASSERT_TRUE(doc.SaveSettings());
  }
  const ProfileStore saved = ProfileStore::Load(Path());
  EXPECT_EQ(saved.GetString("TV_REC_SCHEDULE", "sch_title[0]", ""), sjisTitle);
}

TEST_F(SettingsFile, SaveKeepsForeignSectionsCommentsAndLineEnds) {
  Write("; kept\n[section_smail]\nm_sm_server=smtp.example.jp\n[APP_MNG_INFO]\ndebug_flag=0\n"
        "wakeup_timer_name=custom\n[EPG_MANEGEMENT]\n.tvpi=OldTv.File\n.epg=\n");
  {
    CNimbraDoc doc(clock, prompt, debugLog, Path());
    doc.LoadSettings();
    EXPECT_STREQ(doc.AppInfo().GetWakeupTimerName(), "custom");
    EXPECT_STREQ(doc.AppInfo().Associations().LookupAssociation(".tvpi"), "OldTv.File");
    EXPECT_EQ(doc.AppInfo().Associations().LookupAssociation(".epg"), nullptr);
    doc.AppInfo().SetTvId(2);
    ASSERT_TRUE(doc.SaveSettings());
  }
  const std::string text = ReadAll(Path());
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.rfind("; kept\n[section_smail]\nm_sm_server=smtp.example.jp\n", 0), 0u);
  const ProfileStore saved = ProfileStore::Parse(text);
  EXPECT_EQ(saved.GetInt("APP_MNG_INFO", "tv_id", 0), 2);
  EXPECT_EQ(saved.GetString("APP_MNG_INFO", "wakeup_timer_name", ""), "custom");  // never written
  EXPECT_EQ(saved.GetString("EPG_MANEGEMENT", ".tvpi", ""), "OldTv.File");
  EXPECT_TRUE(saved.HasKey("EPG_MANEGEMENT", ".tvvi"));
  EXPECT_FALSE(saved.HasKey("APP_MNG_INFO", "item_num_max"));  // user settings off
}

TEST_F(SettingsFile, AFailedSaveSaysSoAndLeavesNothingBehind) {
  {
    CNimbraDoc doc(clock, prompt, debugLog, Path());
    doc.LoadSettings();
    // Something that cannot be replaced by a file comes to stand where the
    // settings go.
    std::filesystem::create_directory(std::filesystem::u8path(Path()));
    EXPECT_FALSE(doc.SaveSettings());
  }
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(Path())));
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::u8path(dir.path()))) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1u);  // no temporary file left beside it

  CNimbraDoc nowhere(clock, prompt, debugLog, dir.File("missing-folder/Nimbra.ini"));
  nowhere.LoadSettings();
  EXPECT_FALSE(nowhere.SaveSettings());
}

// A settings file that exists but cannot be read. Natively a folder stands
// for it (the tests may run with every right to read); the Windows build also
// tests a file that another program holds without sharing it.
class UnreadableSettingsFile : public SettingsFile {
 protected:
  void MakeUnreadable() { std::filesystem::create_directory(std::filesystem::u8path(Path())); }
  void MakeReadable(const std::string& text) {
    std::filesystem::remove(std::filesystem::u8path(Path()));
    Write(text);
  }
  std::string Stored() const {
    return "[section_smail]\r\nm_sm_server=smtp.example.jp\r\n[APP_MNG_INFO]\r\ntv_id=1\r\n"
           "[TV_REC_SCHEDULE]\r\nsch_num=1\r\n" +
           EntryKeys(0, "stored", T(At(2027, 2, 1, 21, 0)), T(At(2027, 2, 1, 22, 0)));
  }
  std::string Pending() const { return dir.File("Nimbra-unsaved.ini"); }
  bool Told(const std::string& part) const {
    for (const std::string& t : prompt.Texts())
      if (t.find(part) != std::string::npos) return true;
    return false;
  }
  int pauses = 0;
};

TEST_F(UnreadableSettingsFile, IsTriedAgainUntilItCanBeRead) {
  MakeUnreadable();
  CNimbraDoc doc(clock, prompt, debugLog, Path());
  // The backup tool lets go after the second try.
  doc.SetReadRetry(5, [&] {
    if (++pauses == 2) MakeReadable(Stored());
  });
  doc.LoadSettings();
  EXPECT_EQ(pauses, 2);
  EXPECT_FALSE(doc.IsSettingsFileUnread());
  ASSERT_EQ(doc.Table().GetScheduleCount(), 1);
  EXPECT_STREQ(doc.Table().GetSchedule(0)->title, "stored");
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(UnreadableSettingsFile, IsNeverWrittenAndWhatIsEnteredMeanwhileIsKeptAndMergedLater) {
  MakeUnreadable();
  {
    CNimbraDoc doc(clock, prompt, debugLog, Path());
    doc.SetReadRetry(3, [&] { ++pauses; });
    doc.LoadSettings();
    EXPECT_EQ(pauses, 2);
    EXPECT_TRUE(doc.IsSettingsFileUnread());
    EXPECT_TRUE(Told("設定ファイルを読み込めませんでした"));
    EXPECT_TRUE(Told(Pending()));  // the user learns where the edits go
    ScheduleEntry e{};
    e.s = At(2027, 2, 2, 21, 0);
    e.e = At(2027, 2, 2, 22, 0);
    std::strcpy(e.title, "meanwhile");
    ASSERT_EQ(doc.AddSchedule(e), 0);
    doc.AppInfo().SetTvId(2);
    EXPECT_TRUE(doc.SaveSettings());
  }
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(Path())));
  const ProfileStore pending = ProfileStore::Load(Pending());
  EXPECT_EQ(pending.GetString("TV_REC_SCHEDULE", "sch_title[0]", ""), "meanwhile");
  EXPECT_EQ(pending.GetInt("APP_MNG_INFO", "tv_id", 0), 2);
  EXPECT_FALSE(pending.HasKey("APP_MNG_INFO", "sel_ext"));  // only what the user changed

  // Readable again at the next start: both entries, the user's setting, the
  // plug-in's section; after the save the pending file is gone.
  MakeReadable(Stored());
  prompt.shown.clear();
  {
    CNimbraDoc doc(clock, prompt, debugLog, Path());
    doc.LoadSettings();
    EXPECT_FALSE(doc.IsSettingsFileUnread());
    EXPECT_TRUE(Told("合わせました"));
    ASSERT_EQ(doc.Table().GetScheduleCount(), 2);
    EXPECT_STREQ(doc.Table().GetSchedule(0)->title, "stored");
    EXPECT_STREQ(doc.Table().GetSchedule(1)->title, "meanwhile");
    EXPECT_EQ(doc.AppInfo().GetTvId(), 2);
    ASSERT_TRUE(doc.SaveSettings());
  }
  EXPECT_FALSE(FileExists(Pending()));
  const ProfileStore saved = ProfileStore::Load(Path());
  EXPECT_EQ(saved.GetInt("TV_REC_SCHEDULE", "sch_num", 0), 2);
  EXPECT_EQ(saved.GetString("section_smail", "m_sm_server", ""), "smtp.example.jp");
  CNimbraDoc again(clock, prompt, debugLog, Path());
  again.LoadSettings();
  EXPECT_EQ(again.Table().GetScheduleCount(), 2);
}

TEST_F(UnreadableSettingsFile, AFileTooLargeIsNotReadNorWritten) {
  Write(Stored());
  std::filesystem::resize_file(std::filesystem::u8path(Path()), kMaxProfileFileBytes + 1);
  CNimbraDoc doc(clock, prompt, debugLog, Path());
  doc.SetReadRetry(3, [&] { ++pauses; });
  doc.LoadSettings();
  EXPECT_EQ(pauses, 0);  // waiting does not make it smaller
  EXPECT_TRUE(doc.IsSettingsFileUnread());
  EXPECT_TRUE(Told("大きすぎる"));
  EXPECT_TRUE(doc.SaveSettings());
  EXPECT_EQ(std::filesystem::file_size(std::filesystem::u8path(Path())), kMaxProfileFileBytes + 1);
  EXPECT_EQ(ReadAll(Path()).substr(0, Stored().size()), Stored());
}

// A table that shrank leaves no keys of its removed entries behind; keys
// the program does not know stay.
TEST_F(SettingsFile, ASaveLeavesNoKeysOfEntriesBeyondTheCount) {
  const int32_t day = T(At(2027, 2, 1, 21, 0));
  Write("[TV_REC_SCHEDULE]\r\nsch_num=3\r\n" + EntryKeys(0, "a", day, day + 3600) +
        EntryKeys(1, "b", day + 86400, day + 90000) + EntryKeys(2, "c", day + 172800, day + 176400) +
        "sch_note[2]=kept\r\n");
  CNimbraDoc doc(clock, prompt, debugLog, Path());
  doc.LoadSettings();
  ASSERT_EQ(doc.Table().GetScheduleCount(), 3);
  doc.Table().DeleteSchedule(2);
  doc.Table().DeleteSchedule(0);
  ASSERT_TRUE(doc.SaveSettings());

  const ProfileStore saved = ProfileStore::Load(Path());
  EXPECT_EQ(saved.GetInt("TV_REC_SCHEDULE", "sch_num", 0), 1);
  EXPECT_EQ(saved.GetString("TV_REC_SCHEDULE", "sch_title[0]", ""), "b");
  std::vector<std::string> beyond;
  saved.ForEachKey("TV_REC_SCHEDULE", [&](std::string_view key) {
    if (key.find("[1]") != key.npos || key.find("[2]") != key.npos) beyond.emplace_back(key);
  });
  EXPECT_EQ(beyond, std::vector<std::string>{"sch_note[2]"});
}

// Another program (a second copy, an editor) wrote the settings file after
// the program read it.
class ChangedSettingsFile : public SettingsFile {
 protected:
  std::string Stored() const {
    return "[APP_MNG_INFO]\r\ntv_id=1\r\n[TV_REC_SCHEDULE]\r\nsch_num=1\r\n" +
           EntryKeys(0, "stored", T(At(2027, 2, 1, 21, 0)), T(At(2027, 2, 1, 22, 0)));
  }
  // The file as another copy that added an entry of its own writes it.
  std::string Theirs() const {
    return "[APP_MNG_INFO]\r\ntv_id=1\r\n[TV_REC_SCHEDULE]\r\nsch_num=2\r\n" +
           EntryKeys(0, "stored", T(At(2027, 2, 1, 21, 0)), T(At(2027, 2, 1, 22, 0))) +
           EntryKeys(1, "theirs", T(At(2027, 2, 3, 21, 0)), T(At(2027, 2, 3, 22, 0)));
  }
  std::string Pending() const { return dir.File("Nimbra-unsaved.ini"); }
  int Told(const std::string& part) const {
    int n = 0;
    for (const std::string& t : prompt.Texts()) n += t.find(part) != std::string::npos;
    return n;
  }
  void AddMine(CNimbraDoc& doc, int day) {
    ScheduleEntry e{};
    e.s = At(2027, 2, day, 21, 0);
    e.e = At(2027, 2, day, 22, 0);
    std::snprintf(e.title, sizeof e.title, "mine%d", day);
    ASSERT_GE(doc.AddSchedule(e), 0);
  }
};

TEST_F(ChangedSettingsFile, IsNeverSavedOverWhenTheSaveWouldUndoTheirChange) {
  struct Case {
    const char* what;
    std::function<void()> meanwhile;
    bool diverted;
  } const cases[] = {
      {"nobody wrote", [] {}, false},
      {"the mail page wrote its section",
       [this] { Write(Stored() + "[section_smail]\r\nm_sm_server=s\r\n"); },
       false},
      {"the user set the debug flag by hand",
       [this] { Write("[APP_MNG_INFO]\r\ndebug_flag=1\r\n" + Stored().substr(14)); },
       false},
      {"the file was deleted",
       [this] { std::filesystem::remove(std::filesystem::u8path(Path())); },
       false},
      {"another copy added an entry", [this] { Write(Theirs()); }, true},
      {"an editor changed a setting the program writes",
       [this] {
         std::string text = Stored();
         text.replace(text.find("tv_id=1"), 7, "tv_id=3");
         Write(text);
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(std::filesystem::u8path(Pending()));
    prompt.shown.clear();
    Write(Stored());
    CNimbraDoc doc(clock, prompt, debugLog, Path());
    doc.LoadSettings();
    c.meanwhile();
    const std::string before = FileExists(Path()) ? ReadAll(Path()) : "";
    AddMine(doc, 2);
    ASSERT_TRUE(doc.SaveSettings());
    AddMine(doc, 4);  // a second save: their change stays, ours goes on
    ASSERT_TRUE(doc.SaveSettings());

    EXPECT_EQ(doc.IsSettingsFileDiverted(), c.diverted);
    if (c.diverted) {
      EXPECT_EQ(ReadAll(Path()), before);
      const ProfileStore pending = ProfileStore::Load(Pending());
      EXPECT_EQ(pending.GetInt("TV_REC_SCHEDULE", "sch_num", 0), 3);
      EXPECT_EQ(pending.GetString("TV_REC_SCHEDULE", "sch_title[2]", ""), "mine4");
      EXPECT_FALSE(pending.HasKey("APP_MNG_INFO", "tv_id"));  // not changed here
      // Told once, with both files and how to take the entries over.
      EXPECT_EQ(Told("ほかのプログラム"), 1);
      EXPECT_EQ(Told(Path()), 1);
      EXPECT_EQ(Told(Pending()), 1);
      EXPECT_EQ(prompt.Texts().size(), 1u);
    } else {
      const ProfileStore saved = ProfileStore::Load(Path());
      EXPECT_EQ(saved.GetInt("TV_REC_SCHEDULE", "sch_num", 0), 3);
      EXPECT_EQ(saved.GetString("TV_REC_SCHEDULE", "sch_title[2]", ""), "mine4");
      if (before.find("m_sm_server") != std::string::npos) {
        EXPECT_EQ(saved.GetString("section_smail", "m_sm_server", ""), "s");
      }
      if (before.find("debug_flag") != std::string::npos) {
        EXPECT_EQ(saved.GetInt("APP_MNG_INFO", "debug_flag", 0), 1);
      }
      EXPECT_FALSE(FileExists(Pending()));
      EXPECT_TRUE(prompt.shown.empty());
    }
  }
}

// The next start merges what was saved aside: both copies' entries are
// there, and the pending file goes with the first save, unless it was
// written again since it was merged.
TEST_F(ChangedSettingsFile, TheNextStartTakesOverWhatWasSavedAside) {
  Write(Stored());
  {
    CNimbraDoc doc(clock, prompt, debugLog, Path());
    doc.LoadSettings();
    Write(Theirs());
    AddMine(doc, 2);
    ASSERT_TRUE(doc.SaveSettings());
    ASSERT_TRUE(doc.IsSettingsFileDiverted());
  }
  prompt.shown.clear();
  CNimbraDoc doc(clock, prompt, debugLog, Path());
  doc.LoadSettings();
  EXPECT_EQ(Told("合わせました"), 1);
  ASSERT_EQ(doc.Table().GetScheduleCount(), 3);
  EXPECT_STREQ(doc.Table().GetSchedule(0)->title, "stored");
  EXPECT_STREQ(doc.Table().GetSchedule(1)->title, "mine2");
  EXPECT_STREQ(doc.Table().GetSchedule(2)->title, "theirs");

  WriteAll(Pending(), "[TV_REC_SCHEDULE]\r\nsch_num=1\r\n" +
                          EntryKeys(0, "later", T(At(2027, 2, 5, 21, 0)), T(At(2027, 2, 5, 22, 0))));
  ASSERT_TRUE(doc.SaveSettings());
  EXPECT_FALSE(doc.IsSettingsFileDiverted());
  EXPECT_TRUE(FileExists(Pending()));  // written after the merge: kept for the next start
  ASSERT_TRUE(doc.SaveSettings());
  EXPECT_TRUE(FileExists(Pending()));
  EXPECT_EQ(ProfileStore::Load(Path()).GetInt("TV_REC_SCHEDULE", "sch_num", 0), 3);
}

TEST(AssociationTable, KeepsTheFirstRememberedAndOnePerExtension) {
  PreviousAssociationTable t;
  t.RememberAssociation(".tvpi", "A");
  t.RememberAssociation(".tvpi", "B");
  t.RememberAssociation(".tvvi", "C");
  t.RememberAssociation(".epg", "D");
  t.RememberAssociation(".php3", "E");
  t.RememberAssociation(".tvpid", "G");
  t.RememberAssociation(".xyz", "F");
  EXPECT_STREQ(t.LookupAssociation(".tvpi"), "A");
  EXPECT_STREQ(t.LookupAssociation(".php3"), "E");
  EXPECT_STREQ(t.LookupAssociation(".tvpid"), "G");
  EXPECT_EQ(t.LookupAssociation(".xyz"), nullptr);
  EXPECT_EQ(t.LookupAssociation(".TVPI"), nullptr);  // exact match only
}

}  // namespace
