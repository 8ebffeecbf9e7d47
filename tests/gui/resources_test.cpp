// The program's menu, command strings and accelerators as the resources hold
// them: every command where the user looks for it, with its exact text.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/win/resource.h"
#include "engine/wake_readiness.h"
#include "framework/message_box.h"
#include "platform/win32/text_win.h"

namespace {

struct MenuItem {
  UINT id;  // 0: separator
  const wchar_t* text;
};

struct Popup {
  const wchar_t* text;
  std::vector<MenuItem> items;
};

const std::vector<Popup> kMenu = {
    {L"ﾌｧｲﾙ(&F)", {{ID_APP_EXIT, L"ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}}},
    {L"操作(&O)",
     {{ID_SCHEDULE_ADD, L"スケジュール予約(&A)"},
      {ID_SCHEDULE_CHANGE, L"スケジュール変更(&C)"},
      {ID_SCHEDULE_DELETE, L"スケジュール削除(&D)"},
      {0, nullptr},
      {ID_REGULAR_SCHEDULE, L"繰り返し予約"},
      {0, nullptr},
      {ID_MENU_GO2TRAY, L"タスクトレイ移動"},
      {ID_MENU_COME2TRAY, L"メイン画面起動"},
      {0, nullptr},
      {ID_MENU_SUSPEND, L"休止モード"},
      {ID_MENU_STANDBY, L"スタンバイ"},
      {ID_MENU_OPEN_URL, L"TV番組表を開く"},
      {0, nullptr},
      {ID_MENU_JOURNAL, L"実行履歴(&J)..."}}},
    {L"設定(&S)", {{ID_SETTING_EPG, L"iEPGの設定(&E)"}, {ID_SETTING_USER, L"ユーザ設定(&U)"}}},
    {L"ﾍﾙﾌﾟ(&H)",
     {{ID_HELP_GUIDE, L"使い方ガイド(&G)"},
      {0, nullptr},
      {ID_APP_ABOUT, L"Nimbra のﾊﾞｰｼﾞｮﾝ情報(&A)..."},
      {0, nullptr},
      {ID_HELP_WAKE_DIAGNOSIS, L"スリープ復帰の起動診断(&W)..."}}},
};

std::wstring MenuText(HMENU menu, int position) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
  return text;
}

TEST(Resources, MenuHoldsEveryCommandInItsPlaceWithItsText) {
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  ASSERT_NE(nullptr, menu);
  ASSERT_EQ(static_cast<int>(kMenu.size()), GetMenuItemCount(menu));
  for (size_t p = 0; p < kMenu.size(); ++p) {
    SCOPED_TRACE(p);
    EXPECT_EQ(kMenu[p].text, MenuText(menu, static_cast<int>(p)));
    HMENU popup = GetSubMenu(menu, static_cast<int>(p));
    ASSERT_NE(nullptr, popup);
    const auto& items = kMenu[p].items;
    ASSERT_EQ(static_cast<int>(items.size()), GetMenuItemCount(popup));
    for (size_t i = 0; i < items.size(); ++i) {
      SCOPED_TRACE(i);
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE | MIIM_ID;
      ASSERT_TRUE(GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info));
      if (!items[i].text) {
        EXPECT_TRUE(info.fType & MFT_SEPARATOR);
        continue;
      }
      EXPECT_EQ(items[i].id, info.wID);
      EXPECT_EQ(items[i].text, MenuText(popup, static_cast<int>(i)));
    }
  }
  DestroyMenu(menu);
}

// The readiness notice and the status line send the user to the diagnosis by
// the menu's own words: the popup and the item as they read, without the
// access key and the dots.
TEST(Resources, TheDiagnosisIsPointedToAsTheMenuReads) {
  const auto shown = [](std::wstring text) {
    if (const size_t key = text.find(L"(&"); key != std::wstring::npos) text.erase(key);
    return text;
  };
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  ASSERT_NE(nullptr, menu);
  std::wstring path;
  for (int p = 0; p < GetMenuItemCount(menu) && path.empty(); ++p) {
    HMENU popup = GetSubMenu(menu, p);
    for (int i = 0; popup && i < GetMenuItemCount(popup); ++i) {
      if (GetMenuItemID(popup, i) == ID_HELP_WAKE_DIAGNOSIS)
        path = shown(MenuText(menu, p)) + L" → " + shown(MenuText(popup, i));
    }
  }
  DestroyMenu(menu);
  EXPECT_EQ(Utf8ToWide(kWakeDiagnosisMenuPath), path);
}

TEST(Resources, EachCommandHasItsPromptAndToolTip) {
  const struct {
    UINT id;
    const wchar_t* text;
  } kStrings[] = {
      {ID_SCHEDULE_ADD, L"スケジュールを予約する\nスケジュール予約"},
      {ID_SCHEDULE_CHANGE, L"スケジュールを変更する\nスケジュール変更"},
      {ID_SCHEDULE_DELETE, L"スケジュールを削除する\nスケジュール削除"},
      {ID_REGULAR_SCHEDULE, L"毎週、毎日のスケジュール予約をする\n繰り返し予約"},
      {ID_MENU_GO2TRAY, L"ウインドウをタスクトレイに移動する\nタスクトレイ移動"},
      {ID_MENU_COME2TRAY, L"ウインドウをタスクトレイから復帰する\nメイン画面起動"},
      {ID_MENU_SUSPEND, L"休止モードへ強制的に遷移する\n休止モード"},
      {ID_MENU_STANDBY, L"スタンバイへ強制的に遷移する\nスタンバイ"},
      {ID_MENU_OPEN_URL, L"TV番組表をブラウザで開く\nTV番組表を開く"},
      {ID_SETTING_EPG, L"iEPGの設定をする\niEPGの設定"},
      {ID_SETTING_USER, L"ユーザ独自の設定をする\nユーザ設定"},
      {ID_APP_ABOUT, L"ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"},
      {ID_HELP_WAKE_DIAGNOSIS, L"この PC がタイマーでスリープから復帰できるかを診断する\n起動診断"},
      {ID_MENU_JOURNAL, L"録画の時間に PC が起動していたかの履歴を表示する\n実行履歴"},
      {ID_HELP_GUIDE, L"使い方ガイドをブラウザで開く\n使い方ガイド"},
      {ID_APP_EXIT, L"ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了"},
      {IDS_APP_TITLE, L"Nimbra"},
      {IDS_IDLE_MESSAGE, L"ﾚﾃﾞｨ"},
      {IDS_VERSION, L"2.8.7"},
  };
  for (const auto& s : kStrings) EXPECT_EQ(s.text, LoadResourceString(s.id)) << s.id;
}

TEST(Resources, AcceleratorsAreTheStandardSet) {
  HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  ASSERT_NE(nullptr, table);
  const int n = CopyAcceleratorTableW(table, nullptr, 0);
  std::vector<ACCEL> keys(static_cast<size_t>(n));
  CopyAcceleratorTableW(table, keys.data(), n);
  DestroyAcceleratorTable(table);

  const struct {
    BYTE modifiers;
    WORD key;
    WORD cmd;
  } kExpected[] = {
      {FCONTROL, 'N', ID_FILE_NEW},        {FCONTROL, 'O', ID_FILE_OPEN},
      {FCONTROL, 'S', ID_FILE_SAVE},       {FCONTROL, 'Z', ID_EDIT_UNDO},
      {FALT, VK_BACK, ID_EDIT_UNDO},       {FCONTROL, 'X', ID_EDIT_CUT},
      {FSHIFT, VK_DELETE, ID_EDIT_CUT},    {FCONTROL, 'C', ID_EDIT_COPY},
      {FCONTROL, VK_INSERT, ID_EDIT_COPY}, {FCONTROL, 'V', ID_EDIT_PASTE},
      {FSHIFT, VK_INSERT, ID_EDIT_PASTE},  {0, VK_F6, ID_NEXT_PANE},
      {FSHIFT, VK_F6, ID_PREV_PANE},
  };
  EXPECT_EQ(sizeof kExpected / sizeof kExpected[0], keys.size());
  for (const auto& e : kExpected) {
    bool found = false;
    for (const ACCEL& a : keys) {
      const BYTE mods = a.fVirt & (FCONTROL | FALT | FSHIFT);
      found = found || ((a.fVirt & FVIRTKEY) && mods == e.modifiers && a.key == e.key && a.cmd == e.cmd);
    }
    EXPECT_TRUE(found) << "key " << e.key << " command " << e.cmd;
  }
}

}  // namespace
