#include "schedule/schedule_table.h"

#include <cassert>
#include <cstring>

#include "platform/text.h"
#include "schedule/time_rules.h"

void ScheduleTable::AllocScheduleTable(int maxCount) {
  const int capacity =
      maxCount <= 0 ? kDefaultCapacity : (maxCount > kMaxCapacity ? kMaxCapacity : maxCount);
  FreeScheduleTable();
  capacity_ = capacity;
}

void ScheduleTable::FreeScheduleTable() {
  slots_.clear();
  slots_.shrink_to_fit();
  startMemo_.clear();
  startMemo_.shrink_to_fit();
  endMemo_.clear();
  endMemo_.shrink_to_fit();
  limitMemo_ = Memo{};
  capacity_ = 0;
  count_ = 0;
}

void ScheduleTable::Grow(int index) {
  const size_t size = static_cast<size_t>(index) + 1;
  if (slots_.size() >= size) return;
  slots_.resize(size);
  startMemo_.resize(size);
  endMemo_.resize(size);
}

ScheduleEntry* ScheduleTable::GetSchedule(int index) {
  if (index < 0 || index >= capacity_) return nullptr;
  Grow(index);
  return &slots_[static_cast<size_t>(index)];
}

const ScheduleEntry* ScheduleTable::GetSchedule(int index) const {
  static const ScheduleEntry kUnused{};
  if (index < 0 || index >= capacity_) return nullptr;
  return static_cast<size_t>(index) < slots_.size() ? &slots_[static_cast<size_t>(index)] : &kUnused;
}

ScheduleEntry* ScheduleTable::InsertSchedule(int index, const SystemTime& s, const SystemTime& e,
                                             const char* title) {
  if (count_ >= capacity_) return nullptr;
  assert(index >= 0 && index <= count_ && "insert position outside the used slots");
  if (index < 0 || index > count_) return nullptr;
  Grow(count_);
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
