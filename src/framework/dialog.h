#pragma once
// Dialogs from resource templates, modal or modeless. `this` arrives as the
// lParam of WM_INITDIALOG and lives in the dialog's user data; the messages go
// to one virtual handler that maps the common ones to OnInitDialog, OnOK,
// OnCancel, OnCommand and OnNotify.
#include <windows.h>

#include "framework/data_exchange.h"

class CDialog {
 public:
  // The template comes from module (the program when null), so that a
  // dialog of a plug-in library can show its own template.
  explicit CDialog(UINT templateId, HINSTANCE module = nullptr);
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Shows the dialog modally; IDOK, IDCANCEL or what EndDialog was given;
  // -1 when the template could not be loaded.
  INT_PTR DoModal(HWND parent);
  // Creates the dialog modelessly; false on failure.
  bool Create(HWND parent);
  // Closes the dialog: ends a modal one with result, destroys a modeless one.
  void EndDialog(INT_PTR result);

  HWND GetHwnd() const { return hwnd_; }
  HWND GetItem(int id) const { return GetDlgItem(hwnd_, id); }
  bool IsModal() const { return modal_; }
  UINT GetTemplateId() const { return templateId_; }
  HINSTANCE GetModule() const { return module_; }

  // Moves the members into the controls (save false) or back (save true);
  // false when a check failed.
  bool UpdateData(bool save);

  static CDialog* FromHandle(HWND hwnd);

 protected:
  virtual void DoDataExchange(CDataExchange& dx);
  // Default: the members go into the controls; TRUE lets the system set the
  // focus.
  virtual BOOL OnInitDialog();
  // Default: the members come back from the controls, then IDOK.
  virtual void OnOK();
  virtual void OnCancel();
  // A command other than IDOK and IDCANCEL; true when handled.
  virtual bool OnCommand(int id, int code, HWND control);
  // A notification; true when handled, with *result the answer.
  virtual bool OnNotify(NMHDR* header, LRESULT* result);
  // Every message; return TRUE when handled (results of WM_NOTIFY and
  // friends through SetMessageResult). The default does the mapping above.
  virtual INT_PTR DialogProc(UINT msg, WPARAM wp, LPARAM lp);
  // After the last message of the window (a modeless dialog's end).
  virtual void OnFinalMessage() {}
  void SetMessageResult(LRESULT result);

  // Hooks up this object to its window; used by property pages, which get
  // `this` through PROPSHEETPAGE.
  void Attach(HWND hwnd);
  static INT_PTR Dispatch(CDialog* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  UINT templateId_;
  HINSTANCE module_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
};
