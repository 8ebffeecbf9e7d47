// The report: the names of the shortfalls and the table the year prints.
#include <cstdio>
#include <string>

#include "sim/simulation.h"

const char* ShortfallName(Shortfall s) {
  switch (s) {
    case Shortfall::kResumeDelay: return "slow resume after a timely wake";
    case Shortfall::kSleptInLead: return "put to sleep in its wake lead, slow resume";
    case Shortfall::kClockJump: return "clock jumped over it";
    case Shortfall::kUserSuspend: return "user suspended in it";
    case Shortfall::kForeignSleep: return "put to sleep in it by someone else";
    case Shortfall::kArmFailed: return "asleep after arming the wake timer failed";
    case Shortfall::kLostWithSave: return "entry lost with a failed save";
    case Shortfall::kNoTimerForeign: return "put to sleep earlier, no wake timer armed";
    case Shortfall::kTimerLate: return "asleep, the program's wake timer late or missing";
    case Shortfall::kProgramSleep: return "the program put the PC to sleep in it";
    case Shortfall::kUnattendedInside: return "Windows' idle sleep in it";
    case Shortfall::kEntryGone: return "entry gone from the table or finished early";
    case Shortfall::kLoadedFinished: return "repeating entry loaded as finished";
    case Shortfall::kCount: break;
  }
  return "?";
}

bool IsUnavoidable(Shortfall s) {
  switch (s) {
    case Shortfall::kResumeDelay:
    case Shortfall::kSleptInLead:
    case Shortfall::kClockJump:
    case Shortfall::kUserSuspend:
    case Shortfall::kForeignSleep:
    case Shortfall::kLostWithSave:
      return true;
    default:
      return false;
  }
}

std::string FormatReport(const SimConfig& c, const SimReport& r) {
  std::string out;
  char line[256];
  auto row = [&](const char* name, const std::string& value) {
    std::snprintf(line, sizeof line, "| %-58s | %14s |\n", name, value.c_str());
    out += line;
  };
  auto num = [](int64_t v) { return std::to_string(v); };
  std::snprintf(line, sizeof line, "Simulated %d days from %04d-%02d-%02d, seed %llu\n\n", c.days,
                c.startYear, c.startMonth, c.startDay, static_cast<unsigned long long>(c.seed));
  out += line;
  row("what", "count");
  out += "|------------------------------------------------------------|----------------|\n";
  row("windows due", num(r.windowsDue));
  row("windows fully awake", num(r.fullyAwake));
  row("late starts (count)", num(r.lateStarts));
  row("late starts (worst, seconds)", num(r.worstLateSeconds));
  row("windows missed entirely", num(r.missedEntirely));
  row("power actions inside a window (must be 0)", num(r.actionsInWindow));
  row("entries lost (must be 0)", num(r.entriesLost));
  row("entries duplicated (must be 0)", num(r.entriesDuplicated));
  row("settings files that fail to load (must be 0)", num(r.loadFailures));
  row("windows short for an avoidable cause", num(r.avoidableShort));
  row("repeating entries finished before their period", num(r.entriesStoppedEarly));
  row("entries lost with a failed save (unavoidable)", num(r.entriesLostWithSave));
  row("kills that found unsaved changes, saves working", num(r.unsavedAtKill));
  row("stopped countdowns that still acted", num(r.stoppedButActed));
  row("suspends the user asked for inside a window", num(r.userSuspendsInWindow));
  row("mails sent twice for one occurrence", num(r.mailsTwice));
  out += "\nWindows not fully awake, by cause (a window may have several):\n";
  for (int i = 0; i < static_cast<int>(Shortfall::kCount); ++i) {
    const Shortfall s = static_cast<Shortfall>(i);
    std::snprintf(line, sizeof line, "  %-52s %6d  %s\n", ShortfallName(s), r.windowsShort[i],
                  IsUnavoidable(s) ? "unavoidable" : "avoidable");
    out += line;
  }
  for (const std::string& e : r.avoidableExamples) out += "    e.g. " + e + "\n";
  out += "\nFaults injected:\n";
  for (const auto& f : r.faults) {
    std::snprintf(line, sizeof line, "  %-52s %6d\n", f.first.c_str(), f.second);
    out += line;
  }
  out += "\nWhat happened:\n";
  for (const auto& f : r.events) {
    std::snprintf(line, sizeof line, "  %-52s %6d\n", f.first.c_str(), f.second);
    out += line;
  }
  out += "\nMessages shown (answered by the simulated user):\n";
  for (const auto& f : r.prompts) {
    std::string text = f.first;
    for (char& ch : text)
      if (ch == '\n') ch = ' ';
    std::snprintf(line, sizeof line, "  %6d  %s\n", f.second, text.c_str());
    out += line;
  }
  return out;
}
