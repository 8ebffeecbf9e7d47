// The plug-in as the program uses it: loaded by its bare name, bound by name,
// reading the test program's own settings file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "boundary/nimbra_boundary.h"
#include "platform/file.h"
#include "platform/profile_store.h"
#include "platform/program_path.h"
#include "platform/settings_path.h"
#include "platform/shared_library.h"
#include "recorder_support.h"

using ::testing::ElementsAre;

namespace {

struct Pelluxdlg {
  SharedLibrary lib;
  PlgInitFn init = nullptr;
  PlgDestroyFn destroy = nullptr;
  PlgLoadFn load = nullptr;
  PlgSaveFn save = nullptr;
  PlgRunFn run = nullptr;
  PlgRunInitFn runInit = nullptr;
  PlgGetSizeFn getSize = nullptr;
  PlgAddPageFn addPage = nullptr;
  PlgGetVersionFn getVersion = nullptr;
  PlgGetPluginFn getPlugin = nullptr;
  PlgGetPluginFn setPlugin = nullptr;
  PlgGetPropertyHandleFn getHandle = nullptr;
  ProSetParamFn setParam = nullptr;
  ProGetParamSizeFn getParamSize = nullptr;
  ProRunFn proRun = nullptr;
  ProRunInitFn proRunInit = nullptr;

  bool Bind(const std::string& path) {
    lib = SharedLibrary::Open(path);
    init = lib.Get<PlgInitFn>("PLG_Init");
    destroy = lib.Get<PlgDestroyFn>("PLG_Destroy");
    load = lib.Get<PlgLoadFn>("PLG_Load");
    save = lib.Get<PlgSaveFn>("PLG_Save");
    run = lib.Get<PlgRunFn>("PLG_Run");
    runInit = lib.Get<PlgRunInitFn>("PLG_RunInit");
    getSize = lib.Get<PlgGetSizeFn>("PLG_GetSize");
    addPage = lib.Get<PlgAddPageFn>("PLG_AddPage");
    getVersion = lib.Get<PlgGetVersionFn>("PLG_GetVersion");
    getPlugin = lib.Get<PlgGetPluginFn>("PLG_GetPlugin");
    setPlugin = lib.Get<PlgGetPluginFn>("PLG_SetPlugin");
    getHandle = lib.Get<PlgGetPropertyHandleFn>("PLG_GetPropertyHandle");
    setParam = lib.Get<ProSetParamFn>("PRO_SetParam");
    getParamSize = lib.Get<ProGetParamSizeFn>("PRO_GetParamSize");
    proRun = lib.Get<ProRunFn>("PRO_Run");
    proRunInit = lib.Get<ProRunInitFn>("PRO_RunInit");
    return init && destroy && load && save && run && runInit && getSize && addPage &&
           getVersion && getPlugin && setPlugin && getHandle && setParam && getParamSize &&
           proRun && proRunInit;
  }
};

const std::string kReserved = "\x97\x5c\x96\xf1\x82\xb5\x82\xbd\x82\xe6";  // 予約したよ

ScheduleEntry Record(const std::string& title) {
  ScheduleEntry p;
  std::memset(&p, 0, sizeof p);
  p.s = MakeSystemTime(2010, 3, 5, 21, 0, 0);
  p.e = MakeSystemTime(2010, 3, 5, 22, 30, 0);
  std::memcpy(p.title, title.data(), title.size());
  return p;
}

std::string Settings(int enable, const std::string& subject = "Rec") {
  return "[APP_MNG_INFO]\r\ntv_id=1\r\n[section_smail]\r\nm_sm_enable_check=" +
         std::to_string(enable) + "\r\nm_sm_server=smtp\r\nm_sm_path=" + RecorderPath() +
         "\r\nm_sm_src_addr=a@b\r\nm_sm_dst_addr=c@d\r\nm_sm_title=" + subject + "\r\n";
}

class PelluxdlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(p_.Bind(JoinPath(DirectoryOf(ProgramPath()), "Pelluxdlg.dll"))) << "the plug-in beside the test program";
    ini_ = SettingsFilePath();
    ClearRecord();
  }
  void TearDown() override {
    p_.destroy(manager_);
    RemoveFile(ini_);
  }
  void Start(const std::string& settings) {
    ASSERT_TRUE(WriteFileAtomically(ini_, settings));
    manager_ = p_.init();
    ASSERT_NE(manager_, nullptr);
  }
  std::vector<std::string> Recorded() {
    return RecordedArguments().value_or(std::vector<std::string>{"<not run>"});
  }

  Pelluxdlg p_;
  PluginManager* manager_ = nullptr;
  std::string ini_;
};

TEST_F(PelluxdlgTest, OneMailItemWithVersionAndHandle) {
  Start(Settings(0));
  EXPECT_EQ(p_.getSize(manager_), 1);
  const char* version = nullptr;
  p_.getVersion(manager_, &version);
  ASSERT_NE(version, nullptr);
  EXPECT_STREQ(version, "DLL Version 1.2.1");

  PropertyHandle* h = p_.getHandle(manager_, "smail");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(p_.getHandle(manager_, "smail"), h);
  for (const char* other : {"SMAIL", "smail ", "smai", "", static_cast<const char*>(nullptr)})
    EXPECT_EQ(p_.getHandle(manager_, other), nullptr) << (other ? other : "null");
  EXPECT_EQ(p_.getParamSize(h), 596);
  EXPECT_EQ(p_.runInit(manager_), 1);
  EXPECT_EQ(p_.proRunInit(h), 0);
  p_.addPage(nullptr, manager_);
}

