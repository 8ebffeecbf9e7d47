#pragma once
// One schedule: a window of local wall-clock time during which the PC is to be
// awake, with a title, an optional daily or weekly repetition bounded by a
// period, and a run state. The record is handed byte for byte to the plug-in
// and on to the mail library, so it is declared, with its fixed layout, in
// the boundary header all three share.
#include <cstddef>
#include <cstdint>

#include "boundary/nimbra_boundary.h"

enum ScheduleState : int32_t {
  kStateWaiting = 0,   // "待ち"
  kStateRunning = 1,   // "実行"
  kStateFinished = 2,  // "終了"
};

constexpr size_t kTitleSize = NIMBRA_TITLE_SIZE;  // title bytes including the terminating zero
static_assert(sizeof(ScheduleEntry::title) == kTitleSize, "the title fills its field");
