#include "plugin/page_windows.h"

#include <memory>

#include "boundary/nimbra_boundary.h"
#include "plugin/plugin_manager.h"
#include "plugin/smail_page.h"
#include "plugin/win/property_smail.h"

namespace {

// Something inside this library, to find the library's module by: the page
// templates are its resources.
const char kModuleAnchor = 0;

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&kModuleAnchor), &module);
  return module;
}

}  // namespace

int AddPageWindows(PluginManager& manager, PluginSheet& sheet) {
  if (sheet.size != sizeof(PluginSheet) || !sheet.AddPage) return 0;
  int added = 0;
  for (PluginItem* item = manager.First(); item != nullptr; item = manager.Next()) {
    auto* mail = dynamic_cast<SMailPage*>(item->GetPage());
    if (!mail) continue;
    // Destroying the system page deletes the page object too.
    UniquePropertyPage page(CPropertyPage::CreateSelfOwnedPage(
        std::make_unique<CPropertySMail>(*mail, ThisModule()), CPropertySMail::kTitle));
    if (!page) continue;
    if (sheet.AddPage(&sheet, page.get())) {
      page.release();  // the sheet has it now
      ++added;
    }
  }
  return added;
}
