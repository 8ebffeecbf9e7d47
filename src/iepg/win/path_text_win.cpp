#include "iepg/path_text.h"

#include "platform/win32/text_win.h"

std::string Utf8ToPathText(const std::string& utf8) { return WideToAnsi(Utf8ToWide(utf8)); }
std::string PathTextToUtf8(const std::string& path) { return WideToUtf8(AnsiToWide(path)); }
