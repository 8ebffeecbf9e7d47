#pragma once
// Why the operating system refused a request, as the program tells it. The
// platform layer turns the system's own numbers into one of these where it
// makes the call, and writes the number itself to the debug log only; the
// texts the user sees give the cause in words, but for the few messages that
// have always quoted the number (SystemError).
#include <cstdint>

enum class SystemCause {
  kNone,           // the request worked
  kAccessDenied,   // not allowed for this user
  kNotFound,       // the file, key, value or module is missing
  kInvalidHandle,  // the system gave no usable handle
  kNotSupported,   // this PC or system does not offer it
  kAlreadyExists,  // another program holds that name
  kNoResume,       // the timer is set but will not resume the PC from sleep
  kOther,          // any other refusal
};

// A refusal where a message quotes the system's own number: the cause the
// program decides on, and the number, which it only shows, never compares
// with anything of its own.
struct SystemError {
  SystemCause cause = SystemCause::kNone;
  uint32_t number = 0;
  bool operator==(const SystemError& o) const { return cause == o.cause && number == o.number; }
  bool operator!=(const SystemError& o) const { return !(*this == o); }
};

// The cause in a few Japanese words, for messages ("アクセスが拒否されました").
const char* SystemCauseText(SystemCause cause);
