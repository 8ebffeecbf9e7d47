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
#include "schedule/time_rules.h"
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
    return ImportCommandLineFile(doc, services, launcher, argument, programDir.path());
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
  CoreServices services{clock, prompt, debugLog};
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

TEST_F(IepgImport, AFileOverTheBoundIsNeitherCopiedNorRead) {
  view.OnReservation(PressOk());
  std::string big = File("3", "21:00", "22:00");
  big.resize(kMaxIepgFileBytes + 1, ' ');
  EXPECT_FALSE(Import(big));
  EXPECT_FALSE(FileExists(programDir.File("default.pl")));
  EXPECT_TRUE(launcher.opened.empty());
  EXPECT_TRUE(view.reservationShown.empty());
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].text,
            "iEPGファイルが大きすぎるため読み込みませんでした（1MBまで）。\n" + argument);
  big.resize(kMaxIepgFileBytes);  // exactly at the bound: read
  EXPECT_TRUE(Import(big));
}

// Past 2038-01-18 23:59:59 a time cannot be stored: the import says so rather
// than offer a window that starts at once or a misleading one.
TEST_F(IepgImport, ABroadcastPastTheLatestTimeIsRefusedWithItsOwnText) {
  view.OnReservation(PressOk());
  const struct {
    const char* year;
    const char* month;
    const char* date;
    const char* start;
    const char* end;
    bool refused;
  } cases[] = {
      {"2038", "1", "18", "22:00", "23:59", false},
      {"2038", "1", "18", "23:00", "01:00", true},  // the end crosses into the 19th
      {"2038", "1", "19", "21:00", "22:00", true},  // within 32 bits, past the limit
      {"2038", "1", "20", "21:00", "22:00", true},  // past the 32-bit seconds
      {"2040", "5", "3", "21:00", "22:00", true},
  };
  for (const auto& c : cases) {
    prompt.shown.clear();
    const std::string text =
        "Content-type: application/x-tv-program-info; charset=shift_jis\r\nversion: 1\r\n"
        "year: " + std::string(c.year) + "\r\nmonth: " + c.month + "\r\ndate: " + c.date +
        "\r\nstart: " + c.start + "\r\nend: " + c.end + "\r\nprogram-title: x\r\n\r\n";
    Import(text);
    const bool told = !prompt.shown.empty() &&
                      prompt.shown.back().text.rfind(kTimeTooLateText, 0) == 0;
    EXPECT_EQ(told, c.refused) << c.year << "-" << c.month << "-" << c.date << " " << c.start;
  }
}

