// The version texts of the built plug-in (its version resource is checked
// with the other deliverables' in the GUI resources test).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/program_path.h"
#include "platform/win32/handle.h"
#include "platform/win32/text_win.h"

namespace {

std::wstring PluginFile() {
  return Utf8ToWide(JoinPath(DirectoryOf(ProgramPath()), "Pelluxdlg.dll"));
}

TEST(PelluxdlgResources, StringTableHoldsTheVersionTexts) {
  UniqueModule module(LoadLibraryExW(PluginFile().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(module);
  wchar_t buf[64];
  ASSERT_GT(LoadStringW(module.get(), 1, buf, 64), 0);
  EXPECT_EQ(std::wstring(buf), L"1.2.1");
  ASSERT_GT(LoadStringW(module.get(), 2, buf, 64), 0);
  EXPECT_EQ(std::wstring(buf), L"DLL Version");
}

}  // namespace
