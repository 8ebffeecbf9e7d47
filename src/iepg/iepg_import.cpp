#include "iepg/iepg_import.h"

#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/launcher.h"
#include "platform/program_path.h"
#include "platform/text.h"
#include "schedule/nimbra_doc.h"
#include "schedule/time_rules.h"

namespace {

constexpr int64_t kDay = 86400;

int64_t SecondsAt(int year, int month, int day, int hour, int minute) {
  // mktime rolls day numbers past the month's end; hours past 23 are taken
  // as whole days first so that 25:30 is 1:30 of the next day.
  const SystemTime t = MakeSystemTime(year, month, day + hour / 24, hour % 24, minute);
  return TimeToSeconds(t);
}

}  // namespace

BroadcastWindow BroadcastSeconds(const IepgProgram& p, const SystemTime& today,
                                 int32_t epgOffset) {
  const int year = (p.found & kIepgYear) ? p.year : today.wYear;
  const int month = (p.found & kIepgMonth) ? p.month : today.wMonth;
  const int day = (p.found & kIepgDate) ? p.day : today.wDay;
  const int startHour = (p.found & kIepgStart) ? p.startHour : 0;
  const int startMinute = (p.found & kIepgStart) ? p.startMinute : 0;
  const int endHour = (p.found & kIepgEnd) ? p.endHour : startHour;
  const int endMinute = (p.found & kIepgEnd) ? p.endMinute : startMinute;

  BroadcastWindow w;
  w.start = SecondsAt(year, month, day, startHour, startMinute);
  w.end = SecondsAt(year, month, day, endHour, endMinute);
  if (w.start > w.end) w.end += kDay;  // crosses midnight
  if (epgOffset > 0) w.start -= epgOffset;
  return w;
}

bool ImportCommandLineFile(CNimbraDoc& doc, ILauncher& launcher, const std::string& argument,
                           const std::string& programDir) {
  const std::string working = JoinPath(programDir, kIepgWorkingCopy);
  CDebugLog& log = doc.Log();
  DEBUG_LOG_STAMPED(log, doc.Clock(), "%s", working.c_str());
  log.Write("__argv[1]=%s path=%s", argument.c_str(), working.c_str());

  // A copy left by an earlier import must never stand in for this file.
  RemoveFile(working);
  const bool copied = TzCopyFile2File(argument, working);
  IepgProgram program;
  const bool read = copied && iEPGDecode(working, &program) && (program.found & kIepgDateTimeKeys);
  if (!copied) log.Write("iEPG: cannot copy %s to %s", argument.c_str(), working.c_str());

  // The setting keeps the path in Shift-JIS.
  const std::string appPath = SjisToUtf8(doc.AppInfo().GetTvAppPath());
  if (appPath.empty()) {
    doc.ShowMessage("録画ソフトの設定をして下さい。");
  } else if (copied && !launcher.ShellOpenIn(appPath, kIepgWorkingCopy, programDir)) {
    doc.ShowMessage("録画ソフトを起動できませんでした。\n" + appPath);
  }

  BroadcastWindow w{-1, -1};
  if (read)
    w = BroadcastSeconds(program, doc.Clock().LocalNow(),
                         doc.AppInfo().GetUserSetting().epg_offset);
  if (w.start < 0 || w.end < 0) {  // unreadable, or a date no clock can show
    doc.ShowMessage("iEPGファイルを読み込めませんでした。\n" + argument);
    return false;
  }
  return doc.AddScheduleFromSeconds(w.start, w.end, program.title);
}
