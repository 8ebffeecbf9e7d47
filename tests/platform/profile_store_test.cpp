#include "platform/profile_store.h"

#include <gtest/gtest.h>

#include "support/scratch_dir.h"

namespace {

TEST(ProfileStore, ReadsWithPrivateProfileSemantics) {
  const ProfileStore store = ProfileStore::Parse(
      "; a comment\r\n"
      "[App_Mng_Info]\r\n"
      "  Debug_Flag =  2  \r\n"
      "tv_id=12abc\r\n"
      "neg=-42\r\n"
      "plus=+7\r\n"
      "empty=\r\n"
      "quoted=\"  spaced  \"\r\n"
      "dup=first\r\n"
      "dup=second\r\n"
      "[other]\r\n"
      "tv_id=99\r\n");
  EXPECT_EQ(store.GetInt("app_mng_info", "debug_flag", 0), 2);
  EXPECT_EQ(store.GetInt("APP_MNG_INFO", "tv_id", 0), 12);  // leading digits only
  EXPECT_EQ(store.GetInt("APP_MNG_INFO", "neg", 0), -42);
  EXPECT_EQ(store.GetInt("APP_MNG_INFO", "plus", 0), 7);
  EXPECT_EQ(store.GetInt("APP_MNG_INFO", "empty", 5), 0);    // present but no number
  EXPECT_EQ(store.GetInt("APP_MNG_INFO", "missing", 5), 5);  // absent: the default
  EXPECT_EQ(store.GetString("APP_MNG_INFO", "quoted", ""), "  spaced  ");
  EXPECT_EQ(store.GetString("APP_MNG_INFO", "dup", ""), "first");
  EXPECT_EQ(store.GetString("nosuch", "tv_id", "def"), "def");
  EXPECT_EQ(store.GetInt("OTHER", "TV_ID", 0), 99);
  EXPECT_FALSE(store.HasKey("APP_MNG_INFO", "; a comment"));
}

TEST(ProfileStore, KeepsEverythingItDoesNotChangeByteForByte) {
  const std::string text =
      "; header comment\r\n"
      "[section_smail]\r\n"
      "m_sm_server=mail.example.jp\r\n"
      "\r\n"
      "[TV_REC_SCHEDULE]\r\n"
      "junk line without equals\r\n"
      "sch_num = 1 \r\n"
      "sch_title[0]=\x83\x5c\x83\x74\x83\x67\x95\x5c\r\n"  // "ソフト表": 0x5C trail bytes
      "[Unknown]\r\n"
      "x=y";  // no final newline
  ProfileStore store = ProfileStore::Parse(text);
  EXPECT_EQ(store.Serialize(), text);
  EXPECT_EQ(store.GetString("TV_REC_SCHEDULE", "sch_title[0]", ""),
            "\x83\x5c\x83\x74\x83\x67\x95\x5c");

  store.SetInt("TV_REC_SCHEDULE", "sch_num", 2);
  store.SetString("Unknown", "z", "w");
  store.SetString("section_smail", "m_sm_to", "a@b.jp");
  store.SetString("NEW", "k", "v");
  EXPECT_EQ(store.Serialize(),
            "; header comment\r\n"
            "[section_smail]\r\n"
            "m_sm_server=mail.example.jp\r\n"
            "m_sm_to=a@b.jp\r\n"
            "\r\n"
            "[TV_REC_SCHEDULE]\r\n"
            "junk line without equals\r\n"
            "sch_num=2\r\n"
            "sch_title[0]=\x83\x5c\x83\x74\x83\x67\x95\x5c\r\n"
            "[Unknown]\r\n"
            "x=y\r\n"
            "z=w\r\n"
            "[NEW]\r\n"
            "k=v\r\n");
}

TEST(ProfileStore, AcceptsEveryLineEndAndWritesNewLinesInTheFilesOwn) {
  ProfileStore lf = ProfileStore::Parse("[a]\nk=1\n");
  lf.SetInt("a", "n", 2);
  EXPECT_EQ(lf.Serialize(), "[a]\nk=1\nn=2\n");

  const ProfileStore cr = ProfileStore::Parse("[a]\rk=1\rj=2");
  EXPECT_EQ(cr.GetInt("a", "k", 0), 1);
  EXPECT_EQ(cr.GetInt("a", "j", 0), 2);

  ProfileStore empty = ProfileStore::Parse("");
  empty.SetString("s", "k", "v");
  EXPECT_EQ(empty.Serialize(), "[s]\r\nk=v\r\n");
}

TEST(ProfileStore, SavesAtomicallyAndLoadsWhatItSaved) {
  ScratchDir dir;
  const std::string path = dir.File("Nimbra.ini");
  EXPECT_EQ(ProfileStore::Load(path).Serialize(), "");  // a missing file reads as empty

  ProfileStore store;
  store.SetInt("APP_MNG_INFO", "tv_id", 2);
  ASSERT_TRUE(store.Save(path));
  EXPECT_EQ(ReadAll(path), "[APP_MNG_INFO]\r\ntv_id=2\r\n");
  EXPECT_EQ(ProfileStore::Load(path).GetInt("app_mng_info", "TV_ID", 0), 2);

  // A folder that does not exist cannot be written: failure, nothing else.
  EXPECT_FALSE(store.Save(dir.File("no-such-folder/Nimbra.ini")));
}

}  // namespace
