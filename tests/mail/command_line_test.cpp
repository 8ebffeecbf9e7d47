#include "mail/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

using ::testing::ElementsAre;

namespace {

// 表 and ソ: Shift-JIS characters whose second byte is a backslash.
const std::string kHyo = "\x95\x5c";
const std::string kSo = "\x83\x5c";

TEST(QuoteArgumentValue, QuotesOnlyValuesWithWhiteSpaceOrQuote) {
  struct Case {
    std::string value, quoted;
  } cases[] = {
      {"", ""},
      {"plain@example.jp", "plain@example.jp"},
      {R"(C:\mail\smail.exe)", R"(C:\mail\smail.exe)"},
      {"x&del*.*|a>b", "x&del*.*|a>b"},
      {"Rec done", R"("Rec done")"},
      {"a\tb", "\"a\tb\""},
      {"a\nb\rc", "\"a\nb\rc\""},
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

// A splitter in which quotes only toggle grouping, as some mailers split
// their command line: no escapes, any white space separates.
std::vector<std::string> ToggleSplit(const std::string& line) {
  std::vector<std::string> args;
  std::string arg;
  bool quoted = false, inArg = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inArg = true;
    } else if (!quoted && std::isspace(static_cast<unsigned char>(c))) {
      if (inArg) args.push_back(arg);
      arg.clear();
      inArg = false;
    } else {
      arg.push_back(c);
      inArg = true;
    }
  }
  if (inArg) args.push_back(arg);
  return args;
}

// ＂ in Shift-JIS.
const std::string kFullQuote = "\xFA\x57";

TEST(TitleForCommandLine, AQuoteBecomesFullWidthAndBrokenPairsGo) {
  struct Case {
    std::string title, safe;
  } cases[] = {
      {"News", "News"},
      {R"(a" -hevil.example x)", "a" + kFullQuote + " -hevil.example x"},
      {R"("")", kFullQuote + kFullQuote},
      {kSo + "\"", kSo + kFullQuote},        // a pair ending in a backslash stays
      {"\x81\"b", kFullQuote + "b"},           // a quote is no second byte
      {"a\x81", "a"},                           // nor is the end
      {"\x81\x40\x9f\xfc", "\x81\x40\x9f\xfc"},  // whole pairs stay
      {"\xe0 x", " x"},
  };
  for (const auto& c : cases) EXPECT_EQ(TitleForCommandLine(c.title), c.safe) << c.title;
}

TEST(TitleForCommandLine, NoSplitterTakesATitleForMoreThanOneArgument) {
  for (const std::string& title :
       {std::string(R"(a" -hevil.example x)"), std::string(R"(a\" -hevil x)"),
        std::string("\x81\" -hevil x"), std::string("a\n-hevil"), std::string(R"(x\)")}) {
    const std::string line = "smail -T" + QuoteArgumentValue(TitleForCommandLine(title)) + " c@d";
    EXPECT_EQ(ToggleSplit(line).size(), 3u) << line;
    EXPECT_EQ(SplitCommandLine(line).size(), 3u) << line;
  }
}

}  // namespace
