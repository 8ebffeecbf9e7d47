#pragma once
// The iEPG reservation file that TV listings sites hand out: header lines of
// "key: value" (Shift-JIS text), then after an empty line a free-text body.
// The reader takes the broadcast date, start and end times and title.
#include <string>
#include <string_view>

// The keys a file held, as bits of IepgProgram::found.
enum IepgKey : unsigned {
  kIepgYear = 1u << 0,
  kIepgMonth = 1u << 1,
  kIepgDate = 1u << 2,
  kIepgStart = 1u << 3,
  kIepgEnd = 1u << 4,
  kIepgTitle = 1u << 5,
};
constexpr unsigned kIepgDateTimeKeys = kIepgYear | kIepgMonth | kIepgDate | kIepgStart | kIepgEnd;

// The title holds at most this many bytes, never half a two-byte character.
constexpr size_t kIepgTitleMax = 255;

struct IepgProgram {
  int year = 0;
  int month = 0;
  int day = 0;
  int startHour = 0;  // 24 and more: that many hours after the day's midnight
  int startMinute = 0;
  int endHour = 0;
  int endMinute = 0;
  std::string title;  // Shift-JIS bytes as in the file
  unsigned found = 0; // IepgKey bits of the keys that occurred
};

// Reads the header of an iEPG text: keys ("year: ", "start: ", ...) are
// matched at the start of a line, exactly and with the blank after the colon;
// the last occurrence wins. CRLF, LF and lone CR all end a line. The header
// ends at the first empty line after a key; nothing after it is read.
IepgProgram ParseIepg(std::string_view bytes);

// ParseIepg of the file at path; false when it cannot be read (program is
// then left as it was).
bool iEPGDecode(const std::string& path, IepgProgram* program);

// Copies a text file (text mode: line ends as the platform writes them),
// replacing destination. False when either file could not be opened or the
// copy was not completely written; destination is then removed.
bool TzCopyFile2File(const std::string& source, const std::string& destination);
