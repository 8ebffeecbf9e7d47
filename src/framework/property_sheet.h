#pragma once
// Property sheets and pages. A page is a dialog whose template comes from the
// module that owns it (a plug-in library's page joins the program's sheet);
// the sheet's notifications are mapped once, here, to virtual handlers.
#include <windows.h>
#include <prsht.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "platform/unique_any.h"

// A system page that no sheet has taken yet.
using UniquePropertyPage =
    UniqueAny<HPROPSHEETPAGE, ReleasedBy<HPROPSHEETPAGE, &DestroyPropertySheetPage>>;

class CPropertySheet;

class CPropertyPage : public CDialog {
 public:
  explicit CPropertyPage(UINT templateId, HINSTANCE module = nullptr);

  // Builds the system's page for this object. Virtual, so that a page of a
  // plug-in library is built by that library's own code.
  virtual HPROPSHEETPAGE CreatePage();
  // Builds the system's page for a page object that the system page then
  // owns: the object is deleted when the system destroys the page (with its
  // sheet, or by DestroyPropertySheetPage). For a page that joins a sheet
  // another module runs. title, when not empty, is the page's tab text.
  // Null (the object deleted) on failure.
  static HPROPSHEETPAGE CreateSelfOwnedPage(std::unique_ptr<CPropertyPage> page,
                                            std::wstring title);
  // Marks the page changed (enables the sheet's Apply button) or unchanged.
  void SetModified(bool changed = true);
  // The sheet's window while the page is shown.
  HWND GetSheetHwnd() const;

 protected:
  // PSN_SETACTIVE: false keeps the page from being shown.
  virtual bool OnSetActive();
  // PSN_KILLACTIVE: false keeps the page active. Default: the members come
  // back from the controls.
  virtual bool OnKillActive();
  // PSN_APPLY (Apply or OK): false keeps the sheet open on this page.
  virtual bool OnApply();
  // PSN_RESET (Cancel).
  virtual void OnReset();

  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  friend class CPropertySheet;
  static INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static UINT CALLBACK ReleaseProc(HWND hwnd, UINT msg, PROPSHEETPAGEW* psp);
  PROPSHEETPAGEW Describe();
  CPropertySheet* sheet_ = nullptr;
  std::wstring title_;
};

class CPropertySheet {
 public:
  CPropertySheet(std::wstring caption, HWND parent, UINT startPage);
  // The pages made elsewhere that were never shown go with the sheet.
  virtual ~CPropertySheet() = default;
  CPropertySheet(const CPropertySheet&) = delete;
  CPropertySheet& operator=(const CPropertySheet&) = delete;

  // Adds a page (not owned; it must outlive the sheet's run).
  void AddPage(CPropertyPage* page);
  // Adds a page that another module made (a plug-in's page, with its own
  // template, procedure and object), after the pages added so far. The sheet
  // owns it from now on: the system destroys it with the sheet, or this
  // object does when the sheet is never shown. False for a null page.
  bool AddPageHandle(HPROPSHEETPAGE page);
  int GetPageCount() const { return static_cast<int>(pages_.size()); }
  // The page object at index; nullptr for a page made elsewhere.
  CPropertyPage* GetPage(int index) const;
  // The page shown first.
  void SetActivePage(int index);
  // Runs the sheet modally: IDOK when it was closed with OK, IDCANCEL
  // otherwise, -1 when it could not be shown.
  INT_PTR DoModal();
  // The sheet's window while it runs.
  HWND GetHwnd() const { return hwnd_; }

 private:
  friend class CPropertyPage;
  static int CALLBACK SheetCallback(HWND hwnd, UINT msg, LPARAM lp);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR data);
  std::wstring caption_;
  HWND parent_;
  UINT startPage_;
  // One per page in sheet order: either our page object or the handle of a
  // page made elsewhere (owned until the system takes it).
  struct Entry {
    CPropertyPage* page = nullptr;
    UniquePropertyPage handle;
  };
  std::vector<Entry> pages_;
  HWND hwnd_ = nullptr;
  bool okRequested_ = false;
  bool placed_ = false;  // kept on the screen once, as it first showed
};
