#include "framework/dialog.h"

#include "framework/message_box.h"

CDialog::CDialog(UINT templateId, HINSTANCE module)
    : templateId_(templateId), module_(module ? module : GetModuleHandleW(nullptr)) {}

CDialog::~CDialog() {
  if (hwnd_) {
    HWND h = hwnd_;
    SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    DestroyWindow(h);
  }
}

INT_PTR CDialog::DoModal(HWND parent) {
  modal_ = true;
  const INT_PTR r = DialogBoxParamW(module_, MAKEINTRESOURCEW(templateId_), parent,
                                    &CDialog::StaticProc, reinterpret_cast<LPARAM>(this));
  modal_ = false;
  return r;
}

bool CDialog::Create(HWND parent) {
  if (hwnd_) return false;
  modal_ = false;
  HWND h = CreateDialogParamW(module_, MAKEINTRESOURCEW(templateId_), parent, &CDialog::StaticProc,
                              reinterpret_cast<LPARAM>(this));
  return h != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
  if (!hwnd_) return;
  if (modal_) {
    ::EndDialog(hwnd_, result);
  } else {
    DestroyWindow(hwnd_);
  }
}

bool CDialog::UpdateData(bool save) {
  if (!hwnd_) return false;
  CDataExchange dx(hwnd_, save);
  DoDataExchange(dx);
  return !dx.Failed();
}

CDialog* CDialog::FromHandle(HWND hwnd) {
  return reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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
  SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
}

INT_PTR CDialog::DialogProc(UINT msg, WPARAM wp, LPARAM lp) {
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
      return FALSE;
  }
}

void CDialog::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

INT_PTR CDialog::Dispatch(CDialog* self, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (!self) return FALSE;
  INT_PTR r = FALSE;
  try {
    r = self->DialogProc(msg, wp, lp);
  } catch (...) {
    ReportUnexpectedFailure(hwnd);
    r = FALSE;
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnFinalMessage();
  }
  return r;
}

INT_PTR CALLBACK CDialog::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  CDialog* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lp);
    if (self) self->Attach(hwnd);
  } else {
    self = FromHandle(hwnd);
  }
  return Dispatch(self, hwnd, msg, wp, lp);
}
