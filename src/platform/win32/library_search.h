#pragma once
// Where the process looks for a library named without a folder. A program
// that the browser starts for a downloaded file begins in the download
// folder, where a planted library could wait for a system component's bare
// name; the search is narrowed to the system's folder and the program's own.

enum class LibrarySearch {
  kSystemAndProgramFolder,  // only those two folders are searched
  kWithoutCurrentFolder,    // the older rule, but never the current folder
  kUnchanged,               // the system offered neither
};

// Narrows the search as far as the system allows; call first thing at start.
LibrarySearch RestrictLibrarySearch();
