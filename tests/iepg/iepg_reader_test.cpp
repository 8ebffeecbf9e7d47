// The iEPG reader over small files shaped like the ones listings sites and
// recorders write: version 1, version 2, several programmes in one file, and
// the ways writers differ.
#include <gtest/gtest.h>

#include "iepg/iepg_reader.h"
#include "platform/file.h"
#include "platform/text.h"
#include "support/scratch_dir.h"

namespace {

std::string Sjis(const char* utf8) { return Utf8ToSjis(utf8); }

// A version 1 file as sites serve it: CRLF, a content-type line, Shift-JIS
// texts, and a free-text body after an empty line that looks like keys.
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

std::string Version2(const std::string& station, const std::string& eol = "\r\n") {
  return "Content-type: application/x-tv-program-digital-info; charset=shift_jis" + eol +
         "version: 2" + eol + "station: " + station + eol + "station-name: " + Sjis("ＢＳ朝日") +
         eol + "year: 2030" + eol + "month: 6" + eol + "date: 1" + eol + "start: 21:00" + eol +
         "end: 21:54" + eol + "program-title: " + Sjis("旅番組") + eol + "program-id: 4660" +
         eol + eol + "body" + eol;
}

std::string Part(const char* start, const char* end, const char* title) {
  return std::string("Content-type: application/x-tv-program-digital-info; charset=shift_jis\r\n"
                     "version: 2\r\nstation: DFS00400\r\nyear: 2030\r\nmonth: 6\r\ndate: 2\r\n"
                     "start: ") + start + "\r\nend: " + end + "\r\nprogram-title: " + title +
         "\r\n\r\nprogram-id: 99\r\n";
}

std::string Multi(int parts, bool closed = true) {
  std::string f =
      "Content-type: application/x-multi-tv-program-digital-info; charset=shift_jis\r\n"
      "version: 2\r\nmulti-program-title: " + Sjis("今週のおすすめ") +
      "\r\nboundary: ==XYZ==\r\n\r\n==XYZ==\r\n";
  const char* starts[] = {"19:00", "21:00", "23:30"};
  const char* ends[] = {"20:00", "22:00", "00:30"};
  const char* titles[] = {"one", "two", "three"};
  for (int i = 0; i < parts; ++i) {
    f += Part(starts[i], ends[i], titles[i]);
    f += i + 1 < parts ? "==XYZ==\r\n" : (closed ? "==XYZ==--\r\n" : "");
  }
  return f;
}

struct Case {
  const char* name;
  std::string file;
  IepgShape shape;
  size_t programs;
  // The first programme: date, times, title.
  int year, month, day, startHour, startMinute, endHour, endMinute;
  std::string title;
  bool window;  // HasValidWindow of the first programme
};

TEST(IepgReader, FilesOfEveryShape) {
  const Case cases[] = {
      {"version 1", Version1(), IepgShape::kSingle, 1, 2030, 5, 31, 23, 30, 0, 30,
       Sjis("ニュース７"), true},
      {"version 2 terrestrial", Version2("DFS00400"), IepgShape::kSingle, 1, 2030, 6, 1, 21, 0,
       21, 54, Sjis("旅番組"), true},
      {"version 2 satellite, LF only", Version2("BSDT151", "\n"), IepgShape::kSingle, 1, 2030, 6,
       1, 21, 0, 21, 54, Sjis("旅番組"), true},
      {"multi, three parts", Multi(3), IepgShape::kMulti, 3, 2030, 6, 2, 19, 0, 20, 0, "one",
       true},
      {"multi cut short", Multi(2, false), IepgShape::kMulti, 2, 2030, 6, 2, 19, 0, 20, 0, "one",
       true},
      {"multi cut inside a part",
       Multi(3).substr(0, Multi(3).find("start: 23:30") + 9), IepgShape::kMulti, 3, 2030, 6, 2,
       19, 0, 20, 0, "one", true},
      {"hours past 24", "version: 1\nyear: 2030\nmonth: 6\ndate: 1\nstart: 25:30\nend: 26:00\n",
       IepgShape::kSingle, 1, 2030, 6, 1, 25, 30, 26, 0, "", true},
      {"colons in values",
       "version: 1\nyear: 2030\nmonth: 6\ndate: 1\nstart: 22:00:00\nend:22:45\n"
       "program-title: Drama: part 2\n",
       IepgShape::kSingle, 1, 2030, 6, 1, 22, 0, 22, 45, "Drama: part 2", true},
      {"keys in another case",
       "Content-Type: Application/X-TV-Program-Info\nVERSION: 1\nYear: 2030\nMONTH: 6\n"
       "Date: 1\nStart: 21:00\nEnd: 22:00\nProgram-Title: abc\n",
       IepgShape::kSingle, 1, 2030, 6, 1, 21, 0, 22, 0, "abc", true},
      {"repeated keys take the first",
       "version: 1\nyear: 2030\nmonth: 6\ndate: 1\ndate: 9\nstart: 21:00\nend: 22:00\n"
       "program-title: first\nprogram-title: second\n",
       IepgShape::kSingle, 1, 2030, 6, 1, 21, 0, 22, 0, "first", true},
      {"lone CR", "version: 1\ryear: 2030\rmonth: 6\rdate: 1\rstart: 21:00\rend: 22:00\r\rdate: 9",
       IepgShape::kSingle, 1, 2030, 6, 1, 21, 0, 22, 0, "", true},
      {"truncated single", Version1().substr(0, Version1().find("start:") + 8),
       IepgShape::kSingle, 1, 2030, 5, 31, 2, 0, 0, 0, "", false},
      {"a web page", "Content-type: text/html\r\n\r\n<html>start: 21:00</html>\r\n",
       IepgShape::kNotIepg, 0, 0, 0, 0, 0, 0, 0, 0, "", false},
      {"plain text", "hello\nworld\n", IepgShape::kNotIepg, 0, 0, 0, 0, 0, 0, 0, 0, "", false},
      {"empty", "", IepgShape::kNotIepg, 0, 0, 0, 0, 0, 0, 0, 0, "", false},
      {"version 3", "version: 3\nyear: 2030\n", IepgShape::kUnsupportedVersion, 0, 0, 0, 0, 0, 0,
       0, 0, "", false},
      {"multi without parts",
       "Content-type: application/x-multi-tv-program-info\nboundary: B\n\nB--\n",
       IepgShape::kNoPrograms, 0, 0, 0, 0, 0, 0, 0, 0, "", false},
      {"minute out of range", "version: 1\nyear: 2030\nmonth: 6\ndate: 1\nstart: 21:75\nend: 22:00\n",
       IepgShape::kSingle, 1, 2030, 6, 1, 21, 75, 22, 0, "", false},
      {"a day the month lacks",
       "version: 1\nyear: 2030\nmonth: 2\ndate: 30\nstart: 21:00\nend: 22:00\n",
       IepgShape::kSingle, 1, 2030, 2, 30, 21, 0, 22, 0, "", false},
      {"a time without digits",
       "version: 1\nyear: 2030\nmonth: 6\ndate: 1\nstart: soon\nend: 22:00\n",
       IepgShape::kSingle, 1, 2030, 6, 1, -1, 0, 22, 0, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const IepgFile f = ReadIepg(c.file);
    EXPECT_EQ(f.shape, c.shape);
    ASSERT_EQ(f.programs.size(), c.programs);
    if (c.programs == 0) continue;
    const IepgProgram& p = f.programs[0];
    EXPECT_EQ(p.year, c.year);
    EXPECT_EQ(p.month, c.month);
    EXPECT_EQ(p.day, c.day);
    EXPECT_EQ(p.startHour, c.startHour);
    EXPECT_EQ(p.startMinute, c.startMinute);
    EXPECT_EQ(p.endHour, c.endHour);
    EXPECT_EQ(p.endMinute, c.endMinute);
    EXPECT_EQ(p.title, c.title);
    EXPECT_EQ(HasValidWindow(p), c.window);
  }
}

TEST(IepgReader, Version2StationsAndTheMultiTitle) {
  const IepgFile v2 = ReadIepg(Version2("BSDT151"));
  EXPECT_EQ(v2.version, 2);
  EXPECT_EQ(v2.programs[0].station, "BSDT151");
  EXPECT_EQ(v2.programs[0].programId, "4660");
  EXPECT_EQ(StationLabel(v2.programs[0]), Sjis("ＢＳ朝日"));  // the readable name wins
  const std::pair<std::string, std::string> stations[] = {
      {"DFS00400", Sjis("地デジ 1024")}, {"BSDT151", "BS 151"}, {"CSDT333", "CS 333"},
      {"DFS0040", "DFS0040"},  // not a code: shown as written
      {Sjis("ＮＨＫ総合"), Sjis("ＮＨＫ総合")}};
  IepgProgram p;
  for (const auto& [code, label] : stations) {
    p.station = code;
    EXPECT_EQ(StationLabel(p), label) << code;
  }

  const IepgFile multi = ReadIepg(Multi(3));
  EXPECT_EQ(multi.multiTitle, Sjis("今週のおすすめ"));
  ASSERT_EQ(multi.programs.size(), 3u);
  EXPECT_EQ(multi.programs[1].title, "two");
  EXPECT_EQ(multi.programs[2].startHour, 23);
  EXPECT_EQ(multi.programs[2].endHour, 0);
  EXPECT_EQ(StationLabel(multi.programs[2]), Sjis("地デジ 1024"));
  // A part's free text after its blank line is not read as keys.
  EXPECT_EQ(ReadIepg(Multi(1)).programs[0].found & kIepgProgramId, 0u);
  // The cut part has no end: it makes no window.
  const IepgFile cut = ReadIepg(Multi(3).substr(0, Multi(3).find("start: 23:30") + 9));
  EXPECT_FALSE(HasValidWindow(cut.programs[2]));
}

TEST(IepgReader, LongTitlesAreCutAtACharacterBoundary) {
  const IepgProgram ascii = ParseIepg("program-title: " + std::string(300, 'a') + "\nyear: 2030\n");
  EXPECT_EQ(ascii.title, std::string(255, 'a'));
  EXPECT_EQ(ascii.year, 2030);  // the rest of the long line is not a line of its own
  std::string kana;
  for (int i = 0; i < 150; ++i) kana += Sjis("あ");
  EXPECT_EQ(ParseIepg("program-title: " + kana + "\n").title, kana.substr(0, 254));
}

TEST(IepgReader, TheWorkingCopy) {
  ScratchDir dir;
  const std::string src = dir.File("in.tvpi");
  const std::string copy = dir.File("default.pl");
  WriteAll(src, Version1());
  ASSERT_TRUE(TzCopyFile2File(src, copy));
  EXPECT_EQ(ReadIepg(ReadAll(copy)).programs[0].title, Sjis("ニュース７"));

  WriteAll(copy, "old");
  EXPECT_FALSE(TzCopyFile2File(dir.File("missing.tvpi"), copy));
  EXPECT_EQ(ReadAll(copy), "old");  // nothing touched
  EXPECT_FALSE(TzCopyFile2File(src, dir.File("no-folder") + "/default.pl"));
}

}  // namespace
