#include "app/win/journal_dlg.h"

#include <commctrl.h>
#include <commdlg.h>

#include "app/win/resource.h"
#include "engine/journal_verdict.h"
#include "framework/controls.h"
#include "framework/message_box.h"
#include "platform/file.h"
#include "platform/win32/text_win.h"

namespace {

struct Column {
  const wchar_t* heading;
  int width;
};
constexpr Column kColumns[6] = {{L"開始", 120}, {L"番組名", 140}, {L"判定", 50},
                                {L"詳細", 300}, {L"起動", 140},  {L"終了後", 140}};

}  // namespace

CJournalDlg::CJournalDlg(HWND parent, const std::vector<JournalEvent>& events, int64_t now)
    : CDialog(IDD_JOURNAL), parent_(parent) {
  const std::vector<JournalWindow> windows = AssembleWindows(events);
  csv_ = JournalCsv(windows);
  rows_.reserve(windows.size());
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    const JournalVerdict v = JudgeWindow(*it);
    const bool ongoing = it->end > now;
    Row row;
    row.cells[0] = Utf8ToWide(JournalStamp(it->start).substr(0, 16));
    row.cells[1] = Utf8ToWide(it->title);
    row.cells[2] = Utf8ToWide(ongoing ? "予定/録画中" : VerdictWord(v.kind));
    row.cells[3] = ongoing ? std::wstring() : Utf8ToWide(VerdictText(v));
    row.cells[4] = Utf8ToWide(WakeText(*it));
    row.cells[5] = Utf8ToWide(EndText(*it));
    row.short_ = !ongoing && v.kind != VerdictKind::kFullyAwake;
    rows_.push_back(std::move(row));
  }
}

BOOL CJournalDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  HWND list = GetItem(IDC_JOURNAL_LIST);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  for (int i = 0; i < 6; ++i) {
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.pszText = const_cast<wchar_t*>(kColumns[i].heading);
    c.cx = ScaleForDpi(kColumns[i].width);
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&c));
  }
  SendMessageW(list, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOINVALIDATEALL);
  size_t shortCount = 0;
  for (const Row& r : rows_) shortCount += r.short_;
  SetItemText(IDC_JOURNAL_SUMMARY, std::to_wstring(rows_.size()) + L"件の予定、うち" +
                                       std::to_wstring(shortCount) + L"件は最後まで起動していません（赤）");
  return TRUE;
}

bool CJournalDlg::OnCommand(int id, int, HWND) {
  if (id != IDC_JOURNAL_CSV) return false;
  ExportCsv();
  return true;
}

void CJournalDlg::ExportCsv() {
  wchar_t file[MAX_PATH] = L"Nimbra-journal.csv";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetHwnd();
  ofn.lpstrFilter = L"CSV (*.csv)\0*.csv\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = L"csv";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameW(&ofn)) return;
  if (!WriteFileAtomically(WideToUtf8(file), csv_))
    AppMessageBox(GetHwnd(), L"CSVファイルを保存できませんでした。\n" + std::wstring(file),
                  MB_OK | MB_ICONERROR);
}

bool CJournalDlg::OnNotify(NMHDR* header, LRESULT* result) {
  if (header->idFrom != IDC_JOURNAL_LIST) return false;
  if (header->code == LVN_GETDISPINFOW) {
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
    const size_t row = static_cast<size_t>(info->item.iItem);
    // The text goes into the list's own buffer: whoever asked (LVM_GETITEMTEXT,
    // also from another process) reads it there.
    if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
      const bool known = row < rows_.size() && info->item.iSubItem >= 0 && info->item.iSubItem < 6;
      lstrcpynW(info->item.pszText, known ? rows_[row].cells[info->item.iSubItem].c_str() : L"",
                info->item.cchTextMax);
    }
    *result = 0;
    return true;
  }
  if (header->code == NM_CUSTOMDRAW) {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
      *result = CDRF_NOTIFYITEMDRAW;
      return true;
    }
    if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
      const size_t row = static_cast<size_t>(draw->nmcd.dwItemSpec);
      if (row < rows_.size() && rows_[row].short_) draw->clrText = RGB(200, 0, 0);
      *result = CDRF_DODEFAULT;
      return true;
    }
  }
  return false;
}
