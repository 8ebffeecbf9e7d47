#pragma once
// The settings sheet as the plug-in sees it: the first argument of
// PLG_AddPage. A plain C record, so that no C++ object of the program crosses
// into the plug-in and none of the plug-in's crosses back; only a page handle
// of the system does.
//
// How a plug-in adds a page on Windows:
//   1. it fills a PROPSHEETPAGEW with hInstance = its own module and
//      pszTemplate = its own dialog template, and creates the page with
//      CreatePropertySheetPageW (its dialog procedure and page object stay
//      inside the plug-in);
//   2. it calls sheet->AddPage(sheet, page) with the HPROPSHEETPAGE;
//   3. on 1 the sheet owns the page: the system destroys it with the sheet
//      (which runs the page's PSPCB_RELEASE callback, where the plug-in frees
//      its page object). On 0 the page stays the plug-in's, which destroys it
//      with DestroyPropertySheetPage.
// The record and its callback are valid only during the PLG_AddPage call.
// The sheet is shown after PLG_AddPage returns, and is gone before the
// program calls PLG_Destroy.
//
// Platforms without property sheets have no pages to add; there the
// program's sheet is not shown and PLG_AddPage adds nothing.
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct PluginSheet PluginSheet;

// Takes one page made by the plug-in (an HPROPSHEETPAGE on Windows). 1 when
// the sheet took it, 0 when it did not.
typedef int32_t (*PluginSheetAddPageFn)(PluginSheet* sheet, void* page);

struct PluginSheet {
  uint32_t size;                 // sizeof(PluginSheet): a record of another size is refused
  void* owner;                   // the program's own; the plug-in leaves it alone
  PluginSheetAddPageFn AddPage;  // C calling convention
};

#ifdef __cplusplus
}
#endif
