#include <cstdio>

#include "platform/prompt.h"

namespace {

// No display on the Linux host: report on standard error; a question is
// answered No, so nothing irreversible happens unattended.
class ConsolePrompt final : public IPrompt {
 public:
  PromptAnswer Show(const std::string& text, const std::string& caption,
                    PromptButtons buttons) override {
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    return buttons == PromptButtons::kYesNo ? PromptAnswer::kNo : PromptAnswer::kOk;
  }
};

}  // namespace

IPrompt& SystemPrompt() {
  static ConsolePrompt prompt;
  return prompt;
}
