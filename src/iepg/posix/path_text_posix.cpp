#include "iepg/path_text.h"

// Paths are UTF-8 already.
std::string Utf8ToPathText(const std::string& utf8) { return utf8; }
std::string PathTextToUtf8(const std::string& path) { return path; }
