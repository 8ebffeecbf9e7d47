// A settings file that another program holds open without sharing it for
// reading, as editors and backup tools do on Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/profile_store.h"
#include "platform/win32/text_win.h"
#include "schedule/nimbra_doc.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"

namespace {

class LockedSettingsFile : public ::testing::Test {
 protected:
  LockedSettingsFile() {
    WriteAll(Path(), "[TV_REC_SCHEDULE]\r\nsch_num=1\r\nsch_title[0]=stored\r\nsch_start[0]=" +
                         std::to_string(TimeToSeconds(MakeSystemTime(2027, 2, 1, 21, 0))) +
                         "\r\nsch_end[0]=" +
                         std::to_string(TimeToSeconds(MakeSystemTime(2027, 2, 1, 22, 0))) + "\r\n");
    stored = ReadAll(Path());
  }
  ~LockedSettingsFile() override { Unlock(); }
  std::string Path() const { return dir.File("Nimbra.ini"); }
  // Open for writing, shared with nobody: no other reader gets in.
  void Lock() {
    lock = CreateFileW(Utf8ToWide(Path()).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  }
  void Unlock() {
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    lock = INVALID_HANDLE_VALUE;
  }

  ScratchDir dir;
  std::string stored;
  HANDLE lock = INVALID_HANDLE_VALUE;
  FakeClock clock{TimeToSeconds(MakeSystemTime(2027, 1, 10, 12, 0, 0))};
  ScriptedPrompt prompt;
  CDebugLog debugLog;
};

TEST_F(LockedSettingsFile, IsReadOnceTheOtherProgramLetsGo) {
  Lock();
  CNimbraDoc doc(clock, prompt, debugLog, Path());
  int pauses = 0;
  doc.SetReadRetry(5, [&] {
    if (++pauses == 2) Unlock();
  });
  doc.LoadSettings();
  EXPECT_FALSE(doc.IsSettingsFileUnread());
  ASSERT_EQ(doc.Table().GetScheduleCount(), 1);
  EXPECT_STREQ(doc.Table().GetSchedule(0)->title, "stored");
}

TEST_F(LockedSettingsFile, StillHeldItIsNeverSavedOverAndTheEditsGoBesideIt) {
  Lock();
  {
    CNimbraDoc doc(clock, prompt, debugLog, Path());
    doc.SetReadRetry(2, [] {});
    doc.LoadSettings();
    ASSERT_TRUE(doc.IsSettingsFileUnread());
    ASSERT_EQ(prompt.shown.size(), 1u);
    ScheduleEntry e{};
    e.s = MakeSystemTime(2027, 2, 2, 21, 0);
    e.e = MakeSystemTime(2027, 2, 2, 22, 0);
    std::strcpy(e.title, "meanwhile");
    ASSERT_EQ(doc.AddSchedule(e), 0);
    // The other program lets go before the save at exit.
    Unlock();
    EXPECT_TRUE(doc.SaveSettings());
  }
  EXPECT_EQ(ReadAll(Path()), stored);
  CNimbraDoc next(clock, prompt, debugLog, Path());
  next.LoadSettings();
  EXPECT_EQ(next.Table().GetScheduleCount(), 2);
}

}  // namespace
