#pragma once
// The repeat reservation dialog ("繰り返し予約") in portable terms: its values,
// what its controls show when it opens, the rules behind the repeat method
// box and the weekday boxes, and the OK procedure with its error texts and
// the summary it asks the user to confirm. CRegularTimeDlg only moves values
// between its controls and these functions.
//
// Texts returned here are UTF-8 (they are shown); the *Sjis functions give
// the same texts as Shift-JIS for schedule titles. Years are printed with all
// four digits.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/system_time.h"
#include "schedule/schedule_entry.h"

class IPrompt;

// Repeat method indexes (combo box 1001, in item order).
enum RepeatMethod : int32_t {
  kMethodWeekly = 0,     // "毎週": the weekday boxes as checked
  kMethodDaily = 1,      // "毎日": 127
  kMethodMonWedFri = 2,  // "毎週（月、水、金）": 42
  kMethodTueThu = 3,     // "毎週（火、木）": 20
  kMethodWeekdays = 4,   // "毎週（月～金）": 62
  kMethodWeekend = 5,    // "毎週（土、日）": 65
};
// End-day box (combo box 1008): the first end on the start's day or the next.
constexpr int kEndDaySame = 0;  // "同"
constexpr int kEndDayNext = 1;  // "翌"

// The dialog's members: what the caller presets and reads back after OK.
struct RepeatValues {
  SystemTime m_start{};    // first start: period start date + start time
  SystemTime m_end{};      // first end: that date + end time (+1 day with 翌)
  SystemTime m_kikan_s{};  // period start (equal to m_start after OK)
  SystemTime m_kikan_e{};  // period end date + end time (never moved a day)
  int32_t m_b_way = 0;     // weekday set, bit 0 Sunday ... bit 6 Saturday
  int32_t m_loop_meth = 0; // RepeatMethod
  int32_t m_loop = 0;      // repeat box "繰り返しをする" (1002)
  int32_t m_kikan_f = 0;   // period box "期間指定をする" (1003); after OK: m_kikan_f && m_loop
  // The title box (Shift-JIS, at most kReservationTitleLimit bytes, as the
  // reservation dialog's).
  std::string m_title;
  // The title is the one the dialog makes from the repeat setting
  // (MadeRepeatTitleSjis) and follows it, until the user types one.
  bool m_title_made = true;
  // The dialog changes an existing entry (its made title without
  // repetition differs from a new entry's).
  bool m_existing = false;
};

// A new schedule: the four date-times now, everything else 0, the title
// made (with the repeat box off, "タイトルなし").
RepeatValues NewRepeatValues(const SystemTime& now);
// The values of an existing entry, its title among them. That title follows
// the setting only when it is one the dialog makes (for the entry's own
// setting, or a fixed one) or empty; a title the user typed or an iEPG file
// brought stays whatever the setting becomes.
RepeatValues RepeatValuesFor(const ScheduleEntry& entry);

// The item text of a repeat method; "毎週" for an index outside 0-5.
const char* GetMethodName(int index);
std::string GetMethodNameSjis(int index);
// The letters of the set weekdays from Sunday to Saturday ("月水" for 10).
std::string GetWeekString(int32_t bits);
std::string GetWeekStringSjis(int32_t bits);
// "同" or "翌" (any index but 0 is 翌).
const char* GetEndDayName(int index);
// The weekday (0 Sunday) of a date, worked out from the date itself; the
// field as given when the date cannot be converted.
int WeekdayOf(const SystemTime& date);

// The first day at or after reference whose weekday is in bits, at
// reference's time of day. No bit set: the day before reference.
SystemTime FindFirstDay(const SystemTime& reference, int32_t bits);

