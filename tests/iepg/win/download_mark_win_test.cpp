// The working copy of a downloaded iEPG file keeps the file's zone of origin,
// which Windows keeps in the file's Zone.Identifier stream.
#include <gtest/gtest.h>

#include "iepg/iepg_import.h"
#include "iepg/recording_launcher.h"
#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/program_path.h"
#include "schedule/nimbra_doc.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"
#include "support/scripted_view.h"

namespace {

constexpr char kMark[] = "[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=https://tv.example.jp/\r\n";

class DownloadMark : public ::testing::Test {
 protected:
  DownloadMark() {
    doc.LoadSettings();
    doc.SetView(&view);
    (void)doc.AppInfo().SetTvAppPath("C:\\rec\\rec.exe");
    view.OnReservation([](ReservationValues&) { return true; });
    WriteAll(argument,
             "Content-type: application/x-tv-program-info; charset=shift_jis\r\nversion: 1\r\n"
             "year: 2030\r\nmonth: 5\r\ndate: 2\r\nstart: 20:00\r\nend: 21:00\r\n"
             "program-title: x\r\n");
  }
  std::string WorkingCopy() const { return JoinPath(programDir.path(), "default.pl"); }

  ScratchDir programDir;
  ScratchDir downloads;
  std::string argument = downloads.File("program.tvpi");
  FakeClock clock{TimeToSeconds(MakeSystemTime(2030, 5, 1, 12, 0))};
  ScriptedPrompt prompt;
  ScriptedView view;
  RecordingLauncher launcher;
  CDebugLog debugLog;
  CNimbraDoc doc{clock, prompt, debugLog, programDir.File("Nimbra.ini")};
  CoreServices services{clock, prompt, debugLog};
};

TEST_F(DownloadMark, TheWorkingCopyKeepsTheZoneOfADownloadedFile) {
  WriteAll(argument + ":Zone.Identifier", kMark);
  EXPECT_TRUE(ImportCommandLineFile(doc, services, launcher, argument, programDir.path()));
  EXPECT_EQ(ReadAll(WorkingCopy() + ":Zone.Identifier"), kMark);
  ASSERT_EQ(launcher.opened.size(), 1u);
  EXPECT_EQ(launcher.opened[0].parameters, "default.pl");
}

TEST_F(DownloadMark, AFileWithoutAZoneIsCopiedAsItIs) {
  EXPECT_TRUE(ImportCommandLineFile(doc, services, launcher, argument, programDir.path()));
  EXPECT_EQ(launcher.opened.size(), 1u);
  EXPECT_FALSE(FileExists(WorkingCopy() + ":Zone.Identifier"));
}

}  // namespace
