#pragma once
// The program was started with an iEPG file: copy it beside the program as
// "default.pl", start the recording program on the copy, and offer the
// broadcast as a schedule in the reservation dialog.
#include <cstdint>
#include <string>

#include "iepg/iepg_reader.h"
#include "platform/system_time.h"

class CNimbraDoc;
class ILauncher;

// The working copy's name in the program's folder.
inline constexpr const char* kIepgWorkingCopy = "default.pl";

// The schedule window of a broadcast in calendar seconds: the start moved
// epgOffset seconds earlier (when positive); an end before the start is on
// the next day; hours of 24 and more roll into the following days. Date
// parts the file did not give are today's; a missing start is 00:00, a
// missing end the start.
struct BroadcastWindow {
  int64_t start;
  int64_t end;
};
BroadcastWindow BroadcastSeconds(const IepgProgram& program, const SystemTime& today,
                                 int32_t epgOffset);

// The import, run once from the view's import timer with the program's first
// argument and its folder. Messages go through the document's prompt; the
// dialog through its view. True when a schedule was added.
bool ImportCommandLineFile(CNimbraDoc& doc, ILauncher& launcher, const std::string& argument,
                           const std::string& programDir);
