#pragma once
// A simulated year: the real document, scheduler and countdown (no windows)
// driven by a simulated clock, PC and user, with faults injected at random
// from a seed. Every window the user's table stands for is measured: was the
// PC awake all through it, how late did it wake, did the program switch it
// off inside one, did the table lose or double an entry, did the settings
// file always load.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/sleep_mode.h"

struct SimConfig {
  uint64_t seed = 1;
  int days = 365;
  // Local wall-clock start (the first Monday at or after it begins the table).
  int startYear = 2030, startMonth = 1, startDay = 1;
  // The folder for the settings file and the iEPG files (must exist).
  std::string folder;

  // The user's settings.
  int capacity = 20;
  SleepMode sleepMode = SleepMode::kStandby;
  int finishAct = 1;   // 1 shut down after the last schedule
  int epgOffset = 60;  // seconds an iEPG start is moved earlier
  // The wake lead the user chose: the PC here may take a minute to boot and
  // up to three more to resume, so the user picks the offered lead that
  // covers both.
  int wakeupLeadSec = 300;
  // Whether the user raises the lead to what the wake diagnosis names after
  // a timer wake came back late.
  bool followsAdvice = true;

  // The PC: Windows puts a PC that a timer woke back to sleep after this
  // long without input or a keep-awake request.
  int unattendedSleepSeconds = 120;
  int bootSeconds = 60;

  // The faults: chances per event, or expected counts per day.
  double resumeDelayChance = 0.25;    // per wake: a delay of 1 s to 3 min
  double armFailChance = 0.03;        // per arming of the wake timer
  double jumpsPerDay = 0.04;          // the clock jumps by an hour either way
  double killsPerDay = 0.25;          // the process is killed and restarted
  double killAtEndChance = 0.04;      // per window: killed around its end
  double saveFailsPerDay = 0.04;      // the settings file cannot be written for a while
  double saveFailAtEndChance = 0.02;  // per window: from before to after its end
  double manualSuspendChance = 0.01;  // per window: the user suspends in it
  double cancelChance = 0.05;         // per countdown: the user stops it
  double foreignSleepsPerDay = 0.08;  // Windows or the user sleeps the PC
  double foreignSleepInWindowChance = 0.01;  // per window

  // Whether the user may enter a one-shot over a later occurrence of a
  // repeating entry (the table shows only each entry's next occurrence).
  bool userClashes = true;

  // Writes what happens, line by line, to standard error.
  bool trace = false;
};

// Why (part of) a window was not awake.
enum class Shortfall {
  kResumeDelay,       // the PC woke in time but took long to resume
  kSleptInLead,       // the user or someone else put the PC to sleep when its
                      // lead had begun: it woke at the start, then resumed
  kClockJump,         // the clock jumped over it
  kUserSuspend,       // the user suspended in it through the program
  kForeignSleep,      // Windows or the user put the PC to sleep in it
  kArmFailed,         // put to sleep by someone else after arming the wake timer failed
  kNoTimerForeign,    // asleep, put there by someone else, no wake timer armed
  kLostWithSave,      // its entry was lost with a save that failed
  kProgramSleep,      // the program put the PC to sleep in it
  kTimerLate,         // asleep with a wake timer for a later time, or none
  kUnattendedInside,  // Windows' idle sleep in it (no keep-awake request)
  kEntryGone,         // its entry was lost or finished before its time
  kLoadedFinished,    // its repeating entry was loaded as finished: the stored
                      // occurrence had passed (a save had failed before a kill)
  kCount
};
const char* ShortfallName(Shortfall s);
// True for the causes no program can prevent once the fault has happened.
bool IsUnavoidable(Shortfall s);

struct SimReport {
  int windowsDue = 0;
  int fullyAwake = 0;            // by the program's journal verdict
  int journalDisagreements = 0;  // windows the journal verdict judges otherwise than the measure
  int lateStarts = 0;
  int64_t worstLateSeconds = 0;
  int missedEntirely = 0;
  int actionsInWindow = 0;       // the program's own suspends or shutdowns inside a window
  int userSuspendsInWindow = 0;  // suspends the user asked for inside a window
  int stoppedButActed = 0;       // countdowns the user stopped that still acted
  int entriesLost = 0;           // entries gone from the table (not with a failed save)
  int entriesLostWithSave = 0;   // entries gone with a save that failed
  int entriesDuplicated = 0;
  int entriesStoppedEarly = 0;   // repeating entries finished before their period
  int unsavedAtKill = 0;         // kills that found changes not on disk, saves working
  int loadFailures = 0;
  int mailsTwice = 0;            // plug-in runs for an occurrence already ended
  int windowsShort[static_cast<int>(Shortfall::kCount)] = {};
  int avoidableShort = 0;        // windows short for a cause a program could prevent
  std::vector<unsigned> shortCauses;            // per window not fully awake: Shortfall bits
  std::vector<std::string> avoidableExamples;   // the first few of them

  // What happened.
  std::map<std::string, int> faults;
  std::map<std::string, int> events;
  std::map<std::string, int> prompts;
};

SimReport RunSimulation(const SimConfig& config);
// The save fault: while the disk is full, no file of this process can grow,
// so saving the settings file fails however it is written.
void SetDiskFull(bool full);
// The report as a table, with the seed and the period.
std::string FormatReport(const SimConfig& config, const SimReport& report);
