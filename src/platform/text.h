#pragma once
// Text in the product's three narrow encodings, and the byte rules every
// module shares:
//  - UTF-8: our own texts (messages, captions, the UI in the core);
//  - Shift-JIS (code page 932): the product's data (titles, the settings
//    file, iEPG files, everything handed to the mail library and the
//    mailer); it passes through untouched and is converted only to be shown
//    or when a fixed text is stored;
//  - the platform's path text: the system code page on Windows, UTF-8
//    elsewhere, for file names made from our own texts and paths shown in
//    messages.
// UTF-16 exists only at the Win32 edge (platform/win32/text_win.h).
#include <cstddef>
#include <string>
#include <string_view>

// Characters that cannot be converted become '?'.
std::string SjisToUtf8(std::string_view sjis);
std::string Utf8ToSjis(std::string_view utf8);

std::string Utf8ToPathText(std::string_view utf8);
std::string PathTextToUtf8(std::string_view path);

// True when byte c starts a two-byte Shift-JIS character.
constexpr bool IsSjisLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The length of the longest start of sjis that has at most maxBytes bytes
// and does not end inside a two-byte character. A lead byte that is the last
// byte of sjis stands alone (one byte).
size_t SjisCutLength(std::string_view sjis, size_t maxBytes);

// ASCII case folding, as section and key names and file extensions compare:
// only 'A'-'Z' change, whatever the locale; every other byte stays as it is.
constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix);
