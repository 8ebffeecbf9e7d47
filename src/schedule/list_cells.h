#pragma once
// What the schedule list shows: its eight columns and, per entry, the eight
// cell texts. Texts are UTF-8 (the title is converted from its Shift-JIS).
#include <array>
#include <string>

#include "schedule/schedule_entry.h"

constexpr int kListColumnCount = 8;

struct ListColumn {
  const char* heading;
  int width;  // pixels: the least the column gets
  // The widest text the column shows, which the column widens to fit in the
  // list's own font; nullptr when the width above is enough.
  const char* widest;
};
// "No", "タイトル", "起動時刻", "終了時刻", "状態", "繰返し", "開始日", "終了日".
extern const ListColumn kListColumns[kListColumnCount];

// "待ち", "実行", "終了", or "未定義" for any other value.
const char* StateWord(int32_t state);

// The cells of the entry at table index: "%03d" of index + 1, the title, start
// and end as "YYYY/MM/DD hh:mm:ss", the state word, "あり"/"なし", and the
// period dates "YYYY/MM/DD (曜)" when the entry repeats within a period, else
// "指定なし".
std::array<std::string, kListColumnCount> ListCellTexts(int index, const ScheduleEntry& entry);
