#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/program_path.h"

std::string CDebugLog::DefaultPath() { return JoinPath(TempDirectory(), "dbg_print.log"); }
