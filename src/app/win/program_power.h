#pragma once
// The program's power service: the dry run's log (app/power_log.h) or the
// machine's own.
#include <memory>
#include <string>

#include "app/program_options.h"
#include "platform/power.h"

class CDebugLog;
class IPrompt;

// The value of NIMBRA_POWER_LOG, "" when it is not set.
std::string PowerLogVariable();
// The value of NIMBRA_DRYRUN_UNMARKED, "" when it is not set.
std::string DryRunUnmarkedVariable();
// The power service of the program: the log during a dry run (a log that
// cannot be written is told through prompt), else the machine's, which
// writes what it cannot do to log.
std::unique_ptr<IPower> MakeProgramPower(const DryRun& dryRun, IPrompt& prompt, CDebugLog& log);
