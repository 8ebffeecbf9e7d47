// The Windows registry behind IRegistry, on the test prefix's own per-user
// classes only: every key lives under a name of this test and is removed
// afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include "iepg/file_association.h"
#include "iepg/recording_launcher.h"
#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/launcher.h"
#include "platform/program_path.h"
#include "platform/system_registry.h"
#include "platform/win32/handle.h"
#include "platform/win32/text_win.h"
#include "schedule/nimbra_doc.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace {

class WinRegistry : public ::testing::Test {
 protected:
  WinRegistry() : name_(".nimbratest" + std::to_string(GetCurrentProcessId())) {}
  ~WinRegistry() override {
    for (const std::string& key : {name_, Viewer()}) {
      RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + Wide(key)).c_str());
      RegDeleteKeyW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + Wide(key)).c_str());
    }
  }
  static std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
  const std::string& Name() const { return name_; }
  // A file type of this test that opens files with a viewer.
  std::string Viewer() const { return name_.substr(1) + ".viewer"; }

  IRegistry& registry = SystemRegistry();

 private:
  std::string name_;
};

TEST_F(WinRegistry, CreatesReadsAndWritesUserClasses) {
  const RegistryRoot user = RegistryRoot::kUserClasses;
  EXPECT_FALSE(registry.KeyExists(user, Name()));
  EXPECT_EQ(registry.ReadString(user, Name(), ""), std::nullopt);
  EXPECT_EQ(registry.CreateKey(user, Name() + "\\shell\\open"), KeyStatus::kCreated);
  EXPECT_EQ(registry.CreateKey(user, Name() + "\\shell\\open"), KeyStatus::kExisted);
  EXPECT_EQ(registry.CreateKey(user, Name()), KeyStatus::kExisted);
  EXPECT_EQ(registry.ReadString(user, Name(), ""), std::nullopt);  // no default value yet

  EXPECT_TRUE(registry.WriteString(user, Name(), "", "nimbra file"));
  EXPECT_TRUE(registry.WriteString(user, Name() + "\\shell\\open\\Command", "",
                                   "C:\\Nimbra\\Nimbra.exe \"%1\""));
  EXPECT_TRUE(registry.WriteString(user, Name(), "Named", ""));
  EXPECT_EQ(registry.ReadString(user, Name(), ""), "nimbra file");
  EXPECT_EQ(registry.ReadString(user, Name(), "Named"), "");
  EXPECT_EQ(registry.ReadString(user, Name() + "\\SHELL\\open\\command", ""),
            "C:\\Nimbra\\Nimbra.exe \"%1\"");

  // Stored as REG_SZ with its terminating zero.
  wchar_t buf[64];
  DWORD type = 0, bytes = sizeof buf;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + Wide(Name())).c_str(),
                         nullptr, RRF_RT_ANY, &type, buf, &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes, (std::wcslen(L"nimbra file") + 1) * sizeof(wchar_t));

  // The classes root shows the user's classes.
  EXPECT_TRUE(registry.KeyExists(RegistryRoot::kClassesRoot, Name()));
  EXPECT_EQ(registry.ReadString(RegistryRoot::kClassesRoot, Name(), ""), "nimbra file");
}

TEST_F(WinRegistry, AssociatesAnExtensionAndReadsItBack) {
  ScratchDir dir;
  FakeClock clock;
  ScriptedPrompt prompt;
  CDebugLog debugLog;
  CNimbraDoc doc(clock, prompt, debugLog, dir.File("Nimbra.ini"));
  doc.LoadSettings();
  RecordingLauncher launcher;
  const bool hadProgId = registry.KeyExists(RegistryRoot::kUserClasses, kProgId);
  ASSERT_TRUE(registry.WriteString(RegistryRoot::kUserClasses, Viewer() + "\\shell\\open\\command",
                                   "", "\"C:\\Viewer\\viewer.exe\" \"%1\""));
  ASSERT_TRUE(registry.WriteString(RegistryRoot::kUserClasses, Name(), "", Viewer()));
  CFileAssociation assoc(doc, CoreServices{clock, prompt, debugLog}, registry, launcher,
                         ProgramPath());
  EXPECT_EQ(assoc.AssociateExtension(Name(), OpenCommandFor(ProgramPath())),
            AssociationResult::kDone);
  EXPECT_EQ(registry.ReadString(RegistryRoot::kClassesRoot, Name(), ""), "Tz_auto");
  EXPECT_EQ(doc.AppInfo().Associations().LookupAssociation(Name()), Viewer());
  EXPECT_EQ(registry.ReadString(RegistryRoot::kClassesRoot, "Tz_auto\\shell\\open\\Command", ""),
            OpenCommandFor(ProgramPath()));
  EXPECT_EQ(assoc.UnassociateExtension(Name()), AssociationResult::kDone);
  EXPECT_EQ(registry.ReadString(RegistryRoot::kClassesRoot, Name(), ""), Viewer());
  if (!hadProgId) RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\Tz_auto");
  if (!hadProgId) RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Classes\\Tz_auto");
}

// The program Windows starts for the open command, given the opened file.
std::wstring ProgramStartedBy(std::string command, const std::string& file) {
  command.replace(command.find("%1"), 2, file);
  std::wstring line = Utf8ToWide(command);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      nullptr, &si, &pi))
    return L"";
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
  wchar_t image[MAX_PATH];
  DWORD n = MAX_PATH;
  const bool named = QueryFullProcessImageNameW(process.get(), 0, image, &n) != 0;
  TerminateProcess(process.get(), 0);
  return named ? std::wstring(image, n) : L"";
}

// A blank in the program's folder (a user name with a blank) must not let a
// program named after the path's first word start instead.
TEST_F(WinRegistry, TheOpenCommandStartsThisProgramWhenItsFolderHasABlank) {
  ScratchDir dir;
  const std::wstring folder = Utf8ToWide(dir.File("Taro Yamada"));
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring self = Utf8ToWide(ProgramPath());
  const std::wstring ours = folder + L"\\Nimbra.exe";
  ASSERT_TRUE(CopyFileW(self.c_str(), ours.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(self.c_str(), Utf8ToWide(dir.File("Taro.exe")).c_str(), FALSE));
  const std::wstring started =
      ProgramStartedBy(OpenCommandFor(WideToUtf8(ours)), dir.File("program.tvpi"));
  EXPECT_EQ(0, _wcsicmp(started.c_str(), ours.c_str())) << WideToUtf8(started);
}

TEST_F(WinRegistry, RegExeExportsAKeyAndIsWaitedFor) {
  // A class every Windows (and Wine prefix) has; only read.
  const std::string ext = ".ini";
  if (!registry.KeyExists(RegistryRoot::kClassesRoot, ext)) GTEST_SKIP() << "no " << ext;
  ScratchDir dir;
  FakeClock clock;
  ScriptedPrompt prompt;
  CDebugLog debugLog;
  CNimbraDoc doc(clock, prompt, debugLog, dir.File("Nimbra.ini"));
  doc.LoadSettings();
  CFileAssociation assoc(doc, CoreServices{clock, prompt, debugLog}, registry, SystemLauncher(),
                         ProgramPath());
  ASSERT_TRUE(assoc.ExportRegistryKey(ext, "test.reg", dir.path()));
  const std::string bytes = ReadAll(dir.File("test.reg"));
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");  // UTF-16LE, as the backup appends it
  EXPECT_FALSE(assoc.ExportRegistryKey(Name() + "missing", "none.reg", dir.path()));
  EXPECT_FALSE(FileExists(dir.File("none.reg")));
}

}  // namespace
