// The list's columns and cell texts.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/text.h"
#include "schedule/list_cells.h"
#include "schedule/time_rules.h"

namespace {

SystemTime Date(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  SystemTime t = MakeSystemTime(y, mo, d, h, mi, s);
  SecondsToTime(TimeToSeconds(t), &t);
  return t;
}

TEST(ListCells, Columns) {
  const char* headings[] = {"No", "タイトル", "起動時刻", "終了時刻", "状態", "繰返し", "開始日", "終了日"};
  const int widths[] = {50, 120, 120, 120, 40, 50, 80, 80};
  for (int i = 0; i < kListColumnCount; ++i) {
    EXPECT_STREQ(kListColumns[i].heading, headings[i]);
    EXPECT_EQ(kListColumns[i].width, widths[i]);
  }
}

TEST(ListCells, StateWords) {
  EXPECT_STREQ(StateWord(0), "待ち");
  EXPECT_STREQ(StateWord(1), "実行");
  EXPECT_STREQ(StateWord(2), "終了");
  EXPECT_STREQ(StateWord(3), "未定義");
  EXPECT_STREQ(StateWord(-1), "未定義");
}

TEST(ListCells, OneShotAndRepeatingEntries) {
  ScheduleEntry x{};
  x.s = Date(2010, 5, 3, 9, 5, 7);
  x.e = Date(2010, 5, 3, 10, 0, 0);
  std::strcpy(x.title, Utf8ToSjis("ニュース").c_str());
  x.state = kStateRunning;
  using Cells = std::array<std::string, kListColumnCount>;
  EXPECT_EQ(ListCellTexts(11, x), (Cells{"012", "ニュース", "2010/05/03 09:05:07",
                                         "2010/05/03 10:00:00", "実行", "なし", "指定なし",
                                         "指定なし"}));
  x.loop = 1;  // repeating without a period
  EXPECT_EQ(ListCellTexts(0, x)[5], "あり");
  EXPECT_EQ(ListCellTexts(0, x)[6], "指定なし");
  x.kikan_f = 1;
  x.kikan_s = Date(2010, 5, 3);
  x.kikan_e = Date(2010, 6, 30);
  EXPECT_EQ(ListCellTexts(0, x)[6], "2010/05/03 (月)");
  EXPECT_EQ(ListCellTexts(0, x)[7], "2010/06/30 (水)");
}

}  // namespace
