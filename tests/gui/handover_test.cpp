// The running program's checks on a path another process hands it: only a
// full path of an existing regular iEPG file within the size bound passes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/win/instance_handover.h"
#include "platform/win32/text_win.h"
#include "program_driver.h"
#include "support/scratch_dir.h"

namespace {

TEST(HandedPath, OnlyAFullPathOfAnExistingIepgFileWithinTheBoundPasses) {
  ScratchDir dir;
  const std::wstring folder = Utf8ToWide(dir.path());
  ASSERT_TRUE(gui::WriteFileBytes(folder + L"\\a.tvpid", "version: 2\r\n"));
  ASSERT_TRUE(gui::WriteFileBytes(folder + L"\\B.TVPI", "version: 1\r\n"));
  ASSERT_TRUE(gui::WriteFileBytes(folder + L"\\big.tvpi", std::string((1 << 20) + 1, 'x')));
  ASSERT_TRUE(gui::WriteFileBytes(folder + L"\\run.exe", "MZ"));
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\dir.tvpi").c_str(), nullptr));
  const struct {
    std::wstring path;
    bool accepted;
  } cases[] = {
      {folder + L"\\a.tvpid", true},
      {folder + L"\\B.TVPI", true},  // extensions in any case
      {L"a.tvpid", false},           // relative to whatever folder the receiver has
      {folder + L"\\missing.tvpi", false},
      {folder + L"\\dir.tvpi", false},
      {folder + L"\\big.tvpi", false},
      {folder + L"\\run.exe", false},
      {L"\\\\.\\C:\\x.tvpi", false},
      {L"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckHandedPath(c.path).empty(), c.accepted) << WideToUtf8(c.path);
  }
}

TEST(HandedPath, AMessageWithoutTheKeyIsRefused) {
  CHandoverReceiver receiver;  // never published: no key anyone could know
  std::string refusal;
  COPYDATASTRUCT data{0x4E494D42, 0, nullptr};
  EXPECT_EQ(receiver.Accept(data, &refusal), L"");
  EXPECT_FALSE(refusal.empty());
}

}  // namespace
