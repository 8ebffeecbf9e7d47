#include "platform/win32/prompt_win.h"

#include "platform/win32/text_win.h"

PromptAnswer ShowPromptBox(HWND owner, const std::string& text, const std::string& caption,
                           PromptButtons buttons, UINT extraFlags) {
  const std::wstring wtext = Utf8ToWide(text);
  const std::wstring wcaption = Utf8ToWide(caption);
  const UINT type =
      (buttons == PromptButtons::kYesNo ? MB_YESNO | MB_ICONQUESTION : MB_OK) | extraFlags;
  const int r = MessageBoxW(owner, wtext.c_str(), caption.empty() ? nullptr : wcaption.c_str(), type);
  if (buttons == PromptButtons::kOk) return PromptAnswer::kOk;
  return r == IDYES ? PromptAnswer::kYes : PromptAnswer::kNo;
}

namespace {

// Without a window of its own (the plug-in, the mail library, start-up): the
// box goes over whatever window is active and comes to the front.
class MessageBoxPrompt final : public IPrompt {
 public:
  PromptAnswer Show(const std::string& text, const std::string& caption,
                    PromptButtons buttons) override {
    return ShowPromptBox(GetActiveWindow(), text, caption, buttons, MB_SETFOREGROUND);
  }
};

}  // namespace

IPrompt& SystemPrompt() {
  static MessageBoxPrompt prompt;
  return prompt;
}
