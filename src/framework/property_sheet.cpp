#include "framework/property_sheet.h"

#include <commctrl.h>

#include "framework/on_screen.h"

namespace {

// The sheet whose window is being created on this thread.
thread_local CPropertySheet* g_starting = nullptr;

}  // namespace

CPropertyPage::CPropertyPage(UINT templateId, HINSTANCE module) : CDialog(templateId, module) {}

PROPSHEETPAGEW CPropertyPage::Describe() {
  PROPSHEETPAGEW psp{};
  psp.dwSize = sizeof(psp);
  psp.dwFlags = PSP_DEFAULT;
  psp.hInstance = GetModule();
  psp.pszTemplate = MAKEINTRESOURCEW(GetTemplateId());
  psp.pfnDlgProc = &CPropertyPage::PageProc;
  psp.lParam = reinterpret_cast<LPARAM>(this);
  if (!title_.empty()) {
    psp.dwFlags |= PSP_USETITLE;
    psp.pszTitle = title_.c_str();
  }
  return psp;
}

HPROPSHEETPAGE CPropertyPage::CreatePage() {
  PROPSHEETPAGEW psp = Describe();
  return CreatePropertySheetPageW(&psp);
}

HPROPSHEETPAGE CPropertyPage::CreateSelfOwnedPage(std::unique_ptr<CPropertyPage> page,
                                                  std::wstring title) {
  if (!page) return nullptr;
  page->title_ = std::move(title);
  PROPSHEETPAGEW psp = page->Describe();
  psp.dwFlags |= PSP_USECALLBACK;
  psp.pfnCallback = &CPropertyPage::ReleaseProc;
  HPROPSHEETPAGE h = CreatePropertySheetPageW(&psp);
  // From here on the system page owns the object.
  if (h) page.release();
  return h;
}

UINT CALLBACK CPropertyPage::ReleaseProc(HWND, UINT msg, PROPSHEETPAGEW* psp) {
  if (msg == PSPCB_RELEASE && psp) delete reinterpret_cast<CPropertyPage*>(psp->lParam);
  return 1;
}

void CPropertyPage::SetModified(bool changed) {
  HWND sheet = GetSheetHwnd();
  if (sheet) SendMessageW(sheet, changed ? PSM_CHANGED : PSM_UNCHANGED,
                          reinterpret_cast<WPARAM>(GetHwnd()), 0);
}

HWND CPropertyPage::GetSheetHwnd() const { return GetHwnd() ? GetParent(GetHwnd()) : nullptr; }

bool CPropertyPage::OnSetActive() { return true; }

bool CPropertyPage::OnKillActive() { return UpdateData(true); }

bool CPropertyPage::OnApply() { return true; }

void CPropertyPage::OnReset() {}

LRESULT CPropertyPage::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(lp);
    if (hdr->hwndFrom == GetSheetHwnd()) {
      switch (hdr->code) {
        case PSN_SETACTIVE:
          SetMessageResult(OnSetActive() ? 0 : -1);
          return TRUE;
        case PSN_KILLACTIVE:
          SetMessageResult(OnKillActive() ? FALSE : TRUE);
          return TRUE;
        case PSN_APPLY:
          SetMessageResult(OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
          return TRUE;
        case PSN_RESET:
          OnReset();
          return TRUE;
        default:
          break;
      }
    }
  }
  return CDialog::WindowProc(msg, wp, lp);
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  CWindow* self = nullptr;
  if (msg == WM_INITDIALOG) {
    auto* psp = reinterpret_cast<PROPSHEETPAGEW*>(lp);
    auto* page = reinterpret_cast<CPropertyPage*>(psp->lParam);
    if (page) page->Attach(hwnd);
    self = page;
  } else {
    self = FromHandle(hwnd);
  }
  return RouteDialog(self, hwnd, msg, wp, lp);
}

CPropertySheet::CPropertySheet(std::wstring caption, HWND parent, UINT startPage)
    : caption_(std::move(caption)), parent_(parent), startPage_(startPage) {}

