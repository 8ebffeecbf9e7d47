// The document's editing commands driven through a scripted list view.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/profile_store.h"
#include "platform/text.h"
#include "schedule/nimbra_doc.h"
#include "support/fakes.h"
#include "support/scratch_dir.h"
#include "support/scripted_view.h"

namespace {

SystemTime At(int y, int mo, int d, int h, int mi, int s = 0) {
  return MakeSystemTime(y, mo, d, h, mi, s);
}

ScheduleEntry Entry(const SystemTime& s, const SystemTime& e, const char* title) {
  ScheduleEntry x{};
  x.s = s;
  x.e = e;
  std::strcpy(x.title, title);
  return x;
}

// The user types these values and presses OK.
ScriptedView::ReservationStep Enter(SystemTime s, SystemTime e, std::string title) {
  return [=](ReservationValues& v) {
    v.m_start = s;
    v.m_end = e;
    v.m_title = title;
    return true;
  };
}
ScriptedView::ReservationStep PressOk() {
  return [](ReservationValues&) { return true; };
}

const char* kOrder = "設定した値のエラー。開始より終了が早い、または値が不正";
const char* kOverlap = "既存のスケジュールと重なっています";

class DocCommands : public ::testing::Test {
 protected:
  DocCommands() {
    doc.LoadSettings();
    doc.SetView(&view);
  }

  void Put(const SystemTime& s, const SystemTime& e, const char* title) {
    ASSERT_NE(doc.AddSchedule(Entry(s, e, title)), -1);
  }
  const ScheduleEntry& Row(int i) { return *doc.Table().GetSchedule(i); }
  int StoredCount() {
    return ProfileStore::Load(settings).GetInt("TV_REC_SCHEDULE", "sch_num", -1);
  }

  ScratchDir dir;
  std::string settings = dir.File("Nimbra.ini");
  FakeClock clock{TimeToSeconds(At(2030, 5, 1, 12, 0))};  // a Wednesday
  ScriptedPrompt prompt;
  ScriptedView view;
  CDebugLog debugLog;
  CNimbraDoc doc{clock, prompt, debugLog, settings};
};

TEST_F(DocCommands, AddShowsTheRefusedValuesAgainAndSavesWhenAccepted) {
  view.OnReservation(Enter(At(2030, 5, 2, 21, 0), At(2030, 5, 2, 20, 0), "news"));
  view.OnReservation([](ReservationValues& v) {
    v.m_end = At(2030, 5, 2, 22, 0);
    return true;
  });
  EXPECT_TRUE(doc.OnScheduleAdd());

  ASSERT_EQ(view.reservationShown.size(), 2u);
  // A new schedule opens at the current time with an empty title ...
  EXPECT_EQ(view.reservationShown[0].m_start, clock.LocalNow());
  EXPECT_EQ(view.reservationShown[0].m_end, clock.LocalNow());
  EXPECT_EQ(view.reservationShown[0].m_title, "");
  // ... and after a refusal with exactly what was entered.
  EXPECT_EQ(view.reservationShown[1].m_start, At(2030, 5, 2, 21, 0));
  EXPECT_EQ(view.reservationShown[1].m_end, At(2030, 5, 2, 20, 0));
  EXPECT_EQ(view.reservationShown[1].m_title, "news");
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{kOrder});

  ASSERT_EQ(doc.Table().GetScheduleCount(), 1);
  EXPECT_STREQ(Row(0).title, "news");
  EXPECT_EQ(Row(0).state, kStateWaiting);
  EXPECT_EQ(Row(0).loop, 0);
  EXPECT_EQ(view.refreshes, 1);
  EXPECT_EQ(StoredCount(), 1);  // on disk at once
}

TEST_F(DocCommands, CancelAfterARefusalChangesNothing) {
  view.OnReservation(Enter(At(2030, 5, 2, 21, 0), At(2030, 5, 2, 21, 1), "x"));
  EXPECT_FALSE(doc.OnScheduleAdd());
  EXPECT_EQ(view.reservationShown.size(), 2u);
  EXPECT_EQ(doc.Table().GetScheduleCount(), 0);
  EXPECT_EQ(view.refreshes, 0);
  EXPECT_FALSE(FileExists(settings));
}

TEST_F(DocCommands, AFullTableEndsTheLoop) {
  for (int i = 0; i < 10; ++i) Put(At(2030, 6, 1 + i, 10, 0), At(2030, 6, 1 + i, 11, 0), "t");
  view.OnReservation(Enter(At(2030, 7, 1, 10, 0), At(2030, 7, 1, 11, 0), "late"));
  doc.OnScheduleAdd();
  EXPECT_EQ(view.reservationShown.size(), 1u);
  EXPECT_EQ(prompt.Texts().back(), "登録最大数を超えました。");
  EXPECT_EQ(doc.Table().GetScheduleCount(), 10);
}

