#include "app/wake_status.h"

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
