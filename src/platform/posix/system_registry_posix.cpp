#include "platform/memory_registry.h"
#include "platform/system_registry.h"

// No registry here: associations live for the process only.
IRegistry& SystemRegistry() {
  static MemoryRegistry registry;
  return registry;
}
