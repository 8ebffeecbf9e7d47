#pragma once
// The one place a prompt becomes a Windows message box: the system prompt
// and the windows' own prompts both show theirs here.
#include <windows.h>

#include <string>

#include "platform/prompt.h"

// Shows text in a message box owned by owner, with caption (the system's
// default caption when empty), the buttons asked and any extra MB_ flags.
PromptAnswer ShowPromptBox(HWND owner, const std::string& text, const std::string& caption,
                           PromptButtons buttons, UINT extraFlags = 0);
