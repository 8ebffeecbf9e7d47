// The version texts and the version resource of the built plug-in.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/program_path.h"
#include "platform/win32/handle.h"
#include "platform/win32/text_win.h"

namespace {

std::wstring PluginFile() {
  return AnsiToWide(JoinPath(DirectoryOf(ProgramPath()), "Pelluxdlg.dll"));
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

TEST(PelluxdlgResources, VersionResourceIs1210) {
  const std::wstring file = PluginFile();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len));
  EXPECT_EQ(info->dwFileVersionMS, MAKELONG(2, 1));
  EXPECT_EQ(info->dwFileVersionLS, MAKELONG(0, 1));
  EXPECT_EQ(info->dwProductVersionMS, MAKELONG(2, 1));
  EXPECT_EQ(info->dwProductVersionLS, MAKELONG(0, 1));
}

}  // namespace
