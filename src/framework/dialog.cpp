#include "framework/dialog.h"

#include "framework/on_screen.h"

CDialog::CDialog(UINT templateId, HINSTANCE module)
    : templateId_(templateId), module_(module ? module : GetModuleHandleW(nullptr)) {}

CDialog::~CDialog() { Destroy(); }

INT_PTR CDialog::DoModal(HWND parent) {
  modal_ = true;
  const INT_PTR r = DialogBoxParamW(module_, MAKEINTRESOURCEW(templateId_), parent,
                                    &CDialog::StaticProc, reinterpret_cast<LPARAM>(this));
  modal_ = false;
  return r;
}

bool CDialog::Create(HWND parent) {
  if (GetHwnd()) return false;
  modal_ = false;
  HWND h = CreateDialogParamW(module_, MAKEINTRESOURCEW(templateId_), parent, &CDialog::StaticProc,
                              reinterpret_cast<LPARAM>(this));
  return h != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
  if (!GetHwnd()) return;
  if (modal_) {
    ::EndDialog(GetHwnd(), result);
  } else {
    DestroyWindow(GetHwnd());
  }
}

bool CDialog::UpdateData(bool save) {
  if (!GetHwnd()) return false;
  CDataExchange dx(*this, save);
  DoDataExchange(dx);
  return !dx.Failed();
}

void CDialog::DoDataExchange(CDataExchange&) {}

BOOL CDialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void CDialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnCommand(int, int, HWND) { return false; }

bool CDialog::OnNotify(NMHDR*, LRESULT*) { return false; }

void CDialog::SetMessageResult(LRESULT result) {
  SetWindowLongPtrW(GetHwnd(), DWLP_MSGRESULT, result);
}

LRESULT CDialog::DefaultProc(UINT, WPARAM, LPARAM) { return FALSE; }

LRESULT CDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      const int code = HIWORD(wp);
      HWND control = reinterpret_cast<HWND>(lp);
      if (OnCommand(id, code, control)) return TRUE;
      if (code == BN_CLICKED || !control) {
        if (id == IDOK) {
          OnOK();
          return TRUE;
        }
        if (id == IDCANCEL) {
          OnCancel();
          return TRUE;
        }
      }
      return FALSE;
    }
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (OnNotify(reinterpret_cast<NMHDR*>(lp), &result)) {
        SetMessageResult(result);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return DefaultProc(msg, wp, lp);
  }
}

INT_PTR CDialog::RouteDialog(CWindow* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (!self) return FALSE;
  return Route(self, hwnd, msg, wp, lp);
}

INT_PTR CALLBACK CDialog::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  CWindow* self = nullptr;
  if (msg == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialog*>(lp);
    if (dialog) dialog->Attach(hwnd);
    self = dialog;
    // Placed by the system beside its owner, and sized by its own
    // initialisation: from here on wholly on the screen.
    const INT_PTR r = RouteDialog(self, hwnd, msg, wp, lp);
    if (IsWindow(hwnd)) (void)KeepOnScreen(hwnd);
    return r;
  }
  self = FromHandle(hwnd);
  return RouteDialog(self, hwnd, msg, wp, lp);
}
