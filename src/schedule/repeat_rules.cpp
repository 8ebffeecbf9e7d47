#include "schedule/repeat_rules.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/prompt.h"
#include "platform/sjis_texts.h"
#include "schedule/reservation_rules.h"
#include "schedule/schedule_table.h"
#include "schedule/time_rules.h"

namespace {

constexpr int64_t kDay = 86400;

static_assert(sizeof kSjisRepeatMethods / sizeof kSjisRepeatMethods[0] == kRepeatMethodCount,
              "one name per repeat method");
// Weekday d is the letter at byte offset 3d (UTF-8) or 2d (Shift-JIS).
constexpr const char* kWeekLetters = kSjisWeekdayLetters.utf8;
constexpr const char* kWeekLettersSjis = kSjisWeekdayLetters.sjis;

std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
std::string Format(const char* format, ...) {
  char buf[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  return buf;
}

int MethodOrZero(int method) { return (method >= 0 && method < kRepeatMethodCount) ? method : 0; }

// The date-time of t, or t's own fields normalised when it cannot convert.
SystemTime Normalized(const SystemTime& t) {
  SystemTime out = t;
  const int32_t seconds = TimeToSeconds(t);
  if (seconds >= 0 && !(t.wYear == 0 && t.wMonth == 0 && t.wDay == 0)) SecondsToTime(seconds, &out);
  out.wMilliseconds = t.wMilliseconds;
  return out;
}

SystemTime AtSeconds(int64_t seconds, const SystemTime& fallback) {
  SystemTime out = fallback;
  SecondsToTime(seconds, &out);
  return out;
}

bool DateAfter(const SystemTime& a, const SystemTime& b) {
  if (a.wYear != b.wYear) return a.wYear > b.wYear;
  if (a.wMonth != b.wMonth) return a.wMonth > b.wMonth;
  return a.wDay > b.wDay;
}

// A period date that was never set: the all-zero date of an entry made
// without a period, or 1970 (that date stored as second 0 and read back).
bool IsUnsetPeriodDate(const SystemTime& t) { return t.wYear <= 1970; }

std::string DateWithWeekday(const SystemTime& t) {
  return Format("%02d/%02d/%02d (%s)", t.wYear, t.wMonth, t.wDay,
                GetWeekString(1 << WeekdayOf(t)).c_str());
}

constexpr const char* kE1 =
    "日時指定error\n終了日(時刻)が開始日(時刻)より早い、\nまたは開始日と指定曜日が一致していない";

}  // namespace

RepeatValues NewRepeatValues(const SystemTime& now) {
  RepeatValues v;
  v.m_start = v.m_end = v.m_kikan_s = v.m_kikan_e = now;
  v.m_title = UntitledSjis();
  return v;
}

RepeatValues RepeatValuesFor(const ScheduleEntry& entry) {
  RepeatValues v;
  v.m_start = entry.s;
  v.m_end = entry.e;
  v.m_kikan_s = entry.kikan_s;
  v.m_kikan_e = entry.kikan_e;
  v.m_b_way = entry.b_way;
  v.m_loop_meth = entry.loop_meth;
  v.m_loop = entry.loop;
  v.m_kikan_f = entry.kikan_f;
  v.m_existing = true;
  v.m_title.assign(entry.title, strnlen(entry.title, kTitleSize));
  v.m_title_made = v.m_title.empty() || v.m_title == UntitledSjis() ||
                   v.m_title == NoRepeatTitleSjis() ||
                   (entry.loop && v.m_title == RepeatTitleSjis(entry.loop_meth, entry.b_way));
  return v;
}

const char* GetMethodName(int index) { return kSjisRepeatMethods[MethodOrZero(index)].utf8; }

std::string GetMethodNameSjis(int index) { return kSjisRepeatMethods[MethodOrZero(index)].sjis; }

std::string GetWeekString(int32_t bits) {
  std::string out;
  for (int d = 0; d < 7; ++d)
    if (bits & (1 << d)) out.append(kWeekLetters + 3 * d, 3);
  return out;
}

std::string GetWeekStringSjis(int32_t bits) {
  std::string out;
  for (int d = 0; d < 7; ++d)
    if (bits & (1 << d)) out.append(kWeekLettersSjis + 2 * d, 2);
  return out;
}

const char* GetEndDayName(int index) { return index == kEndDaySame ? "同" : "翌"; }

int WeekdayOf(const SystemTime& date) {
  SystemTime t = date;
  t.wHour = t.wMinute = t.wSecond = 0;
  const int32_t seconds = TimeToSeconds(t);
  if (seconds > 0 && SecondsToTime(seconds, &t)) return t.wDayOfWeek;
  return date.wDayOfWeek % 7;
}

SystemTime FindFirstDay(const SystemTime& reference, int32_t bits) {
  const int w = WeekdayOf(reference);
  int offset = -1;
  for (int d = w; d <= 6 && offset < 0; ++d)
    if (bits & (1 << d)) offset = d - w;
  for (int d = 0; d < w && offset < 0; ++d)
    if (bits & (1 << d)) offset = d - w + 7;
  return AtSeconds(static_cast<int64_t>(TimeToSeconds(reference)) + offset * kDay, reference);
}

RepeatDialogInit InitRepeatDialog(const RepeatValues& values, const SystemTime& now) {
  RepeatDialogInit init;
  init.values = values;
  RepeatValues& v = init.values;
  v.m_kikan_f = 1;
  if (IsUnsetPeriodDate(v.m_kikan_s)) v.m_kikan_s = now;
  if (IsUnsetPeriodDate(v.m_kikan_e)) v.m_kikan_e = now;
  init.startTime = v.m_start;
  init.endTime = v.m_end;
  init.endDayIndex = DateAfter(v.m_end, v.m_start) ? kEndDayNext : kEndDaySame;
  // Without repetition the period pickers show a date picker's own default, today.
  init.periodStart = v.m_loop ? v.m_kikan_s : now;
  init.periodEnd = v.m_loop ? v.m_kikan_e : now;
  init.weekdayBits = v.m_b_way & 0x7F;
  init.methodIndex = MethodOrZero(v.m_loop_meth);
  init.periodBoxEnabled = false;
  return init;
}

std::vector<std::pair<int, bool>> RepeatControlEnabling(bool on) {
  std::vector<std::pair<int, bool>> out;
  // Method box, weekday boxes, their group boxes, the period pickers with
  // their labels and group box follow the repeat box.
  for (int id : {1001, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1030, 1034, 1004, 1017, 1010,
                 1016, 1032})
    out.emplace_back(id, on);
  // The first-run line is only ever information.
  out.emplace_back(1031, false);
  out.emplace_back(1033, false);
  return out;
}

MethodChange OnRepeatMethodChanged(int method, int32_t currentBits, const SystemTime& now) {
  MethodChange change;
  change.weekdayBits =
      (method >= 1 && method < kRepeatMethodCount) ? MethodWeekdays(method) : currentBits;
  change.periodStart = FindFirstDay(now, change.weekdayBits);
  return change;
}

std::string FirstRunText(int32_t bits, const SystemTime& startTime, const SystemTime& now) {
  const SystemTime day = FindFirstDay(now, bits);
  const SystemTime firstStart = ComposeDateTime(day, startTime);
  SystemTime result = day;
  const int32_t startSeconds = TimeToSeconds(firstStart);
  if (startSeconds < TimeToSeconds(now))
    result = FindFirstDay(AtSeconds(static_cast<int64_t>(startSeconds) + kDay, firstStart), bits);
  return DateWithWeekday(result);
}

RepeatOkResult RepeatDialogOk(const RepeatDialogInput& in, const RepeatValues& current,
                              const SystemTime& now) {
  RepeatOkResult r;
  r.values = current;
  RepeatValues& v = r.values;
  v.m_loop = in.loop ? 1 : 0;
  v.m_kikan_f = in.kikanF ? 1 : 0;

  const SystemTime firstStart = Normalized(ComposeDateTime(in.periodStart, in.startTime));
  const SystemTime lastEnd = Normalized(ComposeDateTime(in.periodEnd, in.endTime));
  const SystemTime firstEnd = ComposeDateTime(firstStart, in.endTime);
  const int64_t tStart = TimeToSeconds(firstStart);
  const int64_t tEnd = TimeToSeconds(firstEnd) + (in.endDayIndex != kEndDaySame ? kDay : 0);
  const int32_t bits = in.weekdayBits & 0x7F;
  const bool methodKnown = in.methodIndex >= 0 && in.methodIndex < kRepeatMethodCount;

  auto refuse = [&r](std::string text) {
    r.outcome = RepeatOkOutcome::kRefused;
    r.message = std::move(text);
    return r;
  };
  // A time past what a schedule can hold has its own text, not the order's.
  const SystemTime endShown = AtSeconds(tEnd, firstEnd);
  if (IsValidDateTime(firstStart, 0) && IsValidDateTime(firstEnd, 0) &&
      (!IsRepresentableTime(firstStart) || !IsRepresentableTime(firstEnd) ||
       !IsRepresentableTime(endShown) ||
       (v.m_loop && v.m_kikan_f && IsValidDateTime(lastEnd, 0) &&
        !IsRepresentableTime(lastEnd))))
    return refuse(kTimeTooLateText);
  if (tStart < 0 || tStart > tEnd) return refuse(kE1);
  if (v.m_loop) {
    if (!methodKnown) return refuse(kE1);
    if (in.methodIndex != kMethodDaily && !(bits & (1 << WeekdayOf(firstStart))))
      return refuse(kE1);
    if (v.m_kikan_f && tStart > TimeToSeconds(lastEnd)) return refuse(kE1);
  }

  const int method = MethodOrZero(in.methodIndex);
  v.m_end = AtSeconds(tEnd, firstEnd);
  v.m_start = firstStart;
  v.m_kikan_s = firstStart;
  v.m_kikan_e = lastEnd;
  v.m_loop_meth = method;
  v.m_kikan_f = (v.m_kikan_f && v.m_loop) ? 1 : 0;
  v.m_b_way = method == kMethodWeekly ? bits : MethodWeekdays(method);

  const char* endDay = GetEndDayName(in.endDayIndex);
  const int64_t nowSeconds = TimeToSeconds(now);
  if (v.m_loop && (tStart < nowSeconds || tEnd < nowSeconds)) {
    return refuse(Format(
        "設定した日時は既に過ぎています\n\n現在時刻：　　%02d/%02d/%02d　%02d:%02d:%02d\n\n"
        "初回起動日　%02d/%02d/%02d　終了日　%02d/%02d/%02d\n起動時刻：　　%02d:%02d:%02d\n"
        "終了時刻：　　%02d:%02d:%02d(%s)\n",
        now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, firstStart.wYear,
        firstStart.wMonth, firstStart.wDay, v.m_end.wYear, v.m_end.wMonth, v.m_end.wDay,
        firstStart.wHour, firstStart.wMinute, firstStart.wSecond, firstEnd.wHour,
        firstEnd.wMinute, firstEnd.wSecond, endDay));
  }

  if (!v.m_loop) {
    r.outcome = RepeatOkOutcome::kClose;
    return r;
  }
  const std::string periodEndText = v.m_kikan_f ? DateWithWeekday(lastEnd) : std::string("---");
  r.outcome = RepeatOkOutcome::kConfirm;
  r.message = Format(
      "繰り返し設定：%s\n繰り返し期間：%s\n繰り返し方法：%s %s\n起動時刻：　　%02d:%02d:%02d\n"
      "終了時刻：　　%02d:%02d:%02d (%s)\n（初回起動日　%02d/%02d/%02d　初回終了日　"
      "%02d/%02d/%02d）\n開始日：　　　%02d/%02d/%02d (%s)\n終了日：　　　%s\n\n"
      "この設定でよろしいですか？\n",
      v.m_loop ? "あり" : "なし", v.m_kikan_f ? "あり" : "無制限", GetMethodName(method),
      method == kMethodWeekly ? GetWeekString(bits).c_str() : "", firstStart.wHour,
      firstStart.wMinute, firstStart.wSecond, firstEnd.wHour, firstEnd.wMinute,
      firstEnd.wSecond, endDay, firstStart.wYear, firstStart.wMonth, firstStart.wDay,
      v.m_end.wYear, v.m_end.wMonth, v.m_end.wDay, firstStart.wYear, firstStart.wMonth,
      firstStart.wDay, GetWeekString(1 << WeekdayOf(firstStart)).c_str(), periodEndText.c_str());
  return r;
}

bool RunRepeatDialogOk(const RepeatDialogInput& input, RepeatValues& values,
                       const SystemTime& now, IPrompt& prompt) {
  RepeatOkResult r = RepeatDialogOk(input, values, now);
  values = r.values;
  switch (r.outcome) {
    case RepeatOkOutcome::kRefused:
      prompt.Show(r.message, "", PromptButtons::kOk);
      return false;
    case RepeatOkOutcome::kConfirm:
      return prompt.Show(r.message, kConfirmCaption, PromptButtons::kYesNo) == PromptAnswer::kYes;
    case RepeatOkOutcome::kClose:
      return true;
  }
  return false;
}

const char* UntitledSjis() { return kSjisUntitled.sjis; }
const char* NoRepeatTitleSjis() { return kSjisNoRepeatTitle.sjis; }

std::string RepeatTitleSjis(int method, int32_t bits) {
  return GetMethodNameSjis(method) + " " + (method == kMethodWeekly ? GetWeekStringSjis(bits) : "");
}

std::string MadeRepeatTitleSjis(bool loop, int method, int32_t bits, bool existing) {
  if (loop) return RepeatTitleSjis(method, bits);
  return existing ? NoRepeatTitleSjis() : UntitledSjis();
}

ScheduleEntry EntryFromRepeat(const RepeatValues& v) {
  ScheduleEntry entry{};
  entry.s = v.m_start;
  entry.e = v.m_end;
  if (v.m_loop) {
    SystemTime periodStart = v.m_kikan_s;
    SystemTime periodEnd = v.m_kikan_e;
    ClearTimeOfDay(&periodStart);
    ClearTimeOfDay(&periodEnd);
    if (!v.m_kikan_f) periodStart = periodEnd = SystemTime{};
    SetRepeatFields(&entry, 1, v.m_loop_meth, v.m_b_way, v.m_kikan_f, periodStart, periodEnd);
  }
  const std::string title =
      v.m_title_made ? MadeRepeatTitleSjis(v.m_loop != 0, v.m_loop_meth, v.m_b_way, v.m_existing)
                     : v.m_title;
  CopyTitle(entry.title, title.c_str());
  return entry;
}
