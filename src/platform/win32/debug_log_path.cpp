#include "platform/debug_log.h"

std::string CDebugLog::DefaultPath() { return "C:\\TEMP\\dbg_print.log"; }
