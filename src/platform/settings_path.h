#pragma once
// Where the settings file lives: beside the program, named after it.
#include <string>

// The settings file of a program at modulePath: a final ".exe" (any letter
// case) becomes ".ini"; any other name gets ".ini" appended. The program file
// itself and folders named "*.exe*" are never touched.
std::string SettingsPathFor(const std::string& modulePath);
// The settings file of the running program; the program and its plug-in both
// use this.
std::string SettingsFilePath();
