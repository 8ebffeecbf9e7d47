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

// Reading trims blanks and takes off enclosing quotes; a value set with
// either reads back as it was set, also after a save, and a line break in a
// value cannot start a key of its own.
TEST(ProfileStore, EveryValueSetReadsBackAfterTheFileIsWrittenAndRead) {
  const std::string values[] = {" leading", "trailing\t", "\"quoted\"", "'single'", "\"",
                                "a \"b\" c", "\x95\x5c\x20"};
  ProfileStore store;
  int i = 0;
  for (const std::string& v : values) store.SetString("S", "k" + std::to_string(i++), v);
  store.SetString("S", "broken", "x\r\nsch_num=5\ry");
  const ProfileStore again = ProfileStore::Parse(store.Serialize());
  i = 0;
  for (const std::string& v : values)
    EXPECT_EQ(again.GetString("S", "k" + std::to_string(i++), "?"), v);
  EXPECT_EQ(again.GetString("S", "broken", "?"), "x  sch_num=5 y");
  EXPECT_FALSE(again.HasKey("S", "sch_num"));
}

namespace {

// What the program read (or last wrote), what the file holds at the save,
// and what the save would write over it: only a value someone else changed
// that the save would change again is theirs to lose.
TEST(ProfileStore, OverwritesOnlyWhatOthersChangedAndTheSaveWouldChangeAgain) {
  const std::string read = "[A]\r\nsch_num=2\r\nlead=60\r\ndebug_flag=0\r\n[mail]\r\nto=a\r\n";
  struct Case {
    const char* what;
    std::string now;
    std::string after;
    bool overwrites;
  } const cases[] = {
      {"nobody else wrote", read, "[A]\r\nsch_num=3\r\nlead=60\r\ndebug_flag=0\r\n[mail]\r\nto=a\r\n",
       false},
      {"another copy added an entry", "[A]\r\nsch_num=3\r\nlead=60\r\ndebug_flag=0\r\n[mail]\r\nto=a\r\n",
       "[A]\r\nsch_num=2\r\nlead=60\r\ndebug_flag=0\r\n[mail]\r\nto=a\r\n", true},
      {"a key we write, changed to another value",
       "[A]\r\nsch_num=2\r\nlead=300\r\ndebug_flag=0\r\n[mail]\r\nto=a\r\n",
       "[A]\r\nsch_num=2\r\nLEAD=120\r\ndebug_flag=0\r\n[mail]\r\nto=a\r\n", true},
      {"a key changed to just what we write",
       "[A]\r\nsch_num=3\r\nlead=60\r\ndebug_flag=0\r\n[mail]\r\nto=a\r\n",
       "[A]\r\nsch_num=3\r\nlead=60\r\ndebug_flag=0\r\n[mail]\r\nto=a\r\n", false},
      {"a key only others write (the plug-in's page, a hand-set debug flag)",
       "[A]\r\nsch_num=2\r\nlead=60\r\ndebug_flag=1\r\n[mail]\r\nto=b\r\n",
       "[A]\r\nsch_num=4\r\nlead=60\r\ndebug_flag=1\r\n[mail]\r\nto=b\r\n", false},
      {"a key others added, taken out by the save",
       "[A]\r\nsch_num=2\r\nlead=60\r\nsch_title[2]=new\r\n[mail]\r\nto=a\r\n",
       "[A]\r\nsch_num=2\r\nlead=60\r\n[mail]\r\nto=a\r\n", true},
      {"a key others took out, written again", "[A]\r\nlead=60\r\ndebug_flag=0\r\n",
       "[A]\r\nsch_num=2\r\nlead=60\r\ndebug_flag=0\r\n", true},
      {"only blanks and comments differ", "; mine\r\n[A]\r\n sch_num = 2\r\n\r\nlead=60\r\ndebug_flag=0\n[mail]\nto=a",
       "[A]\r\nsch_num=5\r\nlead=60\r\ndebug_flag=0\r\n[mail]\r\nto=a\r\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ProfileStore::OverwritesChanges(ProfileStore::Parse(read), ProfileStore::Parse(c.now),
                                              ProfileStore::Parse(c.after)),
              c.overwrites);
  }
}

TEST(ProfileStore, RemovedKeysAreGoneAndTheRestIsFoundAsBefore) {
  ProfileStore store = ProfileStore::Parse(
      "[S]\r\nsch_num=1\r\nsch_title[0]=a\r\nsch_title[1]=b\r\n; note\r\nsch_start[1]=5\r\n"
      "sch_start[0]=4\r\n\r\n[T]\r\nsch_title[1]=kept\r\n");
  store.RemoveKeys("s", [](std::string_view key) { return key.find("[1]") != key.npos; });
  EXPECT_EQ(store.Serialize(),
            "[S]\r\nsch_num=1\r\nsch_title[0]=a\r\n; note\r\nsch_start[0]=4\r\n\r\n[T]\r\n"
            "sch_title[1]=kept\r\n");
  EXPECT_FALSE(store.HasKey("S", "sch_start[1]"));
  EXPECT_EQ(store.GetString("S", "sch_start[0]", ""), "4");
  store.SetString("S", "sch_title[1]", "c");
  store.SetString("S", "sch_title[0]", "z");
  EXPECT_EQ(store.Serialize(),
            "[S]\r\nsch_num=1\r\nsch_title[0]=z\r\n; note\r\nsch_start[0]=4\r\nsch_title[1]=c\r\n"
            "\r\n[T]\r\nsch_title[1]=kept\r\n");
}

}  // namespace
