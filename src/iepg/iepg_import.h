#pragma once
// An iEPG file to import (the program's argument, a file handed over by a
// second start, a file dropped on the window): copy it beside the program
// as "default.pl", start the recording program on the copy, and offer the
// broadcast as a schedule in the reservation dialog; a file of several
// programmes offers them in a list instead and adds the ticked ones.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "iepg/iepg_reader.h"
#include "platform/core_services.h"
#include "platform/system_time.h"

class CNimbraDoc;
class ILauncher;

// The working copy's name in the program's folder.
inline constexpr const char* kIepgWorkingCopy = "default.pl";
// An iEPG file holds one programme, or a few: a week of them is tens of
// kilobytes. Larger files are refused before they are copied or read.
inline constexpr size_t kMaxIepgFileBytes = 1u << 20;

// The schedule window of a broadcast in calendar seconds: the start moved
// epgOffset seconds earlier (when positive); an end before the start is on
// the next day; hours of 24 and more roll into the following days. None when
// the file's values cannot make a window (HasValidWindow).
struct BroadcastWindow {
  int64_t start;
  int64_t end;
};
std::optional<BroadcastWindow> BroadcastSeconds(const IepgProgram& program, int32_t epgOffset);
// True when the programme's times are valid but lie past the latest time a
// schedule can hold (LatestScheduleTime); BroadcastSeconds gives none then.
bool BroadcastPastLatest(const IepgProgram& program);

// One programme of a multi-programme file as its list shows it (UTF-8).
struct IepgListRow {
  std::string title;
  std::string station;
  std::string date;   // "2030/06/01"
  std::string times;  // "21:00-22:30", the broadcast's own times
  bool ticked = true;
};

// Shows the list of a multi-programme file's programmes, all ticked. False
// on Cancel; on OK rows say which the user left ticked.
class IIepgChooser {
 public:
  virtual ~IIepgChooser() = default;
  virtual bool ChooseIepgPrograms(const std::string& fileTitle, std::vector<IepgListRow>& rows) = 0;
};

// What became of a programme the list offered and the user ticked.
struct IepgRefused {
  std::string title;  // UTF-8
  std::string when;   // "2030/06/01 21:00-22:30"
  std::string why;    // UTF-8 message
};
// The closing message of a multi-programme import: how many were added and
// which were refused and why.
std::string MultiImportReport(int added, const std::vector<IepgRefused>& refused);

// The import of the file at path (UTF-8), run on the
// user-interface thread. Messages go through the services' prompt; the
// reservation dialog through the document's view; the list through chooser
// (without one, every programme is taken as if left ticked). True when at
// least one schedule was added.
bool ImportCommandLineFile(CNimbraDoc& doc, const CoreServices& services, ILauncher& launcher,
                           const std::string& path, const std::string& programDir,
                           IIepgChooser* chooser = nullptr);
