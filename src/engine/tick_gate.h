#pragma once
// Whether a tick of the 200 ms timer has anything new to look at.
//
// What the scheduler decides follows from the local second, the table, the
// settings and what happened since its last look: a command, an edit, a power
// broadcast, a change of the clock, a worker's report. All but the second
// reach the program as window messages. A tick in the second of the last one
// that ran, with no message in between, would decide exactly the same again,
// so it is let go: an idle program then does its work once a second instead
// of five times, and still looks in every second, as the end detection
// needs. Anything else that changes is seen within the second.
//
// The gate itself reads no clock: reading the local time costs more than
// the idle tick it saves. The caller gives a steady millisecond count and,
// after a tick ran, how far into its second the local clock was.
#include <algorithm>
#include <cstdint>

class CTickGate {
 public:
  // steadyMs: a millisecond count that only goes forward; messages: how many
  // messages other than ticks have been handled so far.
  bool Open(uint64_t steadyMs, uint64_t messages) const {
    return !ran_ || steadyMs >= nextSecondMs_ || messages != messages_;
  }
  // A tick ran; at steadyMs the local clock stood msIntoSecond into its
  // second, and messages is the count then, so that what the tick itself
  // caused does not open the gate again.
  void Ran(uint64_t steadyMs, unsigned msIntoSecond, uint64_t messages) {
    ran_ = true;
    nextSecondMs_ = steadyMs + 1000 - std::min(msIntoSecond, 999u);
    messages_ = messages;
  }

 private:
  bool ran_ = false;
  uint64_t nextSecondMs_ = 0;
  uint64_t messages_ = 0;
};
