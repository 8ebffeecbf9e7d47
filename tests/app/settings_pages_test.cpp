#include "app/settings_pages.h"

#include <gtest/gtest.h>

#include "app/program_options.h"
#include "notify/notify_message.h"
#include "platform/text.h"
#include "platform/startup_entries.h"
#include "schedule/app_settings.h"
#include "support/fakes.h"
#include "support/user_settings.h"

namespace {

// ---- EPG page ----

TEST(EpgPage, ShownSiteIsTheStoredOneOrTheFirstBeyondTheList) {
  const struct {
    uint8_t stored;
    int shown;
  } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 0}, {255, 0}};
  for (const auto& c : cases) EXPECT_EQ(c.shown, ShownSite(c.stored)) << int(c.stored);
}

TEST(EpgPage, SiteAtApplyIsTheFirstCheckedOrStaysWithNone) {
  const struct {
    std::array<bool, 3> checked;
    uint8_t current, expected;
  } cases[] = {
      {{true, false, false}, 2, 0},
      {{false, true, false}, 0, 1},
      {{false, false, true}, 0, 2},
      {{false, true, true}, 0, 1},  // several checked: site order decides
      {{false, false, false}, 7, 7},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, SiteFromChecks(c.checked, c.current));
}

TEST(EpgPage, ExtensionBitsFollowTheirBoxes) {
  // Boxes in order: .tvvi, .tvpi, .php3, .epg, .tvpid (the last one added
  // last, so that stored values keep their meaning).
  const struct {
    std::array<bool, 5> checked;
    uint8_t bits;
  } cases[] = {
      {{false, false, false, false, false}, 0x0}, {{true, false, false, false, false}, 0x1},
      {{false, true, false, false, false}, 0x2},  {{false, false, true, false, false}, 0x4},
      {{false, false, false, true, false}, 0x8},  {{false, false, false, false, true}, 0x10},
      {{false, true, false, true, false}, 0xA},   {{true, true, true, true, true}, 0x1F},
  };
  for (const auto& c : cases) EXPECT_EQ(c.bits, ExtensionsFromChecks(c.checked)) << int(c.bits);
}

TEST(EpgPage, APathOf255BytesIsTakenAndOneOf256IsRefusedKeepingTheOld) {
  ScriptedPrompt prompt;
  std::string path = "C:\\old\\rec.exe";
  EXPECT_TRUE(TakeTvAppPath(prompt, std::string(255, 'a'), &path));
  EXPECT_EQ(std::string(255, 'a'), path);
  EXPECT_TRUE(prompt.shown.empty());

  // The limit is on the stored form: 127 double-byte characters are 254
  // bytes in Shift-JIS (381 in UTF-8), 128 are 256.
  std::string wide;
  for (int i = 0; i < 127; ++i) wide += "録";
  EXPECT_TRUE(TakeTvAppPath(prompt, wide, &path));
  EXPECT_EQ(wide, path);
  path = "C:\\old\\rec.exe";
  EXPECT_FALSE(TakeTvAppPath(prompt, wide + "録", &path));
  EXPECT_EQ("C:\\old\\rec.exe", path);
  ASSERT_EQ(1u, prompt.shown.size());
  EXPECT_NE(std::string::npos, prompt.shown[0].text.find("長すぎます"));
}

TEST(EpgPage, APathThatShiftJisCannotHoldIsRefusedKeepingTheOld) {
  ScriptedPrompt prompt;
  std::string path = "C:\\old\\rec.exe";
  for (const char* bad : {"C:\\Zoë\\rec.exe", "C:\\¥\\rec.exe"}) {
    EXPECT_FALSE(TakeTvAppPath(prompt, bad, &path)) << bad;
    EXPECT_EQ("C:\\old\\rec.exe", path);
  }
  ASSERT_EQ(2u, prompt.shown.size());
  EXPECT_EQ(0u, prompt.shown[0].text.find("録画ソフトのパスに、設定ファイル（Shift-JIS）に保存できない文字"))
      << prompt.shown[0].text;
  EXPECT_TRUE(TakeTvAppPath(prompt, "C:\\TV\\番組表\\rec.exe", &path));
  EXPECT_EQ("C:\\TV\\番組表\\rec.exe", path);
}

