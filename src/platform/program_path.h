#pragma once
// Where the running program and its modules live. Paths are narrow texts in
// the system's code page (what the settings file stores).
#include <string>

// Full path of the running program's file.
std::string ProgramPath();
// Full path of the module (program or shared library) that contains addr.
std::string ModulePathContaining(const void* addr);
// The folder part of a path, without the trailing separator ("" when none).
std::string DirectoryOf(const std::string& path);
// dir joined with name by the platform's separator.
std::string JoinPath(const std::string& dir, const std::string& name);
