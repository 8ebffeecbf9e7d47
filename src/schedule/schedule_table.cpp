#include "schedule/schedule_table.h"

#include <cassert>
#include <cstring>

#include "platform/text.h"
#include "schedule/time_rules.h"

void ScheduleTable::AllocScheduleTable(int maxCount) {
  const int capacity =
      maxCount <= 0 ? kDefaultCapacity : (maxCount > kMaxCapacity ? kMaxCapacity : maxCount);
  slots_.assign(static_cast<size_t>(capacity), ScheduleEntry{});
  startMemo_.assign(slots_.size(), Memo{});
  endMemo_.assign(slots_.size(), Memo{});
  limitMemo_ = Memo{};
  count_ = 0;
}

void ScheduleTable::FreeScheduleTable() {
  slots_.clear();
  slots_.shrink_to_fit();
  startMemo_.clear();
  endMemo_.clear();
  count_ = 0;
}

ScheduleEntry* ScheduleTable::GetSchedule(int index) {
  return (index >= 0 && index < GetCapacity()) ? &slots_[static_cast<size_t>(index)] : nullptr;
}

const ScheduleEntry* ScheduleTable::GetSchedule(int index) const {
  return (index >= 0 && index < GetCapacity()) ? &slots_[static_cast<size_t>(index)] : nullptr;
}

ScheduleEntry* ScheduleTable::InsertSchedule(int index, const SystemTime& s, const SystemTime& e,
                                             const char* title) {
  if (count_ >= GetCapacity()) return nullptr;
  assert(index >= 0 && index <= count_ && "insert position outside the used slots");
  if (index < 0 || index > count_) return nullptr;
  for (int i = count_; i > index; --i) slots_[static_cast<size_t>(i)] = slots_[static_cast<size_t>(i - 1)];
  ScheduleEntry& slot = slots_[static_cast<size_t>(index)];
  slot.s = s;
  slot.e = e;
  CopyTitle(slot.title, title);
  ++count_;
  return &slot;
}

ScheduleEntry* ScheduleTable::InsertScheduleEntry(int index, const ScheduleEntry& entry) {
  const ScheduleEntry copy = entry;  // entry may live inside the table
  ScheduleEntry* slot = InsertSchedule(index, copy.s, copy.e, copy.title);
  if (slot)
    SetRepeatFields(slot, copy.loop, copy.loop_meth, copy.b_way, copy.kikan_f, copy.kikan_s,
                    copy.kikan_e);
  return slot;
}

void ScheduleTable::DeleteSchedule(int index) {
  if (count_ < 1 || index < 0 || index >= count_) return;
  for (int i = index; i + 1 < count_; ++i) slots_[static_cast<size_t>(i)] = slots_[static_cast<size_t>(i + 1)];
  slots_[static_cast<size_t>(count_ - 1)] = ScheduleEntry{};
  --count_;
}

int32_t ScheduleTable::Remembered(Memo& memo, const SystemTime& t) {
  if (!memo.valid || std::memcmp(&memo.time, &t, sizeof t) != 0) {
    memo.time = t;
    memo.seconds = TimeToSeconds(t);
    memo.valid = true;
  }
  return memo.seconds;
}

int32_t ScheduleTable::StartSeconds(int index) const {
  return Remembered(startMemo_[static_cast<size_t>(index)], slots_[static_cast<size_t>(index)].s);
}

int32_t ScheduleTable::EndSeconds(int index) const {
  return Remembered(endMemo_[static_cast<size_t>(index)], slots_[static_cast<size_t>(index)].e);
}

int32_t ScheduleTable::CurrentLimitSeconds() const {
  return Remembered(limitMemo_, MakeSystemTime(2038, 1, 18, 23, 59, 59));
}

void SetRepeatFields(ScheduleEntry* entry, int32_t loop, int32_t loopMeth, int32_t bWay,
                     int32_t kikanF, const SystemTime& kikanS, const SystemTime& kikanE) {
  entry->loop = loop;
  entry->loop_meth = loopMeth;
  entry->b_way = bWay;
  entry->kikan_f = kikanF;
  entry->kikan_s = kikanS;
  entry->kikan_e = kikanE;
}

void CopyTitle(char (&dest)[kTitleSize], const char* title) {
  // Looking at kTitleSize bytes is enough to cut to kTitleSize - 1 on a
  // character boundary, and a source without a terminating zero is not
  // read past its record.
  const size_t n =
      SjisCutLength(std::string_view(title, strnlen(title, kTitleSize)), kTitleSize - 1);
  std::memmove(dest, title, n);
  std::memset(dest + n, 0, kTitleSize - n);
}
