// The plug-in binds the mail library from its own folder only, not from the
// current directory nor the program's folder (both hold one here).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "boundary/nimbra_boundary.h"
#include "platform/file.h"
#include "platform/program_path.h"
#include "platform/settings_path.h"
#include "platform/shared_library.h"
#include "recorder_support.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

TEST(PelluxdlgLibraryFolder, AMailLibraryElsewhereIsNeverLoaded) {
  const std::string bin = DirectoryOf(ProgramPath());
  const ScratchDir alone;
  const std::string copy = alone.File(PlatformLibraryName("Pelluxdlg.dll"));
  ASSERT_TRUE(CopyFileContents(JoinPath(bin, PlatformLibraryName("Pelluxdlg.dll")), copy));
  const fs::path home = fs::current_path();
  fs::current_path(bin);

  const std::string ini = SettingsFilePath();
  ASSERT_TRUE(WriteFileAtomically(
      ini, "[section_smail]\r\nm_sm_enable_check=1\r\nm_sm_server=smtp\r\nm_sm_path=" +
               RecorderPath() + "\r\nm_sm_src_addr=a@b\r\nm_sm_dst_addr=c@d\r\n"));
  ClearRecord();
  ScheduleEntry record;
  std::memset(&record, 0, sizeof record);

  for (const std::string& plugin : {copy, JoinPath(bin, "Pelluxdlg.dll")}) {
    SharedLibrary lib = SharedLibrary::Open(plugin);
    ASSERT_TRUE(lib) << plugin;
    auto init = lib.Get<PlgInitFn>("PLG_Init");
    auto destroy = lib.Get<PlgDestroyFn>("PLG_Destroy");
    auto getHandle = lib.Get<PlgGetPropertyHandleFn>("PLG_GetPropertyHandle");
    auto setParam = lib.Get<ProSetParamFn>("PRO_SetParam");
    auto run = lib.Get<ProRunFn>("PRO_Run");
    PluginManager* m = init();  // the copy reports "Pellux.dll open error."
    PropertyHandle* h = getHandle(m, "smail");
    ASSERT_EQ(setParam(h, &record, 596), 1);
    run(h);
    destroy(m);
    EXPECT_EQ(RecordedArguments().has_value(), plugin != copy) << plugin;
    ClearRecord();
  }

  RemoveFile(ini);
  fs::current_path(home);
}

}  // namespace
