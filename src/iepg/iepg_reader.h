#pragma once
// The iEPG reservation files that TV listings sites and recorders hand out:
// header lines of "key: value" (Shift-JIS text), then after an empty line a
// free-text body. Three shapes exist:
//  - version 1 ("application/x-tv-program-info"): one programme, the
//    station by its readable name;
//  - version 2 ("application/x-tv-program-digital-info", ".tvpid"): one
//    programme, the station as a code (DFS + five hex digits of the service
//    id for terrestrial, BSDT or CSDT + three decimal digits for satellite)
//    with the readable name in "station-name", the event id in "program-id";
//  - several programmes ("application/x-multi-tv-program-info" or
//    "...-multi-tv-program-digital-info"): a "boundary: X" line, then parts
//    separated by a line X, the file ending with a line X--; each part is a
//    whole record of version 1 or 2.
// The reader takes the broadcast date, start and end times, title and
// station of each programme. Writers differ: keys come in any letter case,
// a key may be given twice (the first counts), lines end in CRLF, LF or CR,
// a value may hold colons of its own ("start: 22:00", "program-title: a: b").
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The keys a record held, as bits of IepgProgram::found.
enum IepgKey : unsigned {
  kIepgYear = 1u << 0,
  kIepgMonth = 1u << 1,
  kIepgDate = 1u << 2,
  kIepgStart = 1u << 3,
  kIepgEnd = 1u << 4,
  kIepgTitle = 1u << 5,
  kIepgStation = 1u << 6,
  kIepgStationName = 1u << 7,
  kIepgProgramId = 1u << 8,
};
constexpr unsigned kIepgDateTimeKeys = kIepgYear | kIepgMonth | kIepgDate | kIepgStart | kIepgEnd;

// The title holds at most this many bytes, never half a two-byte character;
// so do the station's code and name.
constexpr size_t kIepgTitleMax = 255;

struct IepgProgram {
  int year = 0;
  int month = 0;
  int day = 0;
  int startHour = 0;  // 24 and more: that many hours after the day's midnight
  int startMinute = 0;
  int endHour = 0;
  int endMinute = 0;
  std::string title;        // Shift-JIS bytes as in the file
  std::string station;      // the "station" value: a name (version 1) or a code (version 2)
  std::string stationName;  // the "station-name" value (version 2)
  std::string programId;    // the broadcast's event id (version 2)
  unsigned found = 0;       // IepgKey bits of the keys that occurred
};

// What the file is, or why it is none of the shapes above.
enum class IepgShape {
  kSingle,              // one programme, version 1 or 2
  kMulti,               // several programmes
  kNotIepg,             // no iEPG content type and no iEPG keys (a web page, an error text)
  kUnsupportedVersion,  // a version other than 1 and 2
  kNoPrograms,          // a multi-programme file without a single part
};

struct IepgFile {
  IepgShape shape = IepgShape::kNotIepg;
  int version = 0;              // 1 or 2 (a multi file: its own version line, else 1)
  std::string versionText;      // the version value as written, for the refusal's text
  std::string multiTitle;       // "multi-program-title" of a multi file (Shift-JIS)
  std::vector<IepgProgram> programs;  // every record in file order (one for kSingle)
};

// Reads a whole iEPG text; never fails: an unknown text is kNotIepg.
IepgFile ReadIepg(std::string_view bytes);

// One record's header (a single file or one part of a multi file): the keys
// up to the first empty line after a key; nothing after it is read.
IepgProgram ParseIepg(std::string_view bytes);

// Whether the record's date and times are all given and within their ranges
// (month 1-12, a day the month has, hours 0-47, minutes 0-59, a year
// 1970-2037), so that they make a broadcast window without a made-up part.
bool HasValidWindow(const IepgProgram& program);

// The station as a user reads it (Shift-JIS): "station-name" when given,
// else a version 2 code as "BS 101", "CS 333" or "地デジ 1024" (the service
// id), else the "station" value itself.
std::string StationLabel(const IepgProgram& program);

// Copies a text file (text mode: line ends as the platform writes them),
// replacing destination. False when either file could not be opened or the
// copy was not completely written; destination is then removed.
bool TzCopyFile2File(const std::string& source, const std::string& destination);
