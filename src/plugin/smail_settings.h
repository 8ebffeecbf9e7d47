#pragma once
// The mail flags that the mail page's settings make (the settings themselves,
// SMailSettings, are a record of the settings file that the program reads
// too).
#include <cstdint>

#include "platform/shared_settings.h"

// The flags for sm_initmail: template or text mode, plus verbose output.
int32_t MailFlagsFor(const SMailSettings& settings);
