#include "app/debug_log.h"

std::string DebugLogDefaultPath() { return "C:\\TEMP\\dbg_print.log"; }
