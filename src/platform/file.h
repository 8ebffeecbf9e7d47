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

// The outcome of reading a whole file of bounded size. A file that exists but
// cannot be read (another program holds it without sharing it, no right to
// read it, a folder) is told apart from one that is not there, so that a
// caller never takes it for an empty file.
enum class FileReadStatus { kRead, kMissing, kUnreadable, kTooLarge };
struct FileRead {
  FileReadStatus status = FileReadStatus::kMissing;
  std::string bytes;  // the content when Read
};
// Reads the file at path when it holds at most maxBytes bytes; a larger one
// is refused before it is read (TooLarge).
FileRead ReadFileBounded(const std::string& path, size_t maxBytes);
// Writes bytes to a temporary file beside path and renames it over path, so
// that path holds either the old or the new content, never a part. The
// temporary file has a name no other program can guess and is created only
// where no file or link of that name exists.
[[nodiscard]] bool WriteFileAtomically(const std::string& path, const std::string& bytes);
// How CopyFileContents writes: the bytes as they are, replacing the
// destination; text (line ends as the platform writes them), replacing it;
// the bytes appended to it.
enum class CopyKind { kBytes, kText, kAppendedBytes };
// Copies the file at from to the file at to; false when either could not be
// opened or the copy was not completely written (a replacing copy then
// removes what it wrote).
[[nodiscard]] bool CopyFileContents(const std::string& from, const std::string& to,
                                    CopyKind kind = CopyKind::kBytes);
bool RemoveFile(const std::string& path);
// Creates path for writing only when nothing (no file, no link) has that name
// yet; nullptr otherwise.
std::FILE* CreateNewFile(const std::string& path);
// A temporary name beside path: path, a dot and random letters that no other
// program can predict, then ".tmp".
std::string TemporaryNameBeside(const std::string& path);
// The system's folder for temporary files, without a trailing separator.
std::string TempDirectory();
