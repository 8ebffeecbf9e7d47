#pragma once
// The settings sheet's user page (dialog 138): whether the user's own end
// actions and limits are in force, and what they are. Its apply writes the
// values in force at once (the settings file gets them with the next save).
#include "app/settings_pages.h"
#include "framework/property_sheet.h"

class CAppMngInfo;
class IPrompt;

class CPropertyUser : public CPropertyPage {
 public:
  explicit CPropertyUser(IPrompt& prompt);

  // The settings the page shows and applies to; set before the sheet runs.
  void SetAppInfo(CAppMngInfo* info) { info_ = info; }
  const UserPageValues& Values() const { return values_; }

  static const wchar_t kHelpCaption[];
  static const wchar_t kHelpText[];

 protected:
  // Loading shows the values; saving is the page's apply, which puts them
  // in force.
  void DoDataExchange(CDataExchange& dx) override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  // Leaving the page takes nothing: only apply puts the values in force.
  bool OnKillActive() override;
  bool OnApply() override;

 private:
  void FillLists();
  void EnableUserControls(bool on);
  void OnDefaults();

  IPrompt& prompt_;
  CAppMngInfo* info_ = nullptr;
  UserPageValues values_;
};