TEST(EpgPage, AnEmptyTypedPathIsTaken) {
  // Clearing the box is how the user removes the recording program.
  ScriptedPrompt prompt;
  std::string path = "C:\\old\\rec.exe";
  EXPECT_TRUE(TakeTvAppPath(prompt, "", &path));
  EXPECT_EQ("", path);
}

TEST(EpgPage, BrowseTakesAChosenPathRefusesAnEmptyOneAndIgnoresCancel) {
  ScriptedPrompt prompt;
  std::string path = "C:\\old\\rec.exe";
  EXPECT_EQ(BrowseOutcome::kCancelled, TakeBrowsedTvAppPath(prompt, std::nullopt, &path));
  EXPECT_EQ("C:\\old\\rec.exe", path);
  EXPECT_TRUE(prompt.shown.empty());

  EXPECT_EQ(BrowseOutcome::kRefused, TakeBrowsedTvAppPath(prompt, std::string(), &path));
  EXPECT_EQ("C:\\old\\rec.exe", path);
  ASSERT_EQ(1u, prompt.shown.size());
  EXPECT_EQ("録画ソフトのexeファイルを指定して下さい", prompt.shown[0].text);
  EXPECT_EQ("", prompt.shown[0].caption);

  EXPECT_EQ(BrowseOutcome::kRefused, TakeBrowsedTvAppPath(prompt, std::string(300, 'x'), &path));
  EXPECT_EQ("C:\\old\\rec.exe", path);

  EXPECT_EQ(BrowseOutcome::kTaken, TakeBrowsedTvAppPath(prompt, std::string("D:\\tv.exe"), &path));
  EXPECT_EQ("D:\\tv.exe", path);
}

// ---- User page ----

TEST(UserPage, EveryOfferedValueHasItsPositionAndOthersTheFirst) {
  const int32_t capacities[] = {10, 20, 30, 40, 50, 100, 500, 1000};
  const int32_t leads[] = {0, 10, 20, 30, 40, 50, 60, 90, 120};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(i, CapacityIndex(capacities[i])) << capacities[i];
  for (int i = 0; i < 9; ++i) EXPECT_EQ(i, LeadIndex(leads[i])) << leads[i];
  EXPECT_EQ(7, CapacityIndex(1000));
  EXPECT_EQ(0, CapacityIndex(15));
  EXPECT_EQ(0, LeadIndex(45));
  EXPECT_EQ(0, LeadIndex(-10));
}

TEST(UserPage, OpensWithTheValuesInForceWhenTheUserSettingsAreOn) {
  CAppMngInfo info;
  info.GetUserSetting() = UserParam(500, SleepMode::kStandby, 0, 90, 1, 1);
  info.GetUserValues() = UserParam(20, SleepMode::kHibernate, 1, 10, 0, 0);
  const UserPageValues v = InitialUserPageValues(info);
  UserPageValues expected;
  expected.m_param = info.GetUserSetting();
  EXPECT_EQ(expected, v);
}

TEST(UserPage, OpensWithTheStoredValuesWhenTheUserSettingsAreOff) {
  CAppMngInfo info;
  info.GetUserSetting() = UserParam(10, SleepMode::kHibernate, 1, 0, 0, 0);
  info.GetUserValues() = UserParam(20, SleepMode::kStandby, 0, 30, 0, 5);
  const UserPageValues v = InitialUserPageValues(info);
  UserPageValues expected;
  expected.m_param = info.GetUserValues();  // the Start menu's 5 taken as it is
  EXPECT_EQ(expected, v);
}

TEST(UserPage, LoadingFlattensFlagsToZeroOrOne) {
  UserPageValues v;
  LoadFromParam(v, UserParam(30, SleepMode::kHibernate, -1, 0, 0, 0));
  EXPECT_EQ(1, v.m_param.finish_act);
}

TEST(UserPage, DefaultsAreHibernationShutdownTenNoLeadAndTheWakeDefaultsKeepingTheSwitch) {
  UserPageValues v;
  v.m_param = UserParam(500, SleepMode::kStandby, 0, 90, 1, 1);
  v.m_param.wakeup_lead_sec = 180;
  v.m_param.stay_awake_gap_sec = 900;
  LoadDefaults(v);
  UserPageValues expected;
  expected.m_param = UserParam(10, SleepMode::kHibernate, 1, 0, 1, 0);
  expected.m_param.wakeup_lead_sec = 60;
  expected.m_param.stay_awake_gap_sec = 300;
  EXPECT_EQ(expected, v);
}

