#pragma once
// One schedule: a window of local wall-clock time during which the PC is to be
// awake, with a title, an optional daily or weekly repetition bounded by a
// period, and a run state. The record is handed byte for byte to the plug-in
// and on to the mail library, so its layout is fixed.
#include <cstddef>
#include <cstdint>

#include "platform/system_time.h"

enum ScheduleState : int32_t {
  kStateWaiting = 0,   // "待ち"
  kStateRunning = 1,   // "実行"
  kStateFinished = 2,  // "終了"
};

constexpr size_t kTitleSize = 512;  // title bytes including the terminating zero

#pragma pack(push, 1)
struct ScheduleEntry {
  SystemTime s;             // start, local time
  SystemTime e;             // end, local time
  char title[kTitleSize];   // zero-terminated Shift-JIS, at most 511 bytes
  int32_t state;            // ScheduleState
  int32_t loop;             // 0 one-shot, 1 repeating
  int32_t loop_meth;        // repeat method index 0-5
  int32_t b_way;            // weekday set: bit 0 Sunday ... bit 6 Saturday
  int32_t kikan_f;          // 1 when the repetition ends at kikan_e
  SystemTime kikan_s;       // period start date (time fields 0)
  SystemTime kikan_e;       // period end date (time fields 0)
};
#pragma pack(pop)

static_assert(sizeof(ScheduleEntry) == 596, "ScheduleEntry is a 596-byte record");
static_assert(offsetof(ScheduleEntry, s) == 0, "layout");
static_assert(offsetof(ScheduleEntry, e) == 16, "layout");
static_assert(offsetof(ScheduleEntry, title) == 32, "layout");
static_assert(offsetof(ScheduleEntry, state) == 544, "layout");
static_assert(offsetof(ScheduleEntry, loop) == 548, "layout");
static_assert(offsetof(ScheduleEntry, loop_meth) == 552, "layout");
static_assert(offsetof(ScheduleEntry, b_way) == 556, "layout");
static_assert(offsetof(ScheduleEntry, kikan_f) == 560, "layout");
static_assert(offsetof(ScheduleEntry, kikan_s) == 564, "layout");
static_assert(offsetof(ScheduleEntry, kikan_e) == 580, "layout");
