#pragma once
// Where the running program and its modules live, and the path rules. Paths
// are UTF-8 text (platform/text.h), joined and split on characters: the
// second byte of a Shift-JIS "表" is never taken for a separator.
#include <string>

// Full path of the running program's file ("" when the system cannot say).
std::string ProgramPath();
// Full path of the module (program or shared library) that contains addr.
std::string ModulePathContaining(const void* addr);
// The folder part of a path, without the trailing separator ("" when none).
std::string DirectoryOf(const std::string& path);
// dir joined with name by the platform's separator.
std::string JoinPath(const std::string& dir, const std::string& name);
// True when path names a file by itself, whatever the current folder is (a
// drive and root, or a network share; on Linux a leading '/').
bool IsFullPath(const std::string& path);
// path as a full path, a relative one taken from the current folder ("" for
// "", path itself when the system cannot resolve it).
std::string FullPathOf(const std::string& path);
// Makes folder the current folder; false when it cannot be.
[[nodiscard]] bool SetCurrentFolder(const std::string& folder);
