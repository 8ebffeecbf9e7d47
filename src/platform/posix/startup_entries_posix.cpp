#include "platform/startup_entries.h"

// No logon start here: the entries live for the process only.
std::unique_ptr<IStartupEntries> MakeSystemStartupEntries(CDebugLog&) {
  return std::make_unique<MemoryStartupEntries>();
}
