#include <windows.h>

#include "platform/prompt.h"
#include "platform/win32/text_win.h"

namespace {

class MessageBoxPrompt final : public IPrompt {
 public:
  PromptAnswer Show(const std::string& text, const std::string& caption,
                    PromptButtons buttons) override {
    const std::wstring wtext = Utf8ToWide(text);
    const std::wstring wcaption = Utf8ToWide(caption);
    const UINT type = (buttons == PromptButtons::YesNo ? MB_YESNO | MB_ICONQUESTION : MB_OK) |
                      MB_SETFOREGROUND;
    const int r = MessageBoxW(GetActiveWindow(), wtext.c_str(),
                              caption.empty() ? nullptr : wcaption.c_str(), type);
    if (buttons == PromptButtons::Ok) return PromptAnswer::Ok;
    return r == IDYES ? PromptAnswer::Yes : PromptAnswer::No;
  }
};

}  // namespace

IPrompt& SystemPrompt() {
  static MessageBoxPrompt prompt;
  return prompt;
}
