#include "iepg/iepg_import.h"

#include <algorithm>
#include <cstdio>

#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/download_mark.h"
#include "platform/file.h"
#include "platform/launcher.h"
#include "platform/program_path.h"
#include "platform/prompt.h"
#include "platform/text.h"
#include "schedule/nimbra_doc.h"
#include "schedule/nimbra_view_interface.h"
#include "schedule/reservation_rules.h"
#include "schedule/time_rules.h"

namespace {

constexpr int64_t kDay = 86400;

int64_t SecondsAt(int year, int month, int day, int hour, int minute) {
  // mktime rolls day numbers past the month's end; hours past 23 are taken
  // as whole days first so that 25:30 is 1:30 of the next day.
  const SystemTime t = MakeSystemTime(year, month, day + hour / 24, hour % 24, minute);
  return TimeToSeconds(t);
}

// True when seconds is a time a schedule can hold.
bool WithinLatest(int64_t seconds) {
  SystemTime shown{};
  return seconds >= 0 && SecondsToTime(seconds, &shown) && IsRepresentableTime(shown);
}

// The broadcast's window before the lead; none when a time cannot be held.
std::optional<BroadcastWindow> RawWindow(const IepgProgram& p) {
  BroadcastWindow w;
  w.start = SecondsAt(p.year, p.month, p.day, p.startHour, p.startMinute);
  w.end = SecondsAt(p.year, p.month, p.day, p.endHour, p.endMinute);
  if (w.start < 0 || w.end < 0) return std::nullopt;  // a time no clock can show
  // An end before the start is on the next day (twice over for a start
  // written past 24:00 and an end written as the clock shows it).
  while (w.end < w.start) w.end += kDay;
  return w;
}

std::string DateText(int64_t seconds) {
  SystemTime t{};
  SecondsToTime(seconds, &t);
  char text[32];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d", t.wYear, t.wMonth, t.wDay);
  return text;
}

std::string ClockText(int64_t seconds) {
  SystemTime t{};
  SecondsToTime(seconds, &t);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", t.wHour, t.wMinute);
  return text;
}

// Why a whole file is refused; "" for a file the import can go on with.
std::string FileRefusal(const IepgFile& file) {
  switch (file.shape) {
    case IepgShape::kNotIepg:
      return "iEPGファイルではありません。";
    case IepgShape::kUnsupportedVersion:
      return "対応していないiEPGのバージョンです（version: " + SjisToUtf8(file.versionText) + "）。";
    case IepgShape::kNoPrograms:
      return "iEPGファイルに番組がありません。";
    case IepgShape::kSingle:
    case IepgShape::kMulti:
      break;
  }
  return "";
}

// An OK message with the application title as caption.
void Tell(const CoreServices& services, const std::string& utf8Text) {
  services.prompt.Show(utf8Text, kAppTitle, PromptButtons::kOk);
}

constexpr const char* kNoWindowText = "番組の日時を読み取れません。";
constexpr const char* kEndedText = "放送が終わっています。";

// The programmes of a multi-programme file: the list for those with a
// window, and those without one refused at once.
bool ImportMulti(CNimbraDoc& doc, const CoreServices& services, IIepgChooser* chooser,
                 const IepgFile& file) {
  const int32_t offset = doc.AppInfo().GetUserSetting().epg_offset;
  struct Offered {
    const IepgProgram* program;
    BroadcastWindow broadcast;  // the file's own times
    BroadcastWindow window;     // the schedule's, with the lead
  };
  std::vector<Offered> offered;
  std::vector<IepgListRow> rows;
  std::vector<IepgRefused> refused;
  for (const IepgProgram& p : file.programs) {
    const auto broadcast = BroadcastSeconds(p, 0);
    if (!broadcast) {
      refused.push_back(
          {SjisToUtf8(p.title), "", BroadcastPastLatest(p) ? kTimeTooLateText : kNoWindowText});
      continue;
    }
    offered.push_back({&p, *broadcast, *BroadcastSeconds(p, offset)});
    rows.push_back({SjisToUtf8(p.title), SjisToUtf8(StationLabel(p)), DateText(broadcast->start),
                    ClockText(broadcast->start) + "-" + ClockText(broadcast->end), true});
  }
  if (chooser && !rows.empty() && !chooser->ChooseIepgPrograms(SjisToUtf8(file.multiTitle), rows)) return false;

  const int64_t now = LocalSecondsNow(services.clock);
  int added = 0;
  for (size_t i = 0; i < offered.size(); ++i) {
    if (!rows[i].ticked) continue;
    const Offered& o = offered[i];
    const std::string when = rows[i].date + " " + rows[i].times;
    if (o.window.end <= now) {
      refused.push_back({rows[i].title, when, kEndedText});
      continue;
    }
    ReservationValues values;
    SecondsToTime(o.window.start, &values.m_start);
    SecondsToTime(o.window.end, &values.m_end);
    values.m_title = o.program->title;
    int index = -1;
    const AddRefusal why = doc.TryAddSchedule(EntryFromReservation(values), &index);
    if (why == AddRefusal::kNone) {
      ++added;
    } else {
      refused.push_back({rows[i].title, when, AddRefusalText(why)});
    }
  }
  if (added > 0) {
    if (INimbraView* view = doc.View()) view->RefreshList();
    (void)doc.CommitEdit();
  }
  Tell(services, MultiImportReport(added, refused));
  return added > 0;
}

}  // namespace

