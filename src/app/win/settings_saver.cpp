#include "app/win/settings_saver.h"

#include "framework/message_box.h"
#include "platform/win32/text_win.h"
#include "schedule/nimbra_doc.h"
#include "schedule/nimbra_view_interface.h"

bool CSettingsSaver::Save(HWND owner) {
  if (doc_.SaveSettings()) return true;
  ReportFailure(owner);
  return false;
}

void CSettingsSaver::ReportFailure(HWND owner) {
  if (told_) return;
  told_ = true;
  AppMessageBox(owner, SettingsSaveFailedText(WideToUtf8(AnsiToWide(doc_.SettingsPath()))),
                MB_OK | MB_ICONWARNING);
}
