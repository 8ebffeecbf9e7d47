#include "app/win/settings_saver.h"

#include "framework/message_box.h"
#include "platform/win32/text_win.h"
#include "schedule/nimbra_doc.h"

bool CSettingsSaver::Save(HWND owner) {
  if (doc_.SaveSettings()) return true;
  if (!told_) {
    told_ = true;
    const std::wstring text = L"設定ファイルに書き込めませんでした。予約や設定の変更は保存されていません。\n\n" +
                              AnsiToWide(doc_.SettingsPath()) +
                              L"\n\nフォルダに書き込みの権限があるか確認してください。";
    AppMessageBox(owner, text, MB_OK | MB_ICONWARNING);
  }
  return false;
}
