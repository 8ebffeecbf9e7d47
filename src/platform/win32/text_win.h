#pragma once
// The Win32 edge of the text module (platform/text.h): UTF-16 to and from
// UTF-8 (our texts and paths) and Shift-JIS (the product's data). There is
// no conversion through the system code page: a path is never narrowed to
// it.
#include <optional>
#include <string>
#include <string_view>

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
// Shift-JIS (code page 932) bytes, whatever the system code page is.
// WideToSjis gives a character without a Shift-JIS form as its best fit or
// '?' (titles); WideToSjisExact gives none instead (paths, stored values).
std::wstring SjisToWide(std::string_view sjis);
std::string WideToSjis(std::wstring_view wide);
std::optional<std::string> WideToSjisExact(std::wstring_view wide);
