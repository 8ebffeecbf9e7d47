// Opening the journal window (実行履歴) itself on 5000 windows, in the Windows
// build only: the rows made, the dialog and its virtual list created (hidden)
// and the first screenful of texts asked for, as the list does when it first
// paints; then the window is destroyed again.
#ifdef _WIN32
#include <windows.h>

#include <commctrl.h>

#include <benchmark/benchmark.h>

#include "app/win/journal_dlg.h"
#include "app/win/resource.h"
#include "bench_journal.h"
#include "schedule/time_rules.h"

namespace {

void BM_JournalWindowOpen(benchmark::State& state) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  const CJournalFile file(BenchJournalFile(static_cast<int>(state.range(0))));
  const std::vector<JournalEvent> events = file.Load();
  RemoveFile(file.Path());
  const int64_t now = TimeToSeconds(MakeSystemTime(2035, 1, 1, 0, 0, 0));
  for (auto _ : state) {
    CJournalDlg dlg(nullptr, events, now);
    if (!dlg.Create(nullptr)) {
      state.SkipWithError("the journal window was not created");
      break;
    }
    HWND list = GetDlgItem(dlg.GetHwnd(), IDC_JOURNAL_LIST);
    wchar_t text[260];
    size_t chars = 0;
    for (int row = 0; row < 40; ++row)
      for (int column = 0; column < 6; ++column) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 260;
        chars += static_cast<size_t>(SendMessageW(list, LVM_GETITEMTEXTW, row,
                                                  reinterpret_cast<LPARAM>(&item)));
      }
    benchmark::DoNotOptimize(chars);
    dlg.Destroy();
  }
}
BENCHMARK(BM_JournalWindowOpen)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
#endif
