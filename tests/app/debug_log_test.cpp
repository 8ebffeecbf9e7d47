#include "app/debug_log.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/fakes.h"
#include "platform/file.h"
#include "support/scratch_dir.h"

namespace {

class DebugLog : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = DebugLogPath();
    SetDebugLogPath(dir_.File("dbg_print.log"));
  }
  void TearDown() override {
    SetDebugLogLevel(0);
    SetDebugLogPath(saved_);
  }
  // The file is written in text mode: CRLF line ends on Windows.
  std::string Log() const {
    std::string text = ReadAll(dir_.File("dbg_print.log"));
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
  }

  ScratchDir dir_;
  std::string saved_;
  const SystemTime now_ = MakeSystemTime(2027, 3, 4, 5, 6, 7);
};

TEST_F(DebugLog, OffTouchesNothing) {
  SetDebugLogLevel(0);
  DebugLogStart(now_);
  DebugLogStamp(now_, __FILE__, __LINE__);
  DebugLogWrite("line %d", 1);
  DebugLogEnd(now_);
  EXPECT_FALSE(FileExists(dir_.File("dbg_print.log")));
}

TEST_F(DebugLog, BannersAndStampedLinesAtLevelOne) {
  SetDebugLogLevel(1);
  DebugLogStart(now_);
  DebugLogStamp(now_, "src/x.cpp", 12);
  DebugLogWrite("tick %s", "a");
  DebugLogWrite("again");  // not stamped: repeats the previous prefix
  DebugLogEnd(now_);
  EXPECT_EQ(Log(),
            "************************** loging start [2027/03/04 05:06:07] "
            "**************************\n"
            "[2027/03/04 05:06:07] tick a\n"
            "[2027/03/04 05:06:07] again\n"
            "************************** loging end   [2027/03/04 05:06:07] "
            "**************************\n");
}

TEST_F(DebugLog, LevelTwoNamesTheSourceFromTheProductWord) {
  SetDebugLogLevel(2);
  DebugLogStamp(now_, "/home/dev/Nimbra/src/engine/tick.cpp", 42);
  DebugLogWrite("x");
  DebugLogStamp(now_, "/elsewhere/tick.cpp", 7);
  DebugLogWrite("y");
  EXPECT_EQ(Log(),
            "[2027/03/04 05:06:07][Nimbra/src/engine/tick.cpp:42] x\n"
            "[2027/03/04 05:06:07][/elsewhere/tick.cpp:7] y\n");
}

TEST_F(DebugLog, AMissingFolderDropsTheLineQuietly) {
  SetDebugLogLevel(1);
  SetDebugLogPath(dir_.File("missing/dbg_print.log"));
  DebugLogWrite("lost");
  EXPECT_FALSE(FileExists(dir_.File("missing/dbg_print.log")));
}

}  // namespace
