#pragma once
// Dialogs from resource templates, modal or modeless. A dialog is a window:
// `this` arrives as the lParam of WM_INITDIALOG, and the one handler,
// WindowProc, maps the common messages to OnInitDialog, OnOK, OnCancel,
// OnCommand and OnNotify. Its result is the dialog procedure's (TRUE when
// handled; answers of WM_NOTIFY and friends through SetMessageResult).
#include <windows.h>

#include "framework/data_exchange.h"
#include "framework/window.h"

class CDialog : public CWindow {
 public:
  // The template comes from module (the program when null), so that a
  // dialog of a plug-in library can show its own template.
  explicit CDialog(UINT templateId, HINSTANCE module = nullptr);
  // A modeless dialog's window goes with its object.
  ~CDialog() override;

  // Shows the dialog modally; IDOK, IDCANCEL or what EndDialog was given;
  // -1 when the template could not be loaded.
  INT_PTR DoModal(HWND parent);
  // Creates the dialog modelessly; false on failure.
  bool Create(HWND parent);
  // Closes the dialog: ends a modal one with result, destroys a modeless one.
  void EndDialog(INT_PTR result);

  bool IsModal() const { return modal_; }
  UINT GetTemplateId() const { return templateId_; }
  HINSTANCE GetModule() const { return module_; }

  // Moves the members into the controls (save false) or back (save true);
  // false when a check failed.
  bool UpdateData(bool save);

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
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  // Not handled: the system's dialog procedure does the rest.
  LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void SetMessageResult(LRESULT result);

  // The dialog procedure of a dialog whose object is already attached, or
  // none yet (nothing is handled then).
  static INT_PTR RouteDialog(CWindow* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  UINT templateId_;
  HINSTANCE module_;
  bool modal_ = false;
};
