#include "framework/controls.h"

#include <vector>

bool InitCommonControlsOnce() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_DATE_CLASSES |
                ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_WIN95_CLASSES;
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  return done;
}

int ScaleForDpi(int pixels96) {
  static const int dpi = [] {
    HDC dc = GetDC(nullptr);
    int d = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return d > 0 ? d : 96;
  }();
  return MulDiv(pixels96, dpi, 96);
}

void TrackPopupAt(HMENU popup, POINT pt, HWND owner) {
  if (!popup) return;
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, owner, nullptr);
}

void CListCtrl::SetExtendedStyle(DWORD style) {
  ListView_SetExtendedListViewStyle(hwnd_, style);
}

int CListCtrl::InsertColumn(int index, const std::wstring& heading, int width) {
  LVCOLUMNW col{};
  col.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  col.fmt = LVCFMT_LEFT;
  col.cx = width;
  col.pszText = const_cast<wchar_t*>(heading.c_str());
  col.iSubItem = index;
  return static_cast<int>(SendMessageW(hwnd_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&col)));
}

bool CListCtrl::DeleteColumn(int index) { return ListView_DeleteColumn(hwnd_, index) != FALSE; }

bool CListCtrl::SetColumnWidth(int index, int width) {
  return ListView_SetColumnWidth(hwnd_, index, width) != FALSE;
}

int CListCtrl::GetStringWidth(const std::wstring& text) const {
  return static_cast<int>(
      SendMessageW(hwnd_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int CListCtrl::GetColumnCount() const {
  HWND header = ListView_GetHeader(hwnd_);
  return header ? Header_GetItemCount(header) : 0;
}

int CListCtrl::InsertItem(int index, const std::wstring& text) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  return static_cast<int>(SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListCtrl::SetItemText(int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  return SendMessageW(hwnd_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)) != FALSE;
}

std::wstring CListCtrl::GetItemText(int row, int column) const {
  std::vector<wchar_t> buf(1024);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buf.data();
  item.cchTextMax = static_cast<int>(buf.size());
  const LRESULT n = SendMessageW(hwnd_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return std::wstring(buf.data(), static_cast<size_t>(n > 0 ? n : 0));
}

bool CListCtrl::DeleteAllItems() { return ListView_DeleteAllItems(hwnd_) != FALSE; }

int CListCtrl::GetItemCount() const { return ListView_GetItemCount(hwnd_); }

int CListCtrl::GetNextItem(int start, UINT flags) const {
  return ListView_GetNextItem(hwnd_, start, flags);
}

bool CListCtrl::SetItemState(int row, UINT state, UINT mask) {
  LVITEMW item{};
  item.stateMask = mask;
  item.state = state;
  return SendMessageW(hwnd_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item)) != FALSE;
}

bool CTrayIcon::Add(HWND owner, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip) {
  if (added_) return true;
  data_ = NOTIFYICONDATAW{};
  data_.cbSize = sizeof(data_);
  data_.hWnd = owner;
  data_.uID = id;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = callbackMessage;
  data_.hIcon = icon;
  lstrcpynW(data_.szTip, tip.c_str(), static_cast<int>(sizeof(data_.szTip) / sizeof(wchar_t)));
  added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
  return added_;
}

bool CTrayIcon::Readd() {
  if (!data_.hWnd) return false;
  added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
  return added_;
}

bool CTrayIcon::SetTip(const std::wstring& tip) {
  lstrcpynW(data_.szTip, tip.c_str(), static_cast<int>(sizeof(data_.szTip) / sizeof(wchar_t)));
  if (!added_) return true;
  NOTIFYICONDATAW change = data_;
  change.uFlags = NIF_TIP;
  return Shell_NotifyIconW(NIM_MODIFY, &change) != FALSE;
}

bool CTrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text, bool warning) {
  if (!added_) return false;
  NOTIFYICONDATAW change = data_;
  change.uFlags = NIF_INFO;
  lstrcpynW(change.szInfoTitle, title.c_str(),
            static_cast<int>(sizeof(change.szInfoTitle) / sizeof(wchar_t)));
  lstrcpynW(change.szInfo, text.c_str(), static_cast<int>(sizeof(change.szInfo) / sizeof(wchar_t)));
  change.dwInfoFlags = warning ? NIIF_WARNING : NIIF_INFO;
  return Shell_NotifyIconW(NIM_MODIFY, &change) != FALSE;
}

bool CTrayIcon::Remove() {
  if (!added_) return true;
  added_ = false;
  return Shell_NotifyIconW(NIM_DELETE, &data_) != FALSE;
}
