#pragma once
// Message boxes of the program: the caption is the application title (string
// 57344 of the program's resources) unless the caller asks for the system's
// default caption.
#include <windows.h>

#include <string>


constexpr UINT kIdsAppTitle = 57344;

// A string of the program's (or module's) string table; empty when missing.
std::wstring LoadResourceString(UINT id, HINSTANCE module = nullptr);
// The application title, kAppTitle when the resources lack it.
std::wstring AppTitle();

int AppMessageBox(HWND owner, const std::wstring& text, UINT type);
int AppMessageBox(HWND owner, const std::string& utf8Text, UINT type);
// With the system's default caption.
int PlainMessageBox(HWND owner, const std::wstring& text, UINT type);

// Shown when an exception reaches a window or dialog procedure.
void ReportUnexpectedFailure(HWND owner);
