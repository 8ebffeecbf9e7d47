// The system's numbers as causes, and the number kept for the debug log.
#include "platform/win32/system_cause_win.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/debug_log.h"
#include "support/scratch_dir.h"

namespace {

TEST(SystemCause, EveryNumberTheProgramMeetsHasItsCause) {
  const struct {
    DWORD code;
    SystemCause cause;
  } cases[] = {
      {ERROR_SUCCESS, SystemCause::kNone},
      {ERROR_ACCESS_DENIED, SystemCause::kAccessDenied},
      {ERROR_PRIVILEGE_NOT_HELD, SystemCause::kAccessDenied},
      {ERROR_FILE_NOT_FOUND, SystemCause::kNotFound},
      {ERROR_PATH_NOT_FOUND, SystemCause::kNotFound},
      {ERROR_MOD_NOT_FOUND, SystemCause::kNotFound},
      {ERROR_NOT_FOUND, SystemCause::kNotFound},
      {ERROR_INVALID_HANDLE, SystemCause::kInvalidHandle},
      {ERROR_NOT_SUPPORTED, SystemCause::kNotSupported},
      {ERROR_CALL_NOT_IMPLEMENTED, SystemCause::kNotSupported},
      {ERROR_PROC_NOT_FOUND, SystemCause::kNotSupported},
      {ERROR_ALREADY_EXISTS, SystemCause::kAlreadyExists},
      {ERROR_TIMER_RESUME_IGNORED, SystemCause::kNoResume},
      {ERROR_INVALID_PARAMETER, SystemCause::kOther},
      {ERROR_GEN_FAILURE, SystemCause::kOther},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(SystemCauseOf(c.code), c.cause);
  }
}

// The user is told words, each cause its own; the number is in the debug
// log only, and a success writes nothing.
TEST(SystemCause, TheNumberGoesToTheDebugLogAndTheWordsToTheUser) {
  std::set<std::string> words;
  for (int k = 0; k <= static_cast<int>(SystemCause::kOther); ++k) {
    const std::string text = SystemCauseText(static_cast<SystemCause>(k));
    EXPECT_EQ(text.find_first_of("0123456789"), std::string::npos) << text;
    EXPECT_TRUE(words.insert(text).second) << text;
  }
  ScratchDir dir;
  CDebugLog log(dir.File("dbg_print.log"));
  log.SetLevel(1);
  EXPECT_EQ(LogSystemCause(log, "RegSetValueExW", ERROR_SUCCESS), SystemCause::kNone);
  EXPECT_EQ(LogSystemCause(log, "RegSetValueExW", ERROR_ACCESS_DENIED), SystemCause::kAccessDenied);
  const std::string text = ReadAll(dir.File("dbg_print.log"));
  EXPECT_NE(text.find("RegSetValueExW failed (error=5)"), std::string::npos) << text;
  EXPECT_EQ(text.find("failed"), text.rfind("failed")) << text;  // the success wrote nothing
}

}  // namespace
