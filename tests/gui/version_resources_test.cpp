// The version resources of the three built deliverables, as Explorer shows
// them in a file's properties: the product's one version number (the
// plug-in keeps its own, 1.2.1.0), and the Japanese texts intact.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nimbra_version.h"
#include "platform/program_path.h"
#include "platform/win32/text_win.h"

namespace {

std::wstring StringValue(const std::vector<char>& info, const std::wstring& name) {
  void* value = nullptr;
  UINT chars = 0;
  const std::wstring path = L"\\StringFileInfo\\041104b0\\" + name;
  if (!VerQueryValueW(info.data(), path.c_str(), &value, &chars) || chars == 0) return L"";
  return static_cast<const wchar_t*>(value);
}

TEST(VersionResources, EveryDeliverableCarriesItsVersion) {
  const DWORD productMs = MAKELONG(NIMBRA_VERSION_MINOR, NIMBRA_VERSION_MAJOR);
  const DWORD productLs = MAKELONG(0, NIMBRA_VERSION_PATCH);
  const struct {
    const wchar_t* file;
    const wchar_t* description;
    DWORD ms, ls;
    const wchar_t* fileVersion;
    const wchar_t* productVersion;
  } deliverables[] = {
      {L"Nimbra.exe", L"Nimbra 録画予約に合わせた電源管理", productMs, productLs,
       L"" NIMBRA_FILE_VERSION_TEXT, L"" NIMBRA_VERSION_TEXT},
      {L"Pelluxdlg.dll", L"Nimbra 設定プラグイン（メール通知）", MAKELONG(2, 1), MAKELONG(0, 1),
       L"1.2.1.0", L"1.2.1.0"},
      {L"Pellux.dll", L"Nimbra メール送信ライブラリ", productMs, productLs,
       L"" NIMBRA_FILE_VERSION_TEXT, L"" NIMBRA_VERSION_TEXT},
  };
  const std::wstring folder = Utf8ToWide(DirectoryOf(ProgramPath()));
  for (const auto& d : deliverables) {
    SCOPED_TRACE(testing::Message() << WideToUtf8(d.file));
    const std::wstring file = folder + L"\\" + d.file;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource";
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, d.ms);
    EXPECT_EQ(fixed->dwFileVersionLS, d.ls);
    EXPECT_EQ(fixed->dwProductVersionMS, d.ms);
    EXPECT_EQ(fixed->dwProductVersionLS, d.ls);

    EXPECT_EQ(StringValue(info, L"FileVersion"), d.fileVersion);
    EXPECT_EQ(StringValue(info, L"ProductVersion"), d.productVersion);
    EXPECT_EQ(StringValue(info, L"ProductName"), L"Nimbra");
    EXPECT_EQ(StringValue(info, L"OriginalFilename"), d.file);
    EXPECT_EQ(StringValue(info, L"FileDescription"), d.description);
    EXPECT_EQ(StringValue(info, L"LegalCopyright"), L"" NIMBRA_COPYRIGHT);
  }
}

}  // namespace