TEST(UserPage, ApplyReadsTheRadioPairs) {
  const struct {
    bool standby, sameAsOthers;
    SleepMode sleep;
    int32_t finish;
  } cases[] = {{false, false, SleepMode::kHibernate, 1},
               {true, false, SleepMode::kStandby, 1},
               {false, true, SleepMode::kHibernate, 0},
               {true, true, SleepMode::kStandby, 0}};
  for (const auto& c : cases) {
    CAppMngInfo info;
    UserPageValues v;
    v.m_param.user_enable = 1;
    UserPageControls controls;
    controls.standby = c.standby;
    controls.sameAsOthers = c.sameAsOthers;
    ApplyUserPage(v, controls, info);
    EXPECT_EQ(c.sleep, info.GetUserSetting().sleep_flag) << c.standby << c.sameAsOthers;
    EXPECT_EQ(c.finish, info.GetUserSetting().finish_act) << c.standby << c.sameAsOthers;
  }
}

TEST(UserPage, ApplyWithTheUserSettingsOnPutsTheChosenValuesInForceAndStoresThem) {
  CAppMngInfo info;
  info.GetUserSetting() = UserParam(10, SleepMode::kHibernate, 1, 0, 0, 0);
  info.GetUserValues() = UserParam(10, SleepMode::kHibernate, 1, 0, 0, 0);
  info.GetUserValues().wakeup_lead_sec = 180;  // stored, not in force until now
  UserPageValues v = InitialUserPageValues(info);
  v.m_param.user_enable = 1;
  v.m_param.smenu_fhock = 1;
  UserPageControls controls;
  controls.standby = true;
  controls.capacitySelection = 7;
  controls.leadSelection = 8;
  ApplyUserPage(v, controls, info);
  const CUserSetParam& eff = info.GetUserSetting();
  EXPECT_EQ(1000, eff.item_num_max);
  EXPECT_EQ(120, eff.epg_offset);
  EXPECT_EQ(SleepMode::kStandby, eff.sleep_flag);
  EXPECT_EQ(1, eff.finish_act);
  EXPECT_EQ(1, eff.user_enable);
  EXPECT_EQ(1, eff.smenu_fhock);
  EXPECT_EQ(180, eff.wakeup_lead_sec);  // saving writes it back, not the default
  const CUserSetParam& own = info.GetUserValues();
  EXPECT_EQ(1000, own.item_num_max);
  EXPECT_EQ(120, own.epg_offset);
  EXPECT_EQ(SleepMode::kStandby, own.sleep_flag);
  EXPECT_EQ(1, own.smenu_fhock);
}

TEST(UserPage, ApplyWithTheUserSettingsOffPutsTheDefaultsInForceAndKeepsTheStoredValues) {
  CAppMngInfo info;
  info.GetUserSetting() = UserParam(500, SleepMode::kStandby, 0, 60, 1, 1);
  info.GetUserSetting().stay_awake_gap_sec = 900;
  info.GetUserValues() = UserParam(500, SleepMode::kStandby, 0, 60, 0, 1);
  info.GetUserValues().stay_awake_gap_sec = 900;
  UserPageValues v = InitialUserPageValues(info);
  v.m_param.user_enable = 0;  // the box was just cleared
  UserPageControls controls;
  controls.standby = true;
  controls.sameAsOthers = true;
  controls.capacitySelection = 6;
  controls.leadSelection = 6;
  ApplyUserPage(v, controls, info);
  const CUserSetParam& eff = info.GetUserSetting();
  EXPECT_EQ(10, eff.item_num_max);
  EXPECT_EQ(0, eff.epg_offset);
  EXPECT_EQ(SleepMode::kHibernate, eff.sleep_flag);
  EXPECT_EQ(1, eff.finish_act);
  EXPECT_EQ(0, eff.user_enable);
  EXPECT_EQ(0, eff.smenu_fhock);
  EXPECT_EQ(300, eff.stay_awake_gap_sec);
  // What the file keeps as the user's own values is not touched.
  EXPECT_EQ(500, info.GetUserValues().item_num_max);
  EXPECT_EQ(900, info.GetUserValues().stay_awake_gap_sec);
  EXPECT_EQ(60, info.GetUserValues().epg_offset);
}

