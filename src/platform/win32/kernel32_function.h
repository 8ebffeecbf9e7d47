#pragma once
// A kernel32 function resolved at run time, for calls that older systems (or
// Wine) lack: the program still starts there and takes another way.
#include <windows.h>

// The function called name, typed as F; nullptr where the system has none.
template <class F>
F Kernel32Function(const char* name) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void (*)(void)>(GetProcAddress(kernel, name)));
}
