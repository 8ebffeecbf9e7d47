#include "platform/win32/library_search.h"

#include <windows.h>

#include "platform/win32/kernel32_function.h"

LibrarySearch RestrictLibrarySearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryWFn = BOOL(WINAPI*)(LPCWSTR);
  // Resolved at run time: older systems lack the second, and a system
  // without either still runs the program.
  // An empty library folder takes the current folder out of the older rule
  // as well, for the calls that name their own search.
  const auto setDllDirectory = Kernel32Function<SetDllDirectoryWFn>("SetDllDirectoryW");
  const bool noCurrent = setDllDirectory && setDllDirectory(L"") != FALSE;
  const auto setDefault = Kernel32Function<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories");
  if (setDefault &&
      setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_APPLICATION_DIR) != FALSE)
    return LibrarySearch::kSystemAndProgramFolder;
  return noCurrent ? LibrarySearch::kWithoutCurrentFolder : LibrarySearch::kUnchanged;
}
