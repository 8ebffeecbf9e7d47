#include "platform/text.h"

#include <gtest/gtest.h>

#include "platform/sjis_texts.h"

namespace {

// "あ" and "タ" in Shift-JIS; タ's trail byte is the code of '^'.
const std::string kA = "\x82\xa0";
const std::string kTa = "\x83\x5e";

TEST(SjisCutLength, CutsOnCharacterBoundaries) {
  struct Row {
    std::string text;
    size_t maxBytes;
    size_t expected;
  };
  const Row rows[] = {
      {"", 5, 0},
      {"abcdef", 4, 4},
      {"abc", 10, 3},
      {kA + kA, 3, 2},          // never half a character
      {"a" + kA, 2, 1},
      {"a" + kA, 3, 3},
      {kTa + "a", 2, 2},        // a trail byte in the ASCII range ends its character
      {"ab\x82", 3, 3},         // a lead byte as the last byte stands alone
      {"ab\x82", 2, 2},
      {kA, 0, 0},
  };
  for (const Row& r : rows)
    EXPECT_EQ(SjisCutLength(r.text, r.maxBytes), r.expected) << r.text << " / " << r.maxBytes;
}

TEST(AsciiCase, FoldsOnlyAsciiLetters) {
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Sch_Title[0]", "SCH_TITLE[0]"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("sch_title", "sch_titles"));
  // Bytes above 0x7F (Latin-1 case pairs, Shift-JIS) are never folded.
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC0", "\xE0"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("[", "{"));  // 0x5B and 0x7B differ by the case bit

  EXPECT_TRUE(EndsWithIgnoringAsciiCase("C:\\TV\\Nimbra.EXE", ".exe"));
  EXPECT_TRUE(EndsWithIgnoringAsciiCase(".dll", ".DLL"));
  EXPECT_FALSE(EndsWithIgnoringAsciiCase("dll", ".dll"));
  EXPECT_FALSE(EndsWithIgnoringAsciiCase("Nimbra.exe.bak", ".exe"));
}

// Each fixed text's bytes are what its UTF-8 form converts to, both ways.
TEST(SjisTexts, BytesMatchTheirUtf8Form) {
  for (const SjisText* t : kAllSjisTexts) {
    EXPECT_EQ(Utf8ToSjis(t->utf8), t->sjis) << t->utf8;
    EXPECT_EQ(SjisToUtf8(t->sjis), t->utf8) << t->utf8;
  }
}

TEST(SjisExact, TakesWhatShiftJisHoldsAndRefusesTheRestInsteadOfABestFit) {
  EXPECT_EQ(Utf8ToSjisExact("C:\\TV\\番組表\\rec.exe"), "C:\\TV\\\x94\xd4\x91\x67\x95\x5c\\rec.exe");
  EXPECT_EQ(Utf8ToSjisExact(""), "");
  // "¥" would become '\\' and "ë" 'e'; "〜" (wave dash) would become "～".
  for (const char* text : {"C:\\¥\\rec.exe", "C:\\Zoë\\rec.exe", "a〜b", "\xff"})
    EXPECT_EQ(Utf8ToSjisExact(text), std::nullopt) << text;
}

}  // namespace
