#pragma once
// The prompt service: a message box with a text, a caption and either an OK
// button or Yes/No. Texts are UTF-8. An empty caption means the system's
// default caption.
#include <string>

enum class PromptButtons { kOk, kYesNo };
enum class PromptAnswer { kOk, kYes, kNo };

class IPrompt {
 public:
  virtual ~IPrompt() = default;
  virtual PromptAnswer Show(const std::string& text, const std::string& caption,
                            PromptButtons buttons) = 0;
};

// The platform's own prompt: a message box on Windows; on Linux the text goes
// to standard error and questions are answered No.
IPrompt& SystemPrompt();
