#include "platform/startup_entries.h"

// No logon start here: the entries live for the process only.
IStartupEntries& SystemStartupEntries() {
  static MemoryStartupEntries entries;
  return entries;
}