TEST_F(DocCommands, ChangeIntoAnOverlapPutsTheOldEntryBackAsItWas) {
  Put(At(2030, 5, 1, 11, 0), At(2030, 5, 1, 13, 0), "running");
  Put(At(2030, 5, 3, 20, 0), At(2030, 5, 3, 21, 0), "later");
  doc.Table().GetSchedule(0)->state = kStateRunning;
  view.selected = 0;

  // Moved onto "later": refused, then moved elsewhere: accepted.
  view.OnReservation(Enter(At(2030, 5, 3, 20, 30), At(2030, 5, 3, 22, 0), "moved"));
  view.OnReservation([&](ReservationValues& v) {
    // While the dialog is open again the old entry is back at its row.
    EXPECT_STREQ(Row(0).title, "running");
    EXPECT_EQ(Row(0).state, kStateRunning);
    EXPECT_EQ(doc.Table().GetScheduleCount(), 2);
    v.m_start = At(2030, 5, 4, 20, 0);
    v.m_end = At(2030, 5, 4, 21, 0);
    return true;
  });
  EXPECT_TRUE(doc.OnScheduleChange());

  ASSERT_EQ(view.reservationShown.size(), 2u);
  EXPECT_EQ(view.reservationShown[0].m_start, At(2030, 5, 1, 11, 0));
  EXPECT_EQ(view.reservationShown[0].m_title, "running");
  EXPECT_EQ(view.reservationShown[1].m_start, At(2030, 5, 3, 20, 30));
  EXPECT_EQ(view.reservationShown[1].m_title, "moved");
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{kOverlap});

  // The second attempt replaced the same entry: still two entries.
  ASSERT_EQ(doc.Table().GetScheduleCount(), 2);
  EXPECT_STREQ(Row(0).title, "later");
  EXPECT_STREQ(Row(1).title, "moved");
  EXPECT_EQ(Row(1).state, kStateWaiting);
  EXPECT_EQ(view.focused, std::vector<int>{0});
  EXPECT_EQ(StoredCount(), 2);
}

TEST_F(DocCommands, AnOldEntryThatNoLongerPassesTheChecksIsStillPutBack) {
  // Loaded from the file last year; a change that overlaps must not lose it.
  doc.Table().InsertSchedule(0, At(2029, 12, 1, 10, 0), At(2029, 12, 1, 11, 0), "old");
  doc.Table().GetSchedule(0)->state = kStateFinished;
  Put(At(2030, 5, 3, 20, 0), At(2030, 5, 3, 21, 0), "later");
  view.selected = 0;
  view.OnReservation(Enter(At(2030, 5, 3, 20, 30), At(2030, 5, 3, 22, 0), "moved"));
  EXPECT_FALSE(doc.OnScheduleChange());
  ASSERT_EQ(doc.Table().GetScheduleCount(), 2);
  EXPECT_STREQ(Row(0).title, "old");
  EXPECT_EQ(Row(0).state, kStateFinished);
  EXPECT_EQ(Row(0).s, At(2029, 12, 1, 10, 0));
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{kOverlap});  // no message about the old one
  EXPECT_EQ(view.refreshes, 1);
  EXPECT_EQ(view.focused, std::vector<int>{0});
  EXPECT_FALSE(FileExists(settings));  // nothing accepted, nothing saved
}

TEST_F(DocCommands, DeleteRowThreeOfFive) {
  const char* titles[] = {"a", "b", "c", "d", "e"};
  for (int i = 0; i < 5; ++i) Put(At(2030, 6, 1 + i, 10, 0), At(2030, 6, 1 + i, 11, 0), titles[i]);
  view.selected = 2;

  EXPECT_FALSE(doc.OnScheduleDelete());  // No
  EXPECT_EQ(doc.Table().GetScheduleCount(), 5);

  prompt.QueueAnswer(PromptAnswer::kYes);
  EXPECT_TRUE(doc.OnScheduleDelete());
  ASSERT_EQ(prompt.shown.size(), 2u);
  EXPECT_EQ(prompt.shown[1].text, "No.003 c を削除しますか？");
  EXPECT_EQ(prompt.shown[1].caption, "Nimbra");
  EXPECT_EQ(prompt.shown[1].buttons, PromptButtons::kYesNo);
  ASSERT_EQ(doc.Table().GetScheduleCount(), 4);
  EXPECT_STREQ(Row(2).title, "d");
  EXPECT_STREQ(Row(3).title, "e");
  const ScheduleEntry zero{};
  EXPECT_EQ(std::memcmp(doc.Table().GetSchedule(4), &zero, sizeof zero), 0);
  EXPECT_EQ(view.refreshes, 1);
  EXPECT_EQ(StoredCount(), 4);
}