TEST_F(PelluxdlgTest, NullAndForeignPointersGetNeutralResults) {
  int x = 0;
  EXPECT_EQ(p_.getPlugin(&x), &x);
  EXPECT_EQ(p_.setPlugin(&x), &x);
  EXPECT_EQ(p_.getPlugin(nullptr), nullptr);

  p_.destroy(nullptr);
  p_.load(nullptr);
  p_.save(nullptr);
  p_.run(nullptr);
  p_.addPage(nullptr, nullptr);
  EXPECT_EQ(p_.runInit(nullptr), 1);
  EXPECT_EQ(p_.getSize(nullptr), 0);
  const char* version = "untouched";
  p_.getVersion(nullptr, &version);
  EXPECT_STREQ(version, "untouched");
  EXPECT_EQ(p_.getHandle(nullptr, "smail"), nullptr);

  const ScheduleEntry record = Record("T");
  EXPECT_EQ(p_.setParam(nullptr, &record, 596), 0);
  EXPECT_EQ(p_.getParamSize(nullptr), 0);
  EXPECT_EQ(p_.proRun(nullptr), 0);

  // A handle outlives its manager only as a pointer: it is refused.
  Start(Settings(1));
  PropertyHandle* stale = p_.getHandle(manager_, "smail");
  p_.destroy(manager_);
  manager_ = nullptr;
  EXPECT_EQ(p_.getParamSize(stale), 0);
  EXPECT_EQ(p_.setParam(stale, &record, 596), 0);
  EXPECT_EQ(p_.proRun(stale), 0);
  EXPECT_FALSE(RecordedArguments());
}

TEST_F(PelluxdlgTest, RunSendsNothingWithMailOff) {
  Start(Settings(0));
  PropertyHandle* h = p_.getHandle(manager_, "smail");
  const ScheduleEntry record = Record("T");
  EXPECT_EQ(p_.setParam(h, &record, 596), 1);
  EXPECT_EQ(p_.proRun(h), 0);
  p_.run(manager_);
  EXPECT_FALSE(RecordedArguments());
}

TEST_F(PelluxdlgTest, RunMailsTheRecordAsTheProgramHandsItOver) {
  Start(Settings(1, "Rec done"));
  PropertyHandle* h = p_.getHandle(manager_, "smail");
  const std::string title = kReserved + R"( & del /q *.* | rm -rf ~; $(reboot) "x")";
  const ScheduleEntry record = Record(title);
  ASSERT_EQ(p_.setParam(h, &record, 596), 1);
  EXPECT_EQ(p_.proRun(h), 0);
  // The title's quotes reach the mailer as the full-width ＂ (Shift-JIS FA 57).
  const std::string sent = kReserved + " & del /q *.* | rm -rf ~; $(reboot) \xFA\x57x\xFA\x57";
  EXPECT_THAT(Recorded(),
              ElementsAre("-hsmtp", "-fa@b", "-sRec done",
                          "-T20100305_21:00:00--20100305_22:30:00___" + sent, "c@d"));
}

TEST_F(PelluxdlgTest, WrongSizesLeaveTheStoredRecord) {
  Start(Settings(1));
  PropertyHandle* h = p_.getHandle(manager_, "smail");
  const ScheduleEntry first = Record("first");
  const ScheduleEntry second = Record("second");
  ASSERT_EQ(p_.setParam(h, &first, 596), 1);
  EXPECT_EQ(p_.setParam(h, &second, 595), 0);
  EXPECT_EQ(p_.setParam(h, &second, 597), 0);
  EXPECT_EQ(p_.setParam(h, nullptr, 596), 0);
  p_.run(manager_);
  EXPECT_THAT(Recorded(), ElementsAre("-hsmtp", "-fa@b", "-sRec",
                                      "-T20100305_21:00:00--20100305_22:30:00___first", "c@d"));
}

TEST_F(PelluxdlgTest, SaveWritesTheSectionBesideTheProgramsAndLoadRereadsIt) {
  Start(Settings(1, "old"));
  ASSERT_TRUE(WriteFileAtomically(ini_, Settings(1, "new") + "[EPG_MANEGEMENT]\r\n.tvpi=x\r\n"));
  p_.load(manager_);
  PropertyHandle* h = p_.getHandle(manager_, "smail");
  const ScheduleEntry record = Record("T");
  ASSERT_EQ(p_.setParam(h, &record, 596), 1);
  p_.proRun(h);
  EXPECT_EQ(Recorded().at(2), "-snew");

  p_.save(manager_);
  const ProfileStore store = ProfileStore::Load(ini_);
  EXPECT_EQ(store.GetString("APP_MNG_INFO", "tv_id", ""), "1");
  EXPECT_EQ(store.GetString("EPG_MANEGEMENT", ".tvpi", ""), "x");
  EXPECT_EQ(store.GetString("section_smail", "m_sm_title", ""), "new");
  EXPECT_EQ(store.GetString("section_smail", "m_sm_temp_check", ""), "0");
  EXPECT_EQ(store.GetString("section_smail", "m_sm_temp_path", "<missing>"), "");
}

}  // namespace
