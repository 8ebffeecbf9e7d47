#pragma once
// Conversions at the Win32 edge: UTF-8 (our texts) and the system code page
// (paths, the product's Shift-JIS data) to and from UTF-16.
#include <string>

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);
std::wstring AnsiToWide(const std::string& ansi);
std::string WideToAnsi(const std::wstring& wide);
// Shift-JIS (code page 932) bytes, whatever the system code page is.
std::wstring SjisToWide(const std::string& sjis);
std::string WideToSjis(const std::wstring& wide);
