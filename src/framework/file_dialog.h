#pragma once
// The system's file-open dialog with a filter written the way the settings
// pages spell it: "name|pattern|name|pattern||".
#include <windows.h>

#include <optional>
#include <string>

// The filter in the dialog's own form: pairs of zero-terminated texts, ended
// by an empty one.
std::wstring DialogFilter(const std::wstring& barFilter);

// Asks for a file to open with the flags hide-read-only and
// overwrite-prompt; the current folder stays as it was. The chosen path (which may be empty), or none when the
// user cancelled or the dialog could not be shown.
std::optional<std::wstring> BrowseForFile(HWND owner, const wchar_t* defaultExtension,
                                          const std::wstring& barFilter);
