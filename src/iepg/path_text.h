#pragma once
// File names made from our own UTF-8 texts (the backup's date name) and paths
// shown in messages: conversions between UTF-8 and the narrow path text of
// the platform (the system's code page on Windows, UTF-8 elsewhere).
#include <string>

std::string Utf8ToPathText(const std::string& utf8);
std::string PathTextToUtf8(const std::string& path);