TEST_F(DocCommands, DeleteShowsAJapaneseTitleAsText) {
  Put(At(2030, 6, 1, 10, 0), At(2030, 6, 1, 11, 0), Utf8ToSjis("ニュース").c_str());
  view.selected = 0;
  doc.OnScheduleDelete();
  EXPECT_EQ(prompt.Texts().back(), "No.001 ニュース を削除しますか？");
}

TEST_F(DocCommands, WithoutASelectionChangeDeleteAndRepeatDoNothingToTheTable) {
  Put(At(2030, 6, 1, 10, 0), At(2030, 6, 1, 11, 0), "a");
  EXPECT_FALSE(doc.OnScheduleChange());
  EXPECT_FALSE(doc.OnScheduleDelete());
  EXPECT_TRUE(view.reservationShown.empty());
  EXPECT_TRUE(prompt.shown.empty());
  view.selected = 5;  // a stale row past the table
  EXPECT_FALSE(doc.OnScheduleChange());
  EXPECT_EQ(doc.Table().GetScheduleCount(), 1);
}

// The user sets up a repetition in the repeat dialog (the dialog's own
// checks have passed; these are its stored members).
ScriptedView::RepeatStep Repeat(int method, int32_t bits, SystemTime s, SystemTime e,
                                SystemTime periodEnd) {
  return [=](RepeatValues& v) {
    v.m_loop = 1;
    v.m_kikan_f = 1;
    v.m_loop_meth = method;
    v.m_b_way = bits;
    v.m_start = v.m_kikan_s = s;
    v.m_end = e;
    v.m_kikan_e = ComposeDateTime(periodEnd, e);
    return true;
  };
}

TEST_F(DocCommands, RepeatCommandOnASelectedOneShotEntryMakesItRepeat) {
  Put(At(2030, 5, 6, 21, 0), At(2030, 5, 6, 22, 0), "news");
  view.selected = 0;
  view.OnRepeat(Repeat(kMethodWeekly, 0x0A, At(2030, 5, 6, 21, 0), At(2030, 5, 6, 22, 0),
                       At(2030, 6, 30, 0, 0)));
  EXPECT_TRUE(doc.OnRegularSchedule());

  ASSERT_EQ(view.repeatShown.size(), 1u);
  EXPECT_EQ(view.repeatShown[0].m_loop, 0);
  EXPECT_EQ(view.repeatShown[0].m_start, At(2030, 5, 6, 21, 0));
  EXPECT_TRUE(view.reservationShown.empty());

  const ScheduleEntry& x = Row(0);
  EXPECT_EQ(view.repeatShown[0].m_title, "news");
  EXPECT_EQ(SjisToUtf8(x.title), "news");  // its own title, not a made one
  EXPECT_EQ(x.loop, 1);
  EXPECT_EQ(x.loop_meth, kMethodWeekly);
  EXPECT_EQ(x.b_way, 10);
  EXPECT_EQ(x.kikan_f, 1);
  EXPECT_EQ(x.kikan_s, At(2030, 5, 6, 0, 0));
  EXPECT_EQ(x.kikan_e, At(2030, 6, 30, 0, 0));
  EXPECT_EQ(view.focused, std::vector<int>{0});
  EXPECT_EQ(StoredCount(), 1);
}

TEST_F(DocCommands, RepeatingEntriesChangeInTheRepeatDialog) {
  Put(At(2030, 5, 6, 21, 0), At(2030, 5, 6, 22, 0), "x");
  doc.Table().GetSchedule(0)->loop = 1;
  view.selected = 0;
  view.OnRepeat([](RepeatValues& v) {
    v.m_loop = 0;  // repeat box cleared: a one-shot entry
    return true;
  });
  EXPECT_TRUE(doc.OnScheduleChange());
  EXPECT_EQ(view.repeatShown.size(), 1u);
  EXPECT_EQ(SjisToUtf8(Row(0).title), "x");
  EXPECT_EQ(Row(0).loop, 0);
  EXPECT_EQ(Row(0).kikan_f, 0);
}

