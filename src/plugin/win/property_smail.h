#pragma once
// The mail page's window (dialog 2003 of this library), shown in the
// program's settings sheet under the tab "SMAIL". It moves the nine mail
// settings between its controls and the page object that keeps them, enables
// its controls after the two switches, and runs the page's buttons. One
// window object per sheet; the page object outlives it.
#include "framework/property_sheet.h"

class SMailPage;

class CPropertySMail : public CPropertyPage {
 public:
  static const wchar_t kTitle[];

  CPropertySMail(SMailPage& page, HINSTANCE module);

 protected:
  void DoDataExchange(CDataExchange& dx) override;
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnApply() override;
  void OnReset() override;

 private:
  // The template group follows both switches, the other controls (but the
  // mail switch) the mail switch.
  void EnableControls(bool mailOn, bool templateOn);
  // Takes what the controls show into the page object, for the buttons that
  // act on the settings; false when a text does not fit.
  bool TakeControls();
  void BrowseMailer();
  void BrowseTemplate();

  SMailPage& page_;
  bool initialising_ = false;
};
