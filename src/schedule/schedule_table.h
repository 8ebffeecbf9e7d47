#pragma once
// The schedule table: a bounded sequence of entries, kept in ascending
// start order with strictly separated windows by the checked add operation of
// the document and by its load, which sorts the stored entries and keeps an
// overlapping one out of the table.
#include <cstdint>
#include <deque>
#include <vector>

#include "schedule/schedule_entry.h"

class ScheduleTable {
 public:
  static constexpr int kDefaultCapacity = 10;
  // Ten times the largest capacity the settings page offers. Only a
  // hand-edited settings file asks for more, and allocating what it asks
  // could fail at every start.
  static constexpr int kMaxCapacity = 10000;

  // capacity = maxCount, or 10 when maxCount <= 0, at most kMaxCapacity; all
  // slots zero; count 0. The slots are made as the entries come, not here: a
  // capacity of thousands costs nothing until it is used.
  void AllocScheduleTable(int maxCount);
  void FreeScheduleTable();

  int GetScheduleCount() const { return count_; }
  int GetCapacity() const { return capacity_; }
  // The slot at index (also beyond the count), or nullptr past the capacity.
  // A slot never used reads as all zero. A slot's address stays valid while
  // entries are added or removed (it then holds another entry).
  ScheduleEntry* GetSchedule(int index);
  const ScheduleEntry* GetSchedule(int index) const;

  // Opens slot index by moving the entries from index on up by one and copies
  // s, e and title (truncated to fit) into it; nullptr when the table is full.
  // The slot's other fields are left as they were.
  ScheduleEntry* InsertSchedule(int index, const SystemTime& s, const SystemTime& e,
                                const char* title);
  // InsertSchedule with the entry's times and title, then its repeat fields.
  ScheduleEntry* InsertScheduleEntry(int index, const ScheduleEntry& entry);
  // Removes the entry at index; the freed last slot becomes all zero.
  void DeleteSchedule(int index);

  // Calendar seconds of the start and end of slot index. Remembered per slot
  // and recomputed only when the slot's time changed, so that the five ticks
  // a second stay cheap with large tables.
  int32_t StartSeconds(int index) const;
  int32_t EndSeconds(int index) const;
  // Seconds of 2038-01-18 23:59:59 local: entries starting there or later are
  // never current.
  int32_t CurrentLimitSeconds() const;

 private:
  struct Memo {
    SystemTime time{};
    int32_t seconds = 0;
    bool valid = false;
  };
  static int32_t Remembered(Memo& memo, const SystemTime& t);
  // Makes the slots up to index (below the capacity) exist.
  void Grow(int index);

  // A deque: growing it never moves the slots already made.
  std::deque<ScheduleEntry> slots_;
  int capacity_ = 0;
  int count_ = 0;
  mutable std::vector<Memo> startMemo_;
  mutable std::vector<Memo> endMemo_;
  mutable Memo limitMemo_;
};

void SetRepeatFields(ScheduleEntry* entry, int32_t loop, int32_t loopMeth, int32_t bWay,
                     int32_t kikanF, const SystemTime& kikanS, const SystemTime& kikanE);

// Copies a Shift-JIS title into a record's title field: at most 511 bytes,
// never ending in the first byte of a two-byte character.
void CopyTitle(char (&dest)[kTitleSize], const char* title);
