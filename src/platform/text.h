#pragma once
// Text in the product's three narrow encodings, and the byte rules every
// module shares:
//  - UTF-8: our own texts (messages, captions, the UI in the core);
//  - Shift-JIS (code page 932): the product's data (titles, the settings
//    file, iEPG files, everything handed to the mail library and the
//    mailer); it passes through untouched and is converted only to be shown
//    or when a fixed text is stored;
// Paths are our own texts as well: UTF-8 inside the program on every
// platform, joined and split as text (platform/program_path.h), never as
// bytes. A path becomes Shift-JIS only where a stored value or a library's
// boundary text must be Shift-JIS, and then exactly (Utf8ToSjisExact) or not
// at all.
// UTF-16 exists only at the Win32 edge (platform/win32/text_win.h).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Characters that cannot be converted become '?'.
std::string SjisToUtf8(std::string_view sjis);
std::string Utf8ToSjis(std::string_view utf8);

// utf8 in Shift-JIS, or none when a character has no Shift-JIS form of its
// own: no best fit, so "¥" never becomes '\' and "ë" never 'e'.
std::optional<std::string> Utf8ToSjisExact(std::string_view utf8);

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
