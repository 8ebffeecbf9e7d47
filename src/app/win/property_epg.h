#pragma once
// The settings sheet's EPG page (dialog 137): the recording program, the TV
// listings site and the iEPG extensions to associate. Its values take effect
// through the file association after the sheet's OK; the frame fills them
// before the sheet is shown and reads them afterwards.
#include <cstdint>
#include <string>

#include "framework/property_sheet.h"

class IPrompt;

class CPropertyEPG : public CPropertyPage {
 public:
  explicit CPropertyEPG(IPrompt& prompt);

  std::string m_tv_app_path;  // recording program (UTF-8)
  uint8_t m_tv_id = 0;        // listings site
  uint8_t m_sel_ext = 15;     // bit i: extension i

  // The program's fixed lists, usable without showing the page.
  static int GetSiteCount();
  static const char* GetSiteUrl(int index);
  static int GetExtCount();
  static const char* GetExtName(int index);

 protected:
  // The recording program's path (refused, the box selected, when it does
  // not fit), the site's radio group and the extension boxes.
  void DoDataExchange(CDataExchange& dx) override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnApply() override;

 private:
  void OnBrowse();

  IPrompt& prompt_;
  bool initialising_ = false;
};
