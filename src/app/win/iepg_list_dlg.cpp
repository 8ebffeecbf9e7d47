#include "app/win/iepg_list_dlg.h"

#include <commctrl.h>

#include "app/win/resource.h"
#include "framework/controls.h"
#include "platform/win32/text_win.h"

namespace {

struct Column {
  const char* heading;
  int width;  // dialog units
};
constexpr Column kColumns[] = {{"番組名", 120}, {"放送局", 60}, {"日付", 50}, {"時刻", 60}};

}  // namespace

CIepgListDlg::CIepgListDlg(HWND parent) : CDialog(IDD_IEPG_LIST), parent_(parent) {}

BOOL CIepgListDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  const std::string heading = m_fileTitle.empty()
                                  ? std::to_string(m_rows.size()) + "件の番組"
                                  : m_fileTitle + "（" + std::to_string(m_rows.size()) + "件）";
  SetItemTextUtf8(IDC_IEPG_LIST_TITLE, heading);
  CListCtrl list(GetItem(IDC_IEPG_LIST));
  list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  for (int c = 0; c < 4; ++c) {
    RECT r{0, 0, kColumns[c].width, 8};
    MapDialogRect(GetHwnd(), &r);
    list.InsertColumn(c, Utf8ToWide(kColumns[c].heading), r.right);
  }
  for (size_t i = 0; i < m_rows.size(); ++i) {
    const IepgListRow& row = m_rows[i];
    const int at = list.InsertItem(static_cast<int>(i), Utf8ToWide(row.title));
    list.SetItemText(at, 1, Utf8ToWide(row.station));
    list.SetItemText(at, 2, Utf8ToWide(row.date));
    list.SetItemText(at, 3, Utf8ToWide(row.times));
    ListView_SetCheckState(list.GetHwnd(), at, row.ticked ? TRUE : FALSE);
  }
  return TRUE;
}

void CIepgListDlg::OnOK() {
  HWND list = GetItem(IDC_IEPG_LIST);
  for (size_t i = 0; i < m_rows.size(); ++i)
    m_rows[i].ticked = ListView_GetCheckState(list, static_cast<int>(i)) != FALSE;
  EndDialog(IDOK);
}
