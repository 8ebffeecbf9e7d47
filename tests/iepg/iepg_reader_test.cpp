// The iEPG reader over files shaped like the ones listings sites hand out.
#include <gtest/gtest.h>

#include "iepg/iepg_reader.h"
#include "platform/file.h"
#include "platform/text.h"
#include "support/scratch_dir.h"

namespace {

std::string Sjis(const char* utf8) { return Utf8ToSjis(utf8); }

// A version 1 file as sites serve it: CRLF, a content-type line, Shift-JIS
// texts, and a free-text body after an empty line.
std::string Version1() {
  return "Content-type: application/x-tv-program-info; charset=shift_jis\r\n"
         "version: 1\r\n"
         "station: " + Sjis("ＮＨＫ総合") + "\r\n"
         "year: 2030\r\n"
         "month: 05\r\n"
         "date: 31\r\n"
         "start: 23:30\r\n"
         "end: 00:30\r\n"
         "program-title: " + Sjis("ニュース７") + "\r\n"
         "\r\n" +
         Sjis("番組の内容です。") + "\r\n"
         "end: 03:00\r\n"
         "program-title: not a key here\r\n";
}

TEST(IepgReader, Version1WithCrlfAndABody) {
  const IepgProgram p = ParseIepg(Version1());
  EXPECT_EQ(p.year, 2030);
  EXPECT_EQ(p.month, 5);
  EXPECT_EQ(p.day, 31);
  EXPECT_EQ(p.startHour, 23);
  EXPECT_EQ(p.startMinute, 30);
  EXPECT_EQ(p.endHour, 0);
  EXPECT_EQ(p.endMinute, 30);
  EXPECT_EQ(p.title, Sjis("ニュース７"));  // no CR on the value
  EXPECT_EQ(p.found, kIepgDateTimeKeys | kIepgTitle);
}

TEST(IepgReader, Version2WithLfAndMoreKeys) {
  const std::string file =
      "Content-type: application/x-tv-program-digital-info; charset=shift_jis\n"
      "version: 2\n"
      "station: DFS00400\n"
      "station-name: " + Sjis("ＮＨＫ総合") + "\n"
      "year: 2030\n"
      "month: 6\n"
      "date: 1\n"
      "start: 25:30\n"
      "end: 26:00\n"
      "program-title: " + Sjis("深夜便") + "\n"
      "program-subtitle: sub\n"
      "program-id: 1234\n"
      "genre-1: 1\n"
      "\n"
      "year: 1999\n";
  const IepgProgram p = ParseIepg(file);
  EXPECT_EQ(p.year, 2030);
  EXPECT_EQ(p.startHour, 25);
  EXPECT_EQ(p.startMinute, 30);
  EXPECT_EQ(p.endHour, 26);
  EXPECT_EQ(p.title, Sjis("深夜便"));
}

TEST(IepgReader, LineEndsOfEveryKind) {
  for (const char* eol : {"\r\n", "\n", "\r"}) {
    const std::string e = eol;
    const IepgProgram p =
        ParseIepg("version: 1" + e + "year: 2030" + e + "program-title: ABC" + e + e + "date: 9");
    EXPECT_EQ(p.year, 2030);
    EXPECT_EQ(p.title, "ABC");
    EXPECT_EQ(p.found & kIepgDate, 0u) << "body read as header with " << (int)e[0];
  }
}

TEST(IepgReader, ValuesAndKeysAtTheEdges) {
  // No final newline; the last of a repeated key wins.
  EXPECT_EQ(ParseIepg("date: 3\ndate: 4\nprogram-title: ABC").title, "ABC");
  EXPECT_EQ(ParseIepg("date: 3\ndate: 4\nprogram-title: ABC").day, 4);
  // Keys need the blank after the colon and match exactly.
  EXPECT_EQ(ParseIepg("start:21:00\nStart: 21:00\n").found, 0u);
  // A time without a colon is that hour, minute 0.
  const IepgProgram hour = ParseIepg("start: 21\nend: 22:15\n");
  EXPECT_EQ(hour.startHour, 21);
  EXPECT_EQ(hour.startMinute, 0);
  EXPECT_EQ(hour.endMinute, 15);
  // Empty lines before the header do not start the body.
  EXPECT_EQ(ParseIepg("\r\n\r\nyear: 2030\r\n").year, 2030);
  // Outputs not given stay at their defined values.
  const IepgProgram none = ParseIepg("Content-type: text/plain\n\nhello\n");
  EXPECT_EQ(none.found, 0u);
  EXPECT_EQ(none.year, 0);
  EXPECT_EQ(none.title, "");
}

TEST(IepgReader, LongTitlesAreCutAtACharacterBoundary) {
  const IepgProgram ascii = ParseIepg("program-title: " + std::string(300, 'a') + "\nyear: 2030\n");
  EXPECT_EQ(ascii.title, std::string(255, 'a'));
  EXPECT_EQ(ascii.year, 2030);  // the rest of the long line is not a line of its own
  std::string kana;
  for (int i = 0; i < 150; ++i) kana += Sjis("あ");
  EXPECT_EQ(ParseIepg("program-title: " + kana + "\n").title, kana.substr(0, 254));
}

TEST(IepgReader, FilesAndTheWorkingCopy) {
  ScratchDir dir;
  const std::string src = dir.File("in.tvpi");
  const std::string copy = dir.File("default.pl");
  WriteAll(src, Version1());
  ASSERT_TRUE(TzCopyFile2File(src, copy));
  IepgProgram p;
  ASSERT_TRUE(iEPGDecode(copy, &p));
  EXPECT_EQ(p.title, Sjis("ニュース７"));

  WriteAll(copy, "old");
  EXPECT_FALSE(TzCopyFile2File(dir.File("missing.tvpi"), copy));
  EXPECT_EQ(ReadAll(copy), "old");  // nothing touched
  EXPECT_FALSE(TzCopyFile2File(src, dir.File("no-folder") + "/default.pl"));
  p.year = 7;
  EXPECT_FALSE(iEPGDecode(dir.File("missing.tvpi"), &p));
  EXPECT_EQ(p.year, 7);
}

}  // namespace