std::optional<BroadcastWindow> BroadcastSeconds(const IepgProgram& p, int32_t epgOffset) {
  if (!HasValidWindow(p)) return std::nullopt;
  std::optional<BroadcastWindow> w = RawWindow(p);
  // Past 2038-01-18 23:59:59 a time cannot be stored (BroadcastPastLatest).
  if (!w || !WithinLatest(w->start) || !WithinLatest(w->end)) return std::nullopt;
  if (epgOffset > 0) w->start -= epgOffset;
  return w;
}

bool BroadcastPastLatest(const IepgProgram& p) {
  // The reader takes years up to 2037 only; the other fields decide here
  // whether the programme is a real one (2036 has a 29 February too).
  IepgProgram fields = p;
  fields.year = std::min(p.year, 2036);
  if (!HasValidWindow(fields)) return false;
  if (const std::optional<BroadcastWindow> w = RawWindow(p))
    return !WithinLatest(w->start) || !WithinLatest(w->end);
  // A valid date that does not convert lies past the 32-bit seconds (the
  // reader's dates are not before 1970).
  return p.year >= 2037;
}

std::string MultiImportReport(int added, const std::vector<IepgRefused>& refused) {
  std::string text = std::to_string(added) + "件の番組を予約しました。";
  if (refused.empty()) return text;
  text += "\n\n予約できなかった番組（" + std::to_string(refused.size()) + "件）:";
  for (const IepgRefused& r : refused) {
    text += "\n・" + r.title;
    if (!r.when.empty()) text += "（" + r.when + "）";
    text += " … " + r.why;
  }
  return text;
}

bool ImportCommandLineFile(CNimbraDoc& doc, const CoreServices& services, ILauncher& launcher,
                           const std::string& path, const std::string& programDir,
                           IIepgChooser* chooser) {
  const std::string working = JoinPath(programDir, kIepgWorkingCopy);
  CDebugLog& log = services.log;
  DEBUG_LOG_STAMPED(log, services.clock, "%s", working.c_str());
  log.Write("__argv[1]=%s path=%s", path.c_str(), working.c_str());

  // A copy left by an earlier import must never stand in for this file.
  RemoveFile(working);
  // A download far larger than any iEPG file is neither copied nor read.
  if (ReadFileBounded(path, kMaxIepgFileBytes).status == FileReadStatus::kTooLarge) {
    log.Write("iEPG: %s is larger than %u bytes", path.c_str(),
              static_cast<unsigned>(kMaxIepgFileBytes));
    Tell(services, "iEPGファイルが大きすぎるため読み込みませんでした（1MBまで）。\n" + path);
    return false;
  }
  bool copied = TzCopyFile2File(path, working);
  // The copy is what the recording program opens: it stays marked as
  // downloaded, or it is not handed on.
  if (copied && !CopyDownloadMark(path, working)) {
    log.Write("iEPG: cannot mark %s as downloaded", working.c_str());
    RemoveFile(working);
    copied = false;
  }
  FileRead read;
  if (copied) read = ReadFileBounded(working, kMaxIepgFileBytes);
  const std::optional<std::string> bytes =
      read.status == FileReadStatus::kRead ? std::optional<std::string>(std::move(read.bytes))
                                          : std::nullopt;
  if (!bytes) {
    log.Write("iEPG: cannot copy %s to %s", path.c_str(), working.c_str());
    Tell(services, "iEPGファイルを読み込めませんでした。\n" + path);
    return false;
  }
  const IepgFile file = ReadIepg(*bytes);
  const std::string refusal = FileRefusal(file);
  if (!refusal.empty()) {
    RemoveFile(working);  // nothing for the recording program to find
    Tell(services, refusal + "\n" + path);
    return false;
  }

  // The recording program is started once, on the copy, whatever the file
  // holds. The setting keeps the path in Shift-JIS.
  const std::string appPath = SjisToUtf8(doc.AppInfo().GetTvAppPath());
  if (appPath.empty()) {
    Tell(services, "録画ソフトの設定をして下さい。");
  } else if (!launcher.ShellOpenIn(appPath, kIepgWorkingCopy, programDir)) {
    Tell(services, "録画ソフトを起動できませんでした。\n" + appPath);
  }

  if (file.shape == IepgShape::kMulti) return ImportMulti(doc, services, chooser, file);

  const IepgProgram& program = file.programs.front();
  const auto w = BroadcastSeconds(program, doc.AppInfo().GetUserSetting().epg_offset);
  if (!w) {
    Tell(services, std::string(BroadcastPastLatest(program) ? kTimeTooLateText : kNoWindowText) +
                       "\n" + path);
    return false;
  }
  return doc.AddScheduleFromSeconds(w->start, w->end, program.title);
}