TEST(UserPage, ApplyReadsNoSelectionOrOneBeyondTheListAsTheFirstItem) {
  for (int selection : {-1, 9, 100}) {  // 8 capacities, 9 lead values
    CAppMngInfo info;
    UserPageValues v;
    v.m_param.user_enable = 1;
    UserPageControls controls;
    controls.capacitySelection = selection;
    controls.leadSelection = selection;
    ApplyUserPage(v, controls, info);
    EXPECT_EQ(10, info.GetUserSetting().item_num_max) << selection;
    EXPECT_EQ(0, info.GetUserSetting().epg_offset) << selection;
  }
}

// ---- User page: the wake lists and the start with Windows ----

TEST(UserPage, AWakeListOffersItsValuesAndKeepsAStoredOneThatIsNotOffered) {
  using V = std::vector<int32_t>;
  EXPECT_EQ(SecondsChoices(kWakeLeadValues, 60), (V{0, 30, 60, 120, 180, 300}));
  EXPECT_EQ(SecondsChoices(kWakeLeadValues, 45), (V{0, 30, 45, 60, 120, 180, 300}));
  EXPECT_EQ(SecondsChoices(kWakeLeadValues, 3600), (V{0, 30, 60, 120, 180, 300, 3600}));
  EXPECT_EQ(SecondsChoices(kStayAwakeGapValues, 1), (V{0, 1, 120, 300, 600, 900}));
}

TEST(UserPage, ApplyTakesThePickedWakeSecondsOrKeepsTheStoredOnes) {
  CAppMngInfo info;
  info.GetUserSetting().user_enable = 1;
  info.GetUserSetting().wakeup_lead_sec = 45;  // hand-edited, not offered
  info.GetUserSetting().stay_awake_gap_sec = 300;
  UserPageValues v = InitialUserPageValues(info);
  UserPageControls controls;
  controls.stayAwakeGapSec = 900;  // the lead's list left as shown
  ApplyUserPage(v, controls, info);
  EXPECT_EQ(45, info.GetUserSetting().wakeup_lead_sec);
  EXPECT_EQ(900, info.GetUserSetting().stay_awake_gap_sec);
  EXPECT_EQ(45, info.GetUserValues().wakeup_lead_sec);  // what the file will hold
  EXPECT_EQ(900, info.GetUserValues().stay_awake_gap_sec);
}

TEST(StartWithWindows, TheBoxFollowsOnlyAValueThatStartsThisProgram) {
  const std::string self = "C:\\Users\\u\\Downloads\\Nimbra\\Nimbra.exe";
  const std::string ours = StartupCommand(self);
  EXPECT_EQ(ours, "\"C:\\Users\\u\\Downloads\\Nimbra\\Nimbra.exe\" /tray");
  const std::string installed = "C:\\Users\\u\\AppData\\Local\\Programs\\Nimbra\\Nimbra.exe";
  // Per Run value: what the box shows, the copy it names, and what OK does
  // with the box left as shown and with it clicked once.
  const struct {
    std::optional<std::string> stored;
    bool ticked;
    std::string other;
    StartupChange leftAsShown, clicked;
  } rows[] = {
      {std::nullopt, false, "", StartupChange::kNone, StartupChange::kWrite},
      {ours, true, "", StartupChange::kNone, StartupChange::kRemove},
      // this program, written by hand or by an older version
      {"c:\\users\\u\\downloads\\nimbra\\NIMBRA.EXE /tray", true, "", StartupChange::kWrite,
       StartupChange::kRemove},
      {"\"C:/Users/u/Downloads/Nimbra/Nimbra.exe\"", true, "", StartupChange::kWrite,
       StartupChange::kRemove},
      // another copy: named, kept until the user ticks the box
      {StartupCommand(installed), false, installed, StartupChange::kNone, StartupChange::kWrite},
      {"C:\\Program Files\\Nimbra\\Nimbra.exe /tray", false, "C:\\Program Files\\Nimbra\\Nimbra.exe",
       StartupChange::kNone, StartupChange::kWrite},
      {"\"C:\\Users\\u\\Downloads\\Nimbra\\Nimbra.exe.bak\"", false,
       "C:\\Users\\u\\Downloads\\Nimbra\\Nimbra.exe.bak", StartupChange::kNone,
       StartupChange::kWrite},
      {"  ", false, "  ", StartupChange::kNone, StartupChange::kWrite},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.stored.value_or("(none)"));
    StartupReading now;
    now.command = r.stored;
    const StartupBoxState state = ReadStartupBox(now, self);
    EXPECT_EQ(r.ticked, state.ticked);
    EXPECT_EQ(r.other, state.otherProgram);
    EXPECT_EQ(r.leftAsShown, DecideStartupChange(state.ticked, now, ours, self));
    EXPECT_EQ(r.clicked, DecideStartupChange(!state.ticked, now, ours, self));
  }
}

