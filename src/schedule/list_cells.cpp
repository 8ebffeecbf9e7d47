#include "schedule/list_cells.h"

#include <cstdio>
#include <cstring>

#include "platform/text.h"
#include "schedule/repeat_rules.h"

const ListColumn kListColumns[kListColumnCount] = {
    {"No", 50},      {"タイトル", 120}, {"起動時刻", 120}, {"終了時刻", 120},
    {"状態", 40},    {"繰返し", 50},    {"開始日", 80},    {"終了日", 80},
};

namespace {

std::string DateTimeText(const SystemTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond);
  return buf;
}

std::string PeriodDateText(const ScheduleEntry& entry, const SystemTime& date) {
  if (!(entry.loop && entry.kikan_f)) return "指定なし";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%02d (%s)", date.wYear, date.wMonth, date.wDay,
                GetWeekString(1 << WeekdayOf(date)).c_str());
  return buf;
}

}  // namespace

const char* StateWord(int32_t state) {
  switch (state) {
    case kStateWaiting: return "待ち";
    case kStateRunning: return "実行";
    case kStateFinished: return "終了";
    default: return "未定義";
  }
}

std::array<std::string, kListColumnCount> ListCellTexts(int index, const ScheduleEntry& entry) {
  char no[16];
  std::snprintf(no, sizeof no, "%03d", index + 1);
  return {no,
          SjisToUtf8(std::string_view(entry.title, strnlen(entry.title, kTitleSize))),
          DateTimeText(entry.s),
          DateTimeText(entry.e),
          StateWord(entry.state),
          entry.loop ? "あり" : "なし",
          PeriodDateText(entry, entry.kikan_s),
          PeriodDateText(entry, entry.kikan_e)};
}
