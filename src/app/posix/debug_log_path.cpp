#include "app/debug_log.h"
#include "platform/file.h"
#include "platform/program_path.h"

std::string DebugLogDefaultPath() { return JoinPath(TempDirectory(), "dbg_print.log"); }
