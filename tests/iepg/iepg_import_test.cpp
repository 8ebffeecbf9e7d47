// The import of an iEPG file given on the command line.
#include <gtest/gtest.h>

#include <filesystem>

#include "iepg/iepg_import.h"
#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/profile_store.h"
#include "platform/program_path.h"
#include "platform/text.h"
#include "recording_launcher.h"
#include "schedule/nimbra_doc.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"
#include "support/scripted_view.h"

namespace {

SystemTime At(int y, int mo, int d, int h, int mi) {
  SystemTime t = MakeSystemTime(y, mo, d, h, mi);
  SecondsToTime(TimeToSeconds(t), &t);
  return t;
}

std::string File(const std::string& date, const std::string& start, const std::string& end,
                 const std::string& title = "Title") {
  return "Content-type: application/x-tv-program-info; charset=shift_jis\r\nversion: 1\r\n"
         "year: 2030\r\nmonth: 5\r\ndate: " + date + "\r\nstart: " + start + "\r\nend: " + end +
         "\r\nprogram-title: " + title + "\r\n\r\nbody\r\n";
}

class IepgImport : public ::testing::Test {
 protected:
  IepgImport() {
    doc.LoadSettings();
    doc.SetView(&view);
    (void)doc.AppInfo().SetTvAppPath("/opt/recorder");
  }
  bool Import(const std::string& content) {
    WriteAll(argument, content);
    return ImportCommandLineFile(doc, launcher, argument, programDir.path());
  }
  ScriptedView::ReservationStep PressOk() {
    return [](ReservationValues&) { return true; };
  }

  ScratchDir programDir;
  ScratchDir downloads;
  std::string argument = downloads.File("program.tvpi");
  FakeClock clock{TimeToSeconds(MakeSystemTime(2030, 5, 1, 12, 0))};
  ScriptedPrompt prompt;
  ScriptedView view;
  RecordingLauncher launcher;
  CDebugLog debugLog;
  CNimbraDoc doc{clock, prompt, debugLog, programDir.File("Nimbra.ini")};
};

TEST_F(IepgImport, MidnightCrossingPresetsTheDialogAndStartsTheRecorder) {
  view.OnReservation(PressOk());
  EXPECT_TRUE(Import(File("31", "23:30", "00:30", Utf8ToSjis("映画"))));
  ASSERT_EQ(view.reservationShown.size(), 1u);
  EXPECT_EQ(view.reservationShown[0].m_start, At(2030, 5, 31, 23, 30));
  EXPECT_EQ(view.reservationShown[0].m_end, At(2030, 6, 1, 0, 30));
  EXPECT_EQ(view.reservationShown[0].m_title, Utf8ToSjis("映画"));

  ASSERT_EQ(launcher.opened.size(), 1u);
  EXPECT_EQ(launcher.opened[0].file, "/opt/recorder");
  EXPECT_EQ(launcher.opened[0].parameters, "default.pl");
  EXPECT_EQ(launcher.opened[0].directory, programDir.path());
  EXPECT_NE(ReadAll(programDir.File("default.pl")).find("start: 23:30"), std::string::npos);
  EXPECT_TRUE(prompt.shown.empty());
  EXPECT_EQ(ProfileStore::Load(doc.SettingsPath()).GetInt("TV_REC_SCHEDULE", "sch_num", 0), 1);
}

TEST_F(IepgImport, TheWorkingCopyLandsInAProgramFolderNamedLikeAListing) {
  // 表's second byte in Shift-JIS is the byte of '\'.
  const std::string folder = programDir.File("番組表");
  std::filesystem::create_directory(std::filesystem::u8path(folder));
  view.OnReservation(PressOk());
  WriteAll(argument, File("31", "21:00", "22:00"));
  EXPECT_TRUE(ImportCommandLineFile(doc, launcher, argument, folder));
  // Looked for by the file system's own joining, not by ours.
  const auto real = std::filesystem::u8path(folder) / "default.pl";
  EXPECT_NE(ReadAll(real.u8string()).find("start: 21:00"), std::string::npos);
  ASSERT_EQ(launcher.opened.size(), 1u);
  EXPECT_EQ(launcher.opened[0].directory, folder);
}

TEST_F(IepgImport, HoursPast24AreOnTheNextDay) {
  view.OnReservation(PressOk());
  Import(File("31", "25:30", "26:00"));
  EXPECT_EQ(view.reservationShown[0].m_start, At(2030, 6, 1, 1, 30));
  EXPECT_EQ(view.reservationShown[0].m_end, At(2030, 6, 1, 2, 0));
  view.OnReservation(PressOk());
  Import(File("2", "23:50", "24:20"));
  EXPECT_EQ(view.reservationShown[1].m_start, At(2030, 5, 2, 23, 50));
  EXPECT_EQ(view.reservationShown[1].m_end, At(2030, 5, 3, 0, 20));
}

TEST_F(IepgImport, TheLeadTimeMovesOnlyTheStart) {
  doc.AppInfo().GetUserSetting().epg_offset = 60;
  view.OnReservation(PressOk());
  Import(File("3", "21:00", "22:00"));
  EXPECT_EQ(view.reservationShown[0].m_start, At(2030, 5, 3, 20, 59));
  EXPECT_EQ(view.reservationShown[0].m_end, At(2030, 5, 3, 22, 0));
}

TEST_F(IepgImport, WithoutARecorderTheUserIsToldAndTheDialogStillOpens) {
  (void)doc.AppInfo().SetTvAppPath("");
  Import(File("3", "21:00", "22:00"));
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"録画ソフトの設定をして下さい。"});
  EXPECT_EQ(view.reservationShown.size(), 1u);
  EXPECT_TRUE(launcher.opened.empty());
}

