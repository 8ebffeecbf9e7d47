#pragma once
// The product's data (titles, the settings file, iEPG files, mail) is
// Shift-JIS (code page 932). These convert it to and from the UTF-8 of our
// own texts when a title has to be shown, or a fixed text stored.
#include <string>
#include <string_view>

// Characters that cannot be converted become '?'.
std::string SjisToUtf8(std::string_view sjis);
std::string Utf8ToSjis(std::string_view utf8);

// True when byte c starts a two-byte Shift-JIS character.
constexpr bool IsSjisLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
