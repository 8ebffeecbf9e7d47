#pragma once
// The settings sheet's user page (dialog 138): whether the user's own end
// actions and limits are in force, and what they are. Its apply writes the
// values in force at once (the settings file gets them with the next save).
#include "app/settings_pages.h"
#include "framework/property_sheet.h"

#include <string>
#include <vector>

class CAppMngInfo;
class IPrompt;
class IStartupEntries;

class CPropertyUser : public CPropertyPage {
 public:
  explicit CPropertyUser(IPrompt& prompt);

  // The settings the page shows and applies to; set before the sheet runs.
  void SetAppInfo(CAppMngInfo* info) { info_ = info; }
  // The Run key, the command the box registers and the program it starts
  // (this one); without them the box is disabled.
  void SetStartup(IStartupEntries* entries, std::string command, std::string programPath) {
    startup_ = entries;
    startupCommand_ = std::move(command);
    programPath_ = std::move(programPath);
  }
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
  void FillSecondsLists();
  // Reads the Run key into the box and the note about another copy.
  void ShowStartup();

  // The seconds each wake list holds, in the list's order.
  std::vector<int32_t> wakeLeadChoices_;
  std::vector<int32_t> stayGapChoices_;
  IStartupEntries* startup_ = nullptr;
  std::string startupCommand_;
  std::string programPath_;
  bool startWithWindows_ = false;  // the box as the page shows it

  IPrompt& prompt_;
  CAppMngInfo* info_ = nullptr;
  UserPageValues values_;
};
