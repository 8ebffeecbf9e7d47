#pragma once
// A powrprof function resolved at run time, from the system's folder only:
// the power scheme's readings are newer than the rest of the program's
// calls, and Wine lacks some of them; where one is missing the reading
// stays unknown and says why.
#include <windows.h>

// The function called name, typed as F; nullptr where the system has none.
template <class F>
F PowrprofFunction(const char* name) {
  // Loaded once and kept for the program's life, like the system's own DLLs.
  static const HMODULE module =
      LoadLibraryExW(L"powrprof.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}