void CPropertySheet::AddPage(CPropertyPage* page) {
  if (!page) return;
  page->sheet_ = this;
  pages_.push_back(Entry{page, UniquePropertyPage()});
}

bool CPropertySheet::AddPageHandle(HPROPSHEETPAGE page) {
  if (!page) return false;
  pages_.push_back(Entry{nullptr, UniquePropertyPage(page)});
  return true;
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
  return index >= 0 && index < GetPageCount() ? pages_[static_cast<size_t>(index)].page : nullptr;
}

void CPropertySheet::SetActivePage(int index) {
  if (index >= 0 && index < GetPageCount()) startPage_ = static_cast<UINT>(index);
}

INT_PTR CPropertySheet::DoModal() {
  std::vector<HPROPSHEETPAGE> handles;
  // Ours go when one cannot be made; the others stay with this object.
  std::vector<UniquePropertyPage> ours;
  for (const Entry& e : pages_) {
    if (!e.page) {
      if (e.handle) handles.push_back(e.handle.get());
      continue;
    }
    UniquePropertyPage h(e.page->CreatePage());
    if (!h) return -1;
    handles.push_back(h.get());
    ours.push_back(std::move(h));
  }
  PROPSHEETHEADERW psh{};
  psh.dwSize = sizeof(psh);
  psh.dwFlags = PSH_DEFAULT | PSH_NOCONTEXTHELP;
  psh.hwndParent = parent_;
  psh.hInstance = GetModuleHandleW(nullptr);
  psh.pszCaption = caption_.c_str();
  psh.nPages = static_cast<UINT>(handles.size());
  psh.nStartPage = startPage_ < psh.nPages ? startPage_ : 0;
  psh.phpage = handles.data();
  psh.dwFlags |= PSH_USECALLBACK;
  psh.pfnCallback = &CPropertySheet::SheetCallback;
  okRequested_ = false;
  placed_ = false;
  // The system takes over the page handles and destroys them with the sheet;
  // a page made elsewhere is shown once only.
  for (Entry& e : pages_) e.handle.release();
  for (UniquePropertyPage& h : ours) h.release();
  CPropertySheet* const outer = g_starting;
  g_starting = this;
  const INT_PTR r = PropertySheetW(&psh);
  g_starting = outer;
  hwnd_ = nullptr;
  if (r < 0) return -1;
  return okRequested_ ? IDOK : IDCANCEL;
}

int CALLBACK CPropertySheet::SheetCallback(HWND hwnd, UINT msg, LPARAM) {
  // The sheet's window exists from here on; the callback carries no context,
  // so the sheet being started on this thread is the one.
  if (msg == PSCB_INITIALIZED && g_starting) {
    CPropertySheet* self = g_starting;
    g_starting = nullptr;
    self->hwnd_ = hwnd;
    SetWindowSubclass(hwnd, &CPropertySheet::SubclassProc, 0, reinterpret_cast<DWORD_PTR>(self));
  }
  return 0;
}

LRESULT CALLBACK CPropertySheet::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                              UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<CPropertySheet*>(data);
  // Whatever ends the sheet last decides: OK (the button, Enter, or
  // PSM_PRESSBUTTON, which all come as IDOK) when its apply succeeded, and
  // nothing else, since a refused apply keeps the sheet open.
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    if (LOWORD(wp) == IDOK) self->okRequested_ = true;
    if (LOWORD(wp) == IDCANCEL) self->okRequested_ = false;
  } else if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_CLOSE) {
    self->okRequested_ = false;
  } else if (msg == WM_CLOSE) {
    self->okRequested_ = false;
  } else if (msg == WM_SHOWWINDOW && wp && !self->placed_) {
    // The sheet takes its size from its pages during its initialisation and
    // is placed beside its owner: kept on the screen as it first shows.
    self->placed_ = true;
    (void)KeepOnScreen(hwnd);
  } else if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &CPropertySheet::SubclassProc, 0);
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}