TEST_F(IepgImport, AFileWithoutDateOrTimesOffersNoSchedule) {
  EXPECT_FALSE(Import("Content-type: text/html\r\n\r\n<html>sorry</html>\r\n"));
  EXPECT_TRUE(view.reservationShown.empty());
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].text, "iEPGファイルを読み込めませんでした。\n" + argument);
  EXPECT_EQ(launcher.opened.size(), 1u);  // the recorder may still know the file
}

TEST_F(IepgImport, AMissingFileNeverFallsBackOnTheLastWorkingCopy) {
  WriteAll(programDir.File("default.pl"), File("3", "21:00", "22:00"));
  EXPECT_FALSE(ImportCommandLineFile(doc, launcher, downloads.File("gone.tvpi"),
                                     programDir.path()));
  EXPECT_TRUE(view.reservationShown.empty());
  EXPECT_TRUE(launcher.opened.empty());
  EXPECT_FALSE(FileExists(programDir.File("default.pl")));
  EXPECT_EQ(prompt.Texts().back().rfind("iEPGファイルを読み込めませんでした。", 0), 0u);
}

TEST_F(IepgImport, PartialFilesTakeTodayForWhatIsMissing) {
  view.OnReservation(PressOk());
  Import("version: 1\nstart: 21:00\nend: 21:30\n");
  EXPECT_EQ(view.reservationShown[0].m_start, At(2030, 5, 1, 21, 0));
  EXPECT_EQ(view.reservationShown[0].m_end, At(2030, 5, 1, 21, 30));
  EXPECT_EQ(view.reservationShown[0].m_title, "");
}

TEST_F(IepgImport, RefusedImportsOpenAgainAndCancelAddsNothing) {
  doc.AddSchedule([] {
    ScheduleEntry x{};
    x.s = At(2030, 5, 3, 21, 30);
    x.e = At(2030, 5, 3, 23, 0);
    return x;
  }());
  view.OnReservation(PressOk());  // overlaps: refused
  EXPECT_FALSE(Import(File("3", "21:00", "22:00")));
  EXPECT_EQ(view.reservationShown.size(), 2u);
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{"既存のスケジュールと重なっています"});
  EXPECT_EQ(doc.Table().GetScheduleCount(), 1);
}

TEST_F(IepgImport, WritesItsDebugLogLines) {
  ScratchDir logDir;
  debugLog.SetPath(logDir.File("dbg.log"));
  debugLog.SetLevel(1);
  Import(File("3", "21:00", "22:00"));
  const std::string working = JoinPath(programDir.path(), "default.pl");
  const std::string log = ReadAll(logDir.File("dbg.log"));
  const size_t first = log.find("] " + working);
  const size_t second = log.find("] __argv[1]=" + argument + " path=" + working);
  EXPECT_NE(first, std::string::npos) << log;
  EXPECT_NE(second, std::string::npos) << log;
  EXPECT_LT(first, second);
}

}  // namespace
