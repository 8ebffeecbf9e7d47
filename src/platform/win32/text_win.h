#pragma once
// The Win32 edge of the text module (platform/text.h): UTF-16 to and from
// UTF-8 (our texts), the system code page (paths) and Shift-JIS.
#include <string>
#include <string_view>

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
std::wstring AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::wstring_view wide);
// Shift-JIS (code page 932) bytes, whatever the system code page is.
std::wstring SjisToWide(std::string_view sjis);
std::string WideToSjis(std::wstring_view wide);