TEST_F(IepgImport, TheWorkingCopyLandsInAProgramFolderNamedLikeAListing) {
  // 表's second byte in Shift-JIS is the byte of '\'.
  const std::string folder = programDir.File("番組表");
  std::filesystem::create_directory(std::filesystem::u8path(folder));
  view.OnReservation(PressOk());
  WriteAll(argument, File("31", "21:00", "22:00"));
  EXPECT_TRUE(ImportCommandLineFile(doc, services, launcher, argument, folder));
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

TEST_F(IepgImport, FilesThatCannotBeScheduledAreRefusedEachWithItsOwnText) {
  const struct {
    std::string file;
    std::string text;
    bool recorder;  // the recorder is started on a file it can know
  } cases[] = {
      {"Content-type: text/html\r\n\r\n<html>sorry</html>\r\n", "iEPGファイルではありません。", false},
      {"version: 3\r\nyear: 2030\r\n", "対応していないiEPGのバージョンです（version: 3）。", false},
      {"Content-type: application/x-multi-tv-program-info\r\nboundary: B\r\n\r\nB--\r\n",
       "iEPGファイルに番組がありません。", false},
      // No date: no window with a made-up day.
      {"version: 1\nstart: 21:00\nend: 21:30\n", "番組の日時を読み取れません。", true},
      {File("31", "21:75", "22:00"), "番組の日時を読み取れません。", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    prompt.shown.clear();
    launcher.opened.clear();
    EXPECT_FALSE(Import(c.file));
    EXPECT_TRUE(view.reservationShown.empty());
    EXPECT_EQ(prompt.Texts(), std::vector<std::string>{c.text + "\n" + argument});
    EXPECT_EQ(launcher.opened.size(), c.recorder ? 1u : 0u);
  }
}

TEST_F(IepgImport, AMissingFileNeverFallsBackOnTheLastWorkingCopy) {
  WriteAll(programDir.File("default.pl"), File("3", "21:00", "22:00"));
  EXPECT_FALSE(ImportCommandLineFile(doc, services, launcher, downloads.File("gone.tvpi"),
                                     programDir.path()));
  EXPECT_TRUE(view.reservationShown.empty());
  EXPECT_TRUE(launcher.opened.empty());
  EXPECT_FALSE(FileExists(programDir.File("default.pl")));
  EXPECT_EQ(prompt.Texts().back().rfind("iEPGファイルを読み込めませんでした。", 0), 0u);
}

// The list of a multi-programme file, scripted: unticks the titles given and
// records what it was shown.
class ScriptedChooser : public IIepgChooser {
 public:
  bool ChooseIepgPrograms(const std::string& fileTitle, std::vector<IepgListRow>& rows) override {
    shownTitle = fileTitle;
    shown = rows;
    for (IepgListRow& r : rows)
      for (const std::string& t : untick)
        if (r.title == t) r.ticked = false;
    return ok;
  }
  bool ok = true;
  std::vector<std::string> untick;
  std::string shownTitle;
  std::vector<IepgListRow> shown;
};

std::string MultiFile(const std::vector<std::string>& parts) {
  std::string f = "Content-type: application/x-multi-tv-program-info; charset=shift_jis\r\n"
                  "version: 1\r\nmulti-program-title: week\r\nboundary: BB\r\n\r\n";
  for (const std::string& p : parts) f += "BB\r\n" + p;
  return f + "BB--\r\n";
}

TEST_F(IepgImport, AMultiProgrammeFileAddsTheTickedOnesAndReportsTheRefused) {
  // Taken: 3rd 21:30-23:00. The file: one clash, one past, one unticked,
  // one without a window, two that fit.
  doc.AddSchedule([] {
    ScheduleEntry x{};
    x.s = At(2030, 5, 3, 21, 30);
    x.e = At(2030, 5, 3, 23, 0);
    return x;
  }());
  ScriptedChooser chooser;
  chooser.untick = {"skip"};
  WriteAll(argument, MultiFile({File("3", "21:00", "22:00", "clash"), File("2", "19:00", "20:00", "fits"),
                                File("1", "09:00", "10:00", "past"), File("4", "23:30", "00:30", "late"),
                                File("5", "20:00", "21:00", "skip"), "version: 1\r\nprogram-title: nodate\r\n"}));
  EXPECT_TRUE(
      ImportCommandLineFile(doc, services, launcher, argument, programDir.path(), &chooser));

  EXPECT_EQ(chooser.shownTitle, "week");
  ASSERT_EQ(chooser.shown.size(), 5u);  // the one without a window is not offered
  EXPECT_EQ(chooser.shown[3].title, "late");
  EXPECT_EQ(chooser.shown[3].date, "2030/05/04");
  EXPECT_EQ(chooser.shown[3].times, "23:30-00:30");
  for (const IepgListRow& r : chooser.shown) EXPECT_TRUE(r.ticked);

  ASSERT_EQ(doc.Table().GetScheduleCount(), 3);
  EXPECT_EQ(doc.Table().GetSchedule(0)->s, At(2030, 5, 2, 19, 0));
  EXPECT_EQ(doc.Table().GetSchedule(2)->e, At(2030, 5, 5, 0, 30));
  EXPECT_TRUE(view.reservationShown.empty());
  EXPECT_EQ(launcher.opened.size(), 1u);  // the recorder once, for the whole file
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{
                                "2件の番組を予約しました。\n\n予約できなかった番組（3件）:\n"
                                "・nodate … 番組の日時を読み取れません。\n"
                                "・clash（2030/05/03 21:00-22:00） … 既存のスケジュールと重なっています\n"
                                "・past（2030/05/01 09:00-10:00） … 放送が終わっています。"});
  EXPECT_EQ(ProfileStore::Load(doc.SettingsPath()).GetInt("TV_REC_SCHEDULE", "sch_num", 0), 3);
}

TEST_F(IepgImport, AFullTableRefusesTheRestAndCancelAddsNothing) {
  ScriptedChooser chooser;
  chooser.ok = false;
  WriteAll(argument, MultiFile({File("2", "19:00", "20:00", "a"), File("2", "21:00", "22:00", "b")}));
  EXPECT_FALSE(
      ImportCommandLineFile(doc, services, launcher, argument, programDir.path(), &chooser));
  EXPECT_EQ(doc.Table().GetScheduleCount(), 0);
  EXPECT_TRUE(prompt.shown.empty());

  doc.Table().AllocScheduleTable(1);
  chooser.ok = true;
  EXPECT_TRUE(
      ImportCommandLineFile(doc, services, launcher, argument, programDir.path(), &chooser));
  EXPECT_EQ(doc.Table().GetScheduleCount(), 1);
  EXPECT_EQ(prompt.Texts().back(), "1件の番組を予約しました。\n\n予約できなかった番組（1件）:\n"
                                   "・b（2030/05/02 21:00-22:00） … 登録最大数を超えました。");
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
