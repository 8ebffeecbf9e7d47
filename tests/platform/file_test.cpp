// Bounded reads that tell a missing file from one that cannot be read, and
// the save's temporary file.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "platform/file.h"
#include "platform/profile_store.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(ReadFileBounded, TellsMissingUnreadableAndTooLargeApart) {
  ScratchDir dir;
  WriteAll(dir.File("four"), "1234");
  fs::create_directory(fs::u8path(dir.File("folder")));
  const struct {
    std::string name;
    size_t bound;
    FileReadStatus status;
    std::string bytes;
  } cases[] = {
      {"four", 4, FileReadStatus::kRead, "1234"},
      {"four", 3, FileReadStatus::kTooLarge, ""},
      {"missing", 4, FileReadStatus::kMissing, ""},
      {"no-folder/x", 4, FileReadStatus::kMissing, ""},
      {"folder", 4, FileReadStatus::kUnreadable, ""},
  };
  for (const auto& c : cases) {
    const FileRead r = ReadFileBounded(dir.File(c.name), c.bound);
    EXPECT_EQ(r.status, c.status) << c.name << " " << c.bound;
    EXPECT_EQ(r.bytes, c.bytes) << c.name;
  }
}

TEST(ProfileStoreLoad, AStoreOfAFileNotReadIsNeverSaved) {
  ScratchDir dir;
  fs::create_directory(fs::u8path(dir.File("Nimbra.ini")));
  FileReadStatus status{};
  const ProfileStore unread = ProfileStore::Load(dir.File("Nimbra.ini"), &status);
  EXPECT_EQ(status, FileReadStatus::kUnreadable);
  EXPECT_TRUE(unread.IsUnread());
  EXPECT_FALSE(unread.Save(dir.File("other.ini")));
  EXPECT_FALSE(FileExists(dir.File("other.ini")));
  EXPECT_FALSE(ProfileStore::Load(dir.File("missing.ini")).IsUnread());
}

TEST(WriteFileAtomically, TheTemporaryNameCannotBeGuessedNorTakenOver) {
  ScratchDir dir;
  const std::string path = dir.File("Nimbra.ini");
  std::set<std::string> names;
  for (int i = 0; i < 50; ++i) {
    const std::string tmp = TemporaryNameBeside(path);
    EXPECT_EQ(tmp.rfind(path + ".", 0), 0u);
    EXPECT_GE(tmp.size(), path.size() + 1 + 12 + 4);
    names.insert(tmp);
  }
  EXPECT_EQ(names.size(), 50u);

  // Created only where nothing has the name: an existing file is not opened
  // (nor emptied), a link not followed.
  WriteAll(dir.File("taken"), "kept");
  EXPECT_EQ(CreateNewFile(dir.File("taken")), nullptr);
  EXPECT_EQ(ReadAll(dir.File("taken")), "kept");
  std::error_code linkError;
  fs::create_symlink(fs::u8path(dir.File("taken")), fs::u8path(dir.File("link")), linkError);
  if (!linkError) {
    EXPECT_EQ(CreateNewFile(dir.File("link")), nullptr);
    EXPECT_EQ(ReadAll(dir.File("taken")), "kept");
  }
  UniqueFile fresh(CreateNewFile(dir.File("fresh")));
  ASSERT_TRUE(fresh);
  EXPECT_TRUE(FinishFile(fresh));

  ASSERT_TRUE(WriteFileAtomically(path, "x"));
  EXPECT_EQ(ReadAll(path), "x");
  size_t files = 0;
  for (const auto& e : fs::directory_iterator(fs::u8path(dir.path()))) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 3u + (linkError ? 0u : 1u));  // taken, fresh, Nimbra.ini, link: no temporary left
}

}  // namespace
