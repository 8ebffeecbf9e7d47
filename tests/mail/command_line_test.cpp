#include "mail/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using ::testing::ElementsAre;

namespace {

// 表 and ソ: Shift-JIS characters whose second byte is a backslash.
const std::string kHyo = "\x95\x5c";
const std::string kSo = "\x83\x5c";

TEST(QuoteArgumentValue, QuotesOnlyValuesWithBlankTabOrQuote) {
  struct Case {
    std::string value, quoted;
  } cases[] = {
      {"", ""},
      {"plain@example.jp", "plain@example.jp"},
      {R"(C:\mail\smail.exe)", R"(C:\mail\smail.exe)"},
      {"x&del*.*|a>b", "x&del*.*|a>b"},
      {"Rec done", R"("Rec done")"},
      {"a\tb", "\"a\tb\""},
      {R"(say "hi")", R"("say \"hi\"")"},
      {R"(C:\my dir\)", R"("C:\my dir\\")"},
      {R"(a\" b)", R"("a\\\" b")"},
      {R"(a\\b c)", R"("a\\b c")"},
      {"x " + kHyo, "\"x " + kHyo + "\""},
      {kSo + "\"", "\"" + kSo + "\\\"\""},
  };
  for (const auto& c : cases) EXPECT_EQ(QuoteArgumentValue(c.value), c.quoted) << c.value;
}

TEST(SplitCommandLine, GivesBackEveryQuotedValueAfterItsOption) {
  const std::vector<std::string> values = {
      "Rec done", "a\tb",    R"(say "hi")", R"(C:\my dir\)", R"(a\" b)",      R"(a\\b c)",
      R"(a\b)",   "x " + kHyo, kSo + "\"", kHyo + " " + kSo, "&|<>^%!()`$;", "end\\",
  };
  for (const auto& v : values) {
    const std::string line = "smail -s" + QuoteArgumentValue(v) + " -T" + QuoteArgumentValue(v);
    EXPECT_THAT(SplitCommandLine(line), ElementsAre("smail", "-s" + v, "-T" + v)) << line;
  }
}

TEST(SplitCommandLine, ProgramNameTakesQuotesButNoEscapes) {
  EXPECT_THAT(SplitCommandLine(R"("C:\Program Files\smail\" -hx)"),
              ElementsAre(R"(C:\Program Files\smail\)", "-hx"));
  EXPECT_THAT(SplitCommandLine(R"(C:\smail.exe  -ha   b)"),
              ElementsAre(R"(C:\smail.exe)", "-ha", "b"));
  EXPECT_THAT(SplitCommandLine(" -hx"), ElementsAre("", "-hx"));
}

TEST(SplitCommandLine, BackslashesCountOnlyBeforeAQuote) {
  EXPECT_THAT(SplitCommandLine(R"(p a\\\"b "c\\" d\\e "")"),
              ElementsAre("p", R"(a\"b)", R"(c\)", R"(d\\e)", ""));
  EXPECT_THAT(SplitCommandLine(R"(p "a ""b"" c")"), ElementsAre("p", R"(a "b" c)"));
}

// A lead byte takes the byte after it: one left at a value's end would take
// the separating blank (or the closing quote) and glue the next argument on.
TEST(QuoteArgumentValue, ALastLeadByteWithoutItsSecondByteIsLeftOut) {
  EXPECT_EQ(QuoteArgumentValue("host\x81"), "host");
  EXPECT_EQ(QuoteArgumentValue("a b\x81"), "\"a b\"");
  EXPECT_EQ(QuoteArgumentValue("\x81"), "");
  EXPECT_EQ(QuoteArgumentValue("a\x81\"b"), "\"a\x81\"b\"");  // a whole pair stays
  EXPECT_THAT(SplitCommandLine("p -h" + QuoteArgumentValue("x\x81") + " -fme"),
              ElementsAre("p", "-hx", "-fme"));
}

}  // namespace