// What the controls show when the dialog opens.
struct RepeatDialogInit {
  RepeatValues values;        // the members after opening: period box forced on,
                              // 1970 (unset) period dates replaced by now
  SystemTime startTime{};     // start-time picker 1005
  SystemTime endTime{};       // end-time picker 1007
  int endDayIndex = kEndDaySame;  // 翌 when m_end's date is after m_start's
  SystemTime periodStart{};   // period start picker 1004
  SystemTime periodEnd{};     // period end picker 1017
  int32_t weekdayBits = 0;    // weekday boxes 1023-1029
  int methodIndex = 0;        // method box 1001
  bool periodBoxEnabled = false;  // 1003 stays checked and disabled
};
RepeatDialogInit InitRepeatDialog(const RepeatValues& values, const SystemTime& now);

// Which controls are enabled for the state of the repeat box (1002): pairs of
// control id and enabled. With the repeat box on, the first-run text (1031)
// also goes back to kFirstRunUnset.
std::vector<std::pair<int, bool>> RepeatControlEnabling(bool repeatOn);
constexpr const char* kFirstRunUnset = "---";

// The method box's selection changed to method: the weekday boxes to check
// (the method's fixed set, or currentBits for 毎週) and the new period start
// (the first matching day from now).
struct MethodChange {
  int32_t weekdayBits;
  SystemTime periodStart;
};
MethodChange OnRepeatMethodChanged(int method, int32_t currentBits, const SystemTime& now);

// The first-run line (1031) after a weekday box was clicked:
// "%02d/%02d/%02d (%s)" of the first matching day whose start time (the
// start-time picker's) is not already past.
std::string FirstRunText(int32_t bits, const SystemTime& startTime, const SystemTime& now);

// What the controls hold when OK is pressed.
struct RepeatDialogInput {
  int32_t loop = 0;          // repeat box 1002
  int32_t kikanF = 0;        // period box 1003
  SystemTime startTime{};    // start-time picker 1005
  SystemTime endTime{};      // end-time picker 1007
  int endDayIndex = 0;       // end-day box 1008
  int methodIndex = 0;       // method box 1001
  int32_t weekdayBits = 0;   // weekday boxes
  SystemTime periodStart{};  // period start picker 1004
  SystemTime periodEnd{};    // period end picker 1017
};

enum class RepeatOkOutcome {
  kRefused,  // show message (E1 or E2) with an OK button and the system's caption; stay open
  kConfirm,  // ask message (the summary) Yes/No captioned kConfirmCaption; Yes closes with IDOK
  kClose,    // close with IDOK at once (repeat box off)
};
struct RepeatOkResult {
  RepeatOkOutcome outcome = RepeatOkOutcome::kRefused;
  std::string message;
  // The members from now on, whatever the outcome (the check boxes' state is
  // taken even when the setting is refused); move them back into the boxes.
  RepeatValues values;
};
constexpr const char* kConfirmCaption = "設定の確認";

// The OK procedure: order of start and end, the first start's weekday, the
// period, the stored values, the "already past" warning and the summary.
RepeatOkResult RepeatDialogOk(const RepeatDialogInput& input, const RepeatValues& current,
                              const SystemTime& now);
// RepeatDialogOk with its messages shown through prompt; values takes the
// new members. True when the dialog is to close with IDOK.
bool RunRepeatDialogOk(const RepeatDialogInput& input, RepeatValues& values,
                       const SystemTime& now, IPrompt& prompt);

// The title of a repeating entry: "%s %s" of the method name and, for 毎週,
// the weekday letters (Shift-JIS).
std::string RepeatTitleSjis(int method, int32_t bits);
// The title the dialog makes for a setting: with the repeat box on,
// RepeatTitleSjis; with it off, "繰り返しなし予約" for an existing entry,
// else "タイトルなし".
std::string MadeRepeatTitleSjis(bool loop, int method, int32_t bits, bool existing);
// The entry a confirmed dialog stands for. With the repeat box on: the
// repeat fields, the period dates without their time of day (all zero
// without a period); with it off, a one-shot entry. Its title is m_title,
// or the made title for the stored setting while m_title_made.
ScheduleEntry EntryFromRepeat(const RepeatValues& values);

// Shift-JIS of the fixed titles.
const char* UntitledSjis();       // "タイトルなし"
const char* NoRepeatTitleSjis();  // "繰り返しなし予約"
