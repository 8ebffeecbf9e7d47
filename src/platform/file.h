#pragma once
// File operations on paths in UTF-8 (platform/text.h). Contents are bytes and
// pass through untouched.
#include <cstdio>
#include <optional>
#include <string>

#include "platform/unique_any.h"

inline void CloseCFile(std::FILE* f) { std::fclose(f); }
// An open C file that closes itself.
using UniqueFile = UniqueAny<std::FILE*, ReleasedBy<std::FILE*, &CloseCFile>>;

std::FILE* OpenFile(const std::string& path, const char* mode);
// Closes a file that was written and says whether everything written reached
// it (the buffered rest is written at the close); the owner is empty after.
[[nodiscard]] bool FinishFile(UniqueFile& file);
bool FileExists(const std::string& path);
std::optional<std::string> ReadFileBytes(const std::string& path);
// Writes bytes to a temporary file beside path and renames it over path, so
// that path holds either the old or the new content, never a part.
[[nodiscard]] bool WriteFileAtomically(const std::string& path, const std::string& bytes);
[[nodiscard]] bool CopyFileBytes(const std::string& from, const std::string& to);
// Copies the rest of in to out; false on a read or write error.
[[nodiscard]] bool CopyStream(std::FILE* in, std::FILE* out);
bool RemoveFile(const std::string& path);
// The system's folder for temporary files, without a trailing separator.
std::string TempDirectory();
