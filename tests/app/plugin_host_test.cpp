// The plug-in host over real libraries built for the purpose: a complete
// one, one that lacks an export, one whose PLG_Init declines, and none.
#include "app/plugin_host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/file.h"
#include "platform/program_path.h"
#include "platform/shared_library.h"
#include "platform/text.h"
#include "schedule/schedule_entry.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace {

std::string TestLibrary(const char* variant) {
  return JoinPath(DirectoryOf(ProgramPath()), std::string("plgtest_") + variant + ".dll");
}

// A second reference to a test library, to read what it recorded; it keeps
// the library (and its record) alive across the host's unload.
class Recorder {
 public:
  explicit Recorder(const char* variant, int refuseParam = 0)
      : lib_(SharedLibrary::Open(TestLibrary(variant))) {
    EXPECT_TRUE(lib_) << TestLibrary(variant);
    if (lib_) lib_.Get<void (*)(int)>("TEST_Reset")(refuseParam);
  }
  std::string Log() const { return lib_ ? lib_.Get<const char* (*)()>("TEST_Log")() : ""; }
  std::string Param() const {
    int size = 0;
    const unsigned char* p = lib_.Get<const unsigned char* (*)(int*)>("TEST_Param")(&size);
    return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(size));
  }

 private:
  SharedLibrary lib_;
};

ScheduleEntry Entry() {
  ScheduleEntry e{};
  e.s = MakeSystemTime(2030, 5, 10, 21, 0, 0);
  e.e = MakeSystemTime(2030, 5, 10, 22, 0, 0);
  std::strcpy(e.title, "news");
  e.state = kStateRunning;
  return e;
}

TEST(PluginHost, CompletePluginRunsForASchedule) {
  Recorder rec("complete");
  ScriptedPrompt prompt;
  {
    CPluginHost host(prompt, TestLibrary("complete"));
    ASSERT_NE(host.GetContext(), nullptr);
    ASSERT_NE(host.GetFunctionTable(), nullptr);
    EXPECT_NE(host.GetFunctionTable()->PLG_AddPage, nullptr);
    EXPECT_STREQ(host.GetVersionText(), "plgtest 1.0");

    ScheduleEntry e = Entry();
    host.RunPlugin("smail", e);
    EXPECT_EQ(rec.Log(), "init;handle:smail;param:596;run;");
    EXPECT_EQ(rec.Param(), std::string(reinterpret_cast<const char*>(&e), sizeof e));
  }
  EXPECT_EQ(rec.Log(), "init;handle:smail;param:596;run;save;destroy;");
  EXPECT_TRUE(prompt.shown.empty());
}

TEST(PluginHost, RefusedParameterOrHandleStopsTheRun) {
  ScriptedPrompt prompt;
  {
    Recorder rec("complete", 1);
    CPluginHost host(prompt, TestLibrary("complete"));
    ScheduleEntry e = Entry();
    host.RunPlugin("smail", e);
    EXPECT_EQ(rec.Log(), "init;handle:smail;param:596;");
    host.RunPlugin("other", e);
  }
  EXPECT_EQ(prompt.Texts(), (std::vector<std::string>{"パラメータの設定に失敗しました。",
                                                      "ハンドルの取得に失敗しました。"}));
  EXPECT_EQ(prompt.shown[0].caption, "Nimbra");
}

TEST(PluginHost, LibraryWithoutPlugin) {
  const struct {
    const char* variant;
    const char* loadMessage;  // nullptr: no message while loading
    const char* log;          // what the library saw, start to unload
  } cases[] = {
      {"noexport", "PLG_Init open error.", ""},
      {"initzero", nullptr, "init;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.variant);
    Recorder rec(c.variant);
    ScriptedPrompt prompt;
    {
      CPluginHost host(prompt, TestLibrary(c.variant));
      EXPECT_EQ(host.GetContext(), nullptr);
      EXPECT_EQ(host.GetFunctionTable(), nullptr);
      EXPECT_EQ(host.GetVersionText(), nullptr);
      ScheduleEntry e = Entry();
      host.RunPlugin("smail", e);
    }
    std::vector<std::string> expected;
    if (c.loadMessage) expected.push_back(c.loadMessage);
    expected.push_back("ハンドルの取得に失敗しました。");
    EXPECT_EQ(prompt.Texts(), expected);
    EXPECT_EQ(rec.Log(), c.log);
  }
}

TEST(PluginHost, MissingLibrary) {
  ScriptedPrompt prompt;
  CPluginHost host(prompt, TestLibrary("missing"));
  EXPECT_EQ(host.GetContext(), nullptr);
  ASSERT_EQ(prompt.shown.size(), 1u);
  const std::string& text = prompt.shown[0].text;
  EXPECT_EQ(text.rfind("LoadLibrary() error.(", 0), 0u) << text;
  EXPECT_NE(text, "LoadLibrary() error.(0)");
  ScheduleEntry e = Entry();
  host.RunPlugin("smail", e);
  EXPECT_EQ(prompt.shown.back().text, "ハンドルの取得に失敗しました。");
}

TEST(PluginHost, PluginComesFromTheProgramsOwnFolderWhateverItsName) {
  // The folder's last character ends in the byte of '\' in Shift-JIS.
  const ScratchDir scratch;
  const std::string folder = scratch.File("番組表");
  // Put there by the file system's own joining, not by ours.
  const std::filesystem::path real = std::filesystem::u8path(folder);
  std::filesystem::create_directory(real);
  std::filesystem::copy_file(std::filesystem::u8path(PlatformLibraryName(TestLibrary("complete"))),
                             real / PlatformLibraryName("Pelluxdlg.dll"));
  ScriptedPrompt prompt;
  CPluginHost host(prompt, PluginPathFor(JoinPath(folder, "Nimbra.exe")));
  EXPECT_NE(host.GetContext(), nullptr);
  EXPECT_STREQ(host.GetVersionText(), "plgtest 1.0");
  EXPECT_TRUE(prompt.shown.empty()) << prompt.Texts()[0];
}

TEST(PluginHost, AnUnknownProgramFolderNeverLoadsAPluginByItsBareName) {
  // A plug-in planted in the current folder (a download folder) and the one
  // beside this test are both left alone.
  ScratchDir downloads;
  ASSERT_TRUE(CopyFileContents(PlatformLibraryName(TestLibrary("complete")),
                            downloads.File(PlatformLibraryName("Pelluxdlg.dll"))));
  downloads.MakeCurrent();
  ScriptedPrompt prompt;
  CPluginHost host(prompt, PluginPathFor(""));
  EXPECT_EQ(host.GetContext(), nullptr);
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].text.rfind("LoadLibrary() error.(", 0), 0u) << prompt.shown[0].text;
}

}  // namespace
