#pragma once
// Files the program writes for a moment and hands to another program (a
// mail body, a preview): written only through a name of their own.
#include <cstdio>
#include <string>

// Creates path, or empties the file there, for writing bytes. A symbolic
// link or junction at path is refused rather than followed, and so is a file
// that has a second name (a hard link), whose other name could be anyone's
// file; nothing is emptied then. A new file is readable by its owner only
// where the system allows. Null when refused or not possible.
std::FILE* OpenPrivateFileForWriting(const std::string& path);