TEST(StartWithWindows, ApplyWritesAndRemovesTheValueAndReportsAFailure) {
  MemoryStartupEntries entries;
  const std::string self = "C:\\Nimbra\\Nimbra.exe";
  const std::string ours = StartupCommand(self);
  EXPECT_EQ("", ApplyStartupBox(entries, true, ours, self));
  EXPECT_EQ(ours, entries.Read(kStartupEntryName).command);
  EXPECT_EQ("", ApplyStartupBox(entries, false, ours, self));
  EXPECT_FALSE(entries.Read(kStartupEntryName).command);

  entries.FailWith(SystemCause::kAccessDenied);
  const std::string message = ApplyStartupBox(entries, true, ours, self);
  EXPECT_NE(std::string::npos, message.find("Windowsの起動時にNimbraを起動する")) << message;
  EXPECT_NE(std::string::npos, message.find("（アクセスが拒否されました）")) << message;
  // An unticked box over a key that cannot be read tries nothing.
  EXPECT_EQ("", ApplyStartupBox(entries, false, ours, self));
}

// ---- 通知 page ----

TEST(NotifyPage, AnAddressIsTakenOnlyWhenItCanBeUsed) {
  EXPECT_EQ("", WebhookUrlProblem(""));
  EXPECT_EQ("", WebhookUrlProblem("https://discord.com/api/webhooks/1/x"));
  EXPECT_EQ("", WebhookUrlProblem("http://127.0.0.1:8080/hook"));
  for (const char* bad : {"http://example.com/hook", "ftp://example.com/", "https://例え.jp/x",
                          "discord.com/api"}) {
    EXPECT_NE("", WebhookUrlProblem(bad)) << bad;
  }
  EXPECT_EQ("送信しました（HTTP 204）", TestOutcomeText(PostOutcome{true, 204, "HTTP 204"}));
  EXPECT_EQ("送信できませんでした: HTTP 404（URLが見つかりません）",
            TestOutcomeText(PostOutcome{false, 404, "HTTP 404（URLが見つかりません）"}));
}

TEST(NotifyPage, TemplatesAreShownAndKeptAsTheSettingsHoldThem) {
  // Nothing stored: the built-in one shows, with the edit's CR LF lines.
  const std::string shown = TemplateShown("", kDefaultNotifyBody);
  EXPECT_NE(shown.find("SCH_EVENT\r\n番組: SCH_TITLE\r\n"), std::string::npos);
  // Left as it was, it is not stored: it goes on following the program's.
  EXPECT_EQ(TakeTemplate(shown, kDefaultNotifyBody, 4095).stored, "");
  EXPECT_EQ(TakeTemplate(shown, kDefaultNotifyBody, 4095).problem, "");

  const TemplateTaken edited = TakeTemplate("録画: SCH_TITLE\r\n表示\r\n", kDefaultNotifyBody, 4095);
  EXPECT_EQ(edited.problem, "");
  EXPECT_EQ(edited.stored, Utf8ToSjis("録画: SCH_TITLE\\n表示\\n"));
  EXPECT_EQ(TemplateShown(edited.stored, kDefaultNotifyBody), "録画: SCH_TITLE\r\n表示\r\n");

  EXPECT_NE(TakeTemplate("録画 \xF0\x9F\x93\xBA", kDefaultNotifySubject, 1023).problem, "");
  EXPECT_NE(TakeTemplate(std::string(20, 'x'), kDefaultNotifySubject, 19).problem, "");
  EXPECT_NE(NotifyKeysText().find("SCH_VERDICT　"), std::string::npos);
  EXPECT_NE(NotifyKeysText().find("SCH_TITLE　タイトル\r\n"), std::string::npos);
}

}  // namespace
