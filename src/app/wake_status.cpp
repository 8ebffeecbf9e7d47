#include "app/wake_status.h"

#include <cstdio>

#include "platform/text.h"
#include "schedule/schedule_table.h"
#include "schedule/table_queries.h"

std::string WakeStatusLine(const std::string& schedulerText, const WakeDiagnosis& diagnosis) {
  const std::string readiness = diagnosis.StatusText();
  if (readiness.empty()) return schedulerText;
  if (schedulerText.empty()) return readiness;
  return schedulerText + "　" + readiness;
}

std::string CReadinessNotices::Take(const WakeDiagnosis& diagnosis) {
  std::string text;
  for (const ReadinessFinding& f : diagnosis.findings) {
    if (f.level < FindingLevel::kWarning || !told_.insert(f.text).second) continue;
    if (!text.empty()) text += "\n\n";
    text += f.text;
  }
  if (!text.empty())
    text += std::string("\n\n（診断の全体はメニューの ") + kWakeDiagnosisMenuPath + " で確認できます）";
  return text;
}

std::string CloseQuestion(const ScheduleTable& table, int64_t now) {
  const int i = FindCurrentSchedule(table);
  if (i < 0 || table.EndSeconds(i) <= now) return "";
  const ScheduleEntry* entry = table.GetSchedule(i);
  if (entry->state != kStateWaiting && entry->state != kStateRunning) return "";
  const bool running = table.StartSeconds(i) <= now;
  char when[32];
  std::snprintf(when, sizeof when, "%02d/%02d %02d:%02d", entry->s.wMonth, entry->s.wDay,
                entry->s.wHour, entry->s.wMinute);
  const std::string title = SjisToUtf8(entry->title);
  if (running)
    return "「" + title + "」（" + when + "から）の実行中です。Nimbraを終了すると、" +
           "終了時刻の処理とPCの起動の維持が行われません。\n\n終了しますか？";
  return std::string("Nimbraを終了するとウェイクタイマーも解除され、「") + title + "」（" + when +
         "）のためにPCが起動しなくなります。\n\n終了しますか？";
}
