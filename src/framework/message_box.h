#pragma once
// Message boxes of the program: the caption is the application title (string
// 57344 of the program's resources) unless the caller asks for the system's
// default caption.
#include <windows.h>

#include <string>

#include "platform/prompt.h"

class CWindow;

constexpr UINT kIdsAppTitle = 57344;

// A string of the program's (or module's) string table; empty when missing.
std::wstring LoadResourceString(UINT id, HINSTANCE module = nullptr);
// The application title, "Nimbra" when the resources lack it.
std::wstring AppTitle();

int AppMessageBox(HWND owner, const std::wstring& text, UINT type);
int AppMessageBox(HWND owner, const std::string& utf8Text, UINT type);
// With the system's default caption.
int PlainMessageBox(HWND owner, const std::wstring& text, UINT type);

// Shown when an exception reaches a window or dialog procedure.
void ReportUnexpectedFailure(HWND owner);

// The prompt service as message boxes owned by one window, so that a dialog's
// questions belong to the dialog. An empty caption is the system's default.
class CWindowPrompt final : public IPrompt {
 public:
  explicit CWindowPrompt(const CWindow& owner) : owner_(owner) {}
  PromptAnswer Show(const std::string& text, const std::string& caption,
                    PromptButtons buttons) override;

 private:
  const CWindow& owner_;
};
