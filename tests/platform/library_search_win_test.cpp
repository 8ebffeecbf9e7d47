// After the start-up's narrowing, a library named without a folder is no
// longer found in the current folder (a download folder, where one may have
// been planted).
#include "platform/win32/library_search.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/file.h"
#include "platform/program_path.h"
#include "support/scratch_dir.h"

namespace {

TEST(LibrarySearch, APlantedLibraryInTheCurrentFolderIsNoLongerFoundByName) {
  // Any module will do as the plant: this test program itself.
  ScratchDir downloads;
  ASSERT_TRUE(CopyFileContents(ProgramPath(), downloads.File("nimbra_plant_a.dll")));
  ASSERT_TRUE(CopyFileContents(ProgramPath(), downloads.File("nimbra_plant_b.dll")));
  downloads.MakeCurrent();

  HMODULE before = LoadLibraryW(L"nimbra_plant_a.dll");
  EXPECT_NE(nullptr, before) << "the plant is found while the search takes the current folder";
  if (before) FreeLibrary(before);

  EXPECT_EQ(LibrarySearch::kSystemAndProgramFolder, RestrictLibrarySearch());
  HMODULE after = LoadLibraryW(L"nimbra_plant_b.dll");
  EXPECT_EQ(nullptr, after);
  if (after) FreeLibrary(after);
  // The system's own libraries are still found.
  EXPECT_NE(nullptr, LoadLibraryW(L"version.dll"));
}

}  // namespace
