#include "app/win/settings_saver.h"

#include "framework/message_box.h"
#include "platform/win32/text_win.h"
#include "schedule/nimbra_doc.h"
#include "schedule/nimbra_view_interface.h"

void CSettingsSaver::ReportFailure(HWND owner) {
  AppMessageBox(owner, SettingsSaveFailedText(doc_.SettingsPath()),
                MB_OK | MB_ICONWARNING);
}
