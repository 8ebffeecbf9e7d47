#include "engine/tick_gate.h"

#include <gtest/gtest.h>

namespace {

// Ticks every 200 ms on a steady count whose local seconds begin at
// 70 ms past each thousand; a tick that the gate lets through runs.
TEST(TickGate, LooksOncePerLocalSecondAndAfterEveryMessage) {
  struct Step {
    uint64_t ms;
    uint64_t messages;
    bool open;
  };
  const Step steps[] = {
      {100, 0, true},    // the first tick always runs
      {300, 0, false},   // same second, nothing happened
      {500, 0, false},
      {900, 0, false},
      {1069, 0, false},  // the last millisecond of that second
      {1070, 0, true},   // the next second begins
      {1270, 0, false},
      {1470, 4, true},   // a message in the same second
      {1670, 4, false},
      {2069, 4, false},
      {2070, 4, true},
      {9070, 4, true},   // a long gap (a stalled or sleeping PC)
  };
  CTickGate gate;
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << s.ms << " ms, " << s.messages << " messages");
    const bool open = gate.Open(s.ms, s.messages);
    EXPECT_EQ(open, s.open);
    if (open) gate.Ran(s.ms, static_cast<unsigned>((s.ms + 1000 - 70) % 1000), s.messages);
  }
}

TEST(TickGate, MessagesTheTickCausedItselfDoNotOpenItAgain) {
  CTickGate gate;
  ASSERT_TRUE(gate.Open(0, 10));
  gate.Ran(0, 500, 12);  // the tick's own status update was two messages
  EXPECT_FALSE(gate.Open(100, 12));
  EXPECT_TRUE(gate.Open(100, 13));
}

}  // namespace
