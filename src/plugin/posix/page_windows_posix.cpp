#include "plugin/page_windows.h"

int AddPageWindows(PluginManager&, PluginSheet&) { return 0; }
