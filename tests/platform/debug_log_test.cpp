#include "platform/debug_log.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file.h"
#include "platform/program_path.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace {

class DebugLog : public ::testing::Test {
 protected:
  // The file is written in text mode: CRLF line ends on Windows.
  std::string Log() const {
    std::string text = ReadAll(dir_.File("dbg_print.log"));
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
  }

  ScratchDir dir_;
  CDebugLog log_{dir_.File("dbg_print.log")};
  const SystemTime now_ = MakeSystemTime(2027, 3, 4, 5, 6, 7);
};

TEST_F(DebugLog, OffTouchesNothing) {
  log_.SetLevel(0);
  log_.Start(now_);
  log_.Stamp(now_, __FILE__, __LINE__);
  log_.Write("line %d", 1);
  log_.End(now_);
  EXPECT_FALSE(FileExists(dir_.File("dbg_print.log")));
}

TEST_F(DebugLog, BannersAndStampedLinesAtLevelOne) {
  log_.SetLevel(1);
  log_.Start(now_);
  log_.Stamp(now_, "src/x.cpp", 12);
  log_.Write("tick %s", "a");
  log_.Write("again");  // not stamped: repeats the previous prefix
  log_.End(now_);
  EXPECT_EQ(Log(),
            "************************** loging start [2027/03/04 05:06:07] "
            "**************************\n"
            "[2027/03/04 05:06:07] tick a\n"
            "[2027/03/04 05:06:07] again\n"
            "************************** loging end   [2027/03/04 05:06:07] "
            "**************************\n");
}

TEST_F(DebugLog, LevelTwoNamesTheSourceFromTheProductWord) {
  log_.SetLevel(2);
  log_.Stamp(now_, "/home/dev/Nimbra/src/engine/tick.cpp", 42);
  log_.Write("x");
  log_.Stamp(now_, "/elsewhere/tick.cpp", 7);
  log_.Write("y");
  EXPECT_EQ(Log(),
            "[2027/03/04 05:06:07][Nimbra/src/engine/tick.cpp:42] x\n"
            "[2027/03/04 05:06:07][/elsewhere/tick.cpp:7] y\n");
}

TEST_F(DebugLog, AMissingFolderDropsTheLineQuietly) {
  log_.SetLevel(1);
  log_.SetPath(dir_.File("missing/dbg_print.log"));
  log_.Write("lost");
  EXPECT_FALSE(FileExists(dir_.File("missing/dbg_print.log")));
}

// The log's folder is one every account may write to: a folder there that is
// a link (a junction) to another must not carry the lines elsewhere.
TEST_F(DebugLog, NeverWritesThroughALinkedFolder) {
  const std::string fixture = JoinPath(DirectoryOf(ProgramPath()), "link-fixture");
  const std::string linked = JoinPath(JoinPath(fixture, "linked"), "dbg_print.log");
  const std::string real = JoinPath(JoinPath(fixture, "real"), "dbg_print.log");
  if (!FileExists(JoinPath(fixture, "linked"))) GTEST_SKIP() << "no linked folder beside the tests";
  RemoveFile(real);
  log_.SetLevel(1);
  log_.SetPath(linked);
  log_.Start(now_);
  log_.Write("through the link");
  EXPECT_FALSE(FileExists(real));

  log_.SetPath(real);  // the same folder by its own name is written
  log_.Write("direct");
  EXPECT_TRUE(FileExists(real));
  RemoveFile(real);
}

}  // namespace