TEST_F(DocCommands, NewEntriesFromTheRepeatDialog) {
  view.OnRepeat([](RepeatValues& v) {
    EXPECT_EQ(v.m_loop, 0);
    v.m_start = At(2030, 5, 2, 9, 0);
    v.m_end = At(2030, 5, 2, 10, 0);
    return true;
  });
  EXPECT_TRUE(doc.OnRegularSchedule());
  EXPECT_EQ(SjisToUtf8(Row(0).title), "タイトルなし");

  // A daily repetition overlapping the first entry is refused and shown again.
  view.OnRepeat(Repeat(kMethodDaily, 127, At(2030, 5, 2, 9, 30), At(2030, 5, 2, 11, 0),
                       At(2030, 5, 31, 0, 0)));
  view.OnRepeat([](RepeatValues& v) {
    v.m_start = v.m_kikan_s = At(2030, 5, 3, 9, 30);
    v.m_end = At(2030, 5, 3, 11, 0);
    return true;
  });
  EXPECT_TRUE(doc.OnRegularSchedule());
  EXPECT_EQ(view.repeatShown.back().m_start, At(2030, 5, 2, 9, 30));
  EXPECT_EQ(view.repeatShown.back().m_loop_meth, kMethodDaily);
  ASSERT_EQ(doc.Table().GetScheduleCount(), 2);
  EXPECT_EQ(SjisToUtf8(Row(1).title), "毎日 ");
  EXPECT_EQ(Row(1).b_way, 127);
  EXPECT_EQ(Row(1).kikan_s, At(2030, 5, 3, 0, 0));
}

TEST_F(DocCommands, TheImportPresetsTheReservationDialog) {
  const int32_t s = TimeToSeconds(At(2030, 5, 31, 23, 30));
  const int32_t e = TimeToSeconds(At(2030, 6, 1, 0, 30));
  view.OnReservation(PressOk());
  EXPECT_TRUE(doc.AddScheduleFromSeconds(s, e, "late show"));
  ASSERT_EQ(view.reservationShown.size(), 1u);
  SystemTime expectS = At(2030, 5, 31, 23, 30);
  expectS.wDayOfWeek = 5;
  EXPECT_EQ(view.reservationShown[0].m_start, expectS);
  EXPECT_EQ(view.reservationShown[0].m_title, "late show");
  EXPECT_STREQ(Row(0).title, "late show");
  EXPECT_EQ(StoredCount(), 1);
}

TEST_F(DocCommands, AFailedSaveIsReportedOnceUntilSavingWorksAgain) {
  ScratchDir other;
  const std::string blocked = other.File("missing-folder") + "/Nimbra.ini";
  CNimbraDoc lost(clock, prompt, debugLog, blocked);
  lost.LoadSettings();
  lost.SetView(&view);
  view.OnReservation(Enter(At(2030, 6, 1, 10, 0), At(2030, 6, 1, 11, 0), "a"));
  view.OnReservation(Enter(At(2030, 6, 2, 10, 0), At(2030, 6, 2, 11, 0), "b"));
  EXPECT_TRUE(lost.OnScheduleAdd());
  EXPECT_TRUE(lost.OnScheduleAdd());
  EXPECT_EQ(view.saveFailures, std::vector<std::string>{blocked});
  EXPECT_EQ(lost.Table().GetScheduleCount(), 2);  // the edits themselves stand
  EXPECT_NE(SettingsSaveFailedText("C:\\x\\Nimbra.ini").find("C:\\x\\Nimbra.ini"),
            std::string::npos);
}

// At exit a failed save (another program holding the file open) is no longer
// followed by a later one: the user is asked to try again, every time, even
// when the failure was told before, and a retry that works keeps the table.
TEST_F(DocCommands, AFailedSaveAtExitAsksToTryAgainUntilItWorksOrTheUserGivesUp) {
  struct Case {
    bool freedOnRetry;
    bool saved;
  };
  for (const Case c : {Case{true, true}, Case{false, false}}) {
    ScratchDir other;
    const std::string folder = other.File("held");
    const std::string path = folder + "/Nimbra.ini";
    ScriptedPrompt asked;
    CNimbraDoc closing(clock, asked, debugLog, path);
    closing.LoadSettings();
    ASSERT_NE(closing.AddSchedule(Entry(At(2030, 6, 1, 10, 0), At(2030, 6, 1, 11, 0), "a")), -1);
    EXPECT_FALSE(closing.CommitEdit());  // told once while running
    asked.QueueAnswer(PromptAnswer::kYes);
    asked.QueueAnswer(PromptAnswer::kYes);
    asked.QueueAnswer(PromptAnswer::kNo);
    int retries = 0;
    asked.whileAsked = [&] {
      if (c.freedOnRetry && ++retries == 2) {
        ASSERT_TRUE(std::filesystem::create_directory(folder));
      }
    };
    EXPECT_EQ(closing.CommitAtExit(), c.saved);
    const size_t questions = c.saved ? 2u : 3u;
    ASSERT_EQ(asked.shown.size(), 1u + questions);
    for (size_t i = 1; i < asked.shown.size(); ++i) {
      EXPECT_EQ(asked.shown[i].buttons, PromptButtons::kYesNo);
      EXPECT_NE(asked.shown[i].text.find(path), std::string::npos);
    }
    if (c.saved) {
      EXPECT_EQ(ProfileStore::Load(path).GetInt("TV_REC_SCHEDULE", "sch_num", -1), 1);
    }
  }
}

}  // namespace
