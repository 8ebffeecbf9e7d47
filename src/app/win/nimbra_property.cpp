#include "app/win/nimbra_property.h"

#include "app/plugin_host.h"
#include "boundary/nimbra_boundary.h"

namespace {

// The plug-in hands its pages over here, one system page handle at a time.
int32_t AddPluginPage(PluginSheet* sheet, void* page) {
  if (!sheet || sheet->size != sizeof(PluginSheet) || !sheet->owner || !page) return 0;
  return static_cast<CPropertySheet*>(sheet->owner)->AddPageHandle(static_cast<HPROPSHEETPAGE>(page))
             ? 1
             : 0;
}

}  // namespace

CNimbraProperty::CNimbraProperty(PluginManager* pluginContext, const PluginFunctionTable* functions,
                                 std::wstring caption, HWND parent, UINT startPage,
                                 IPrompt& prompt, CNotifySender* notifySender)
    : CPropertySheet(std::move(caption), parent, startPage),
      m_user(prompt),
      m_epg(prompt),
      m_notify(prompt, notifySender) {
  AddPage(&m_epg);
  AddPage(&m_user);
  if (pluginContext && functions && functions->PLG_AddPage) {
    PluginSheet sheet{sizeof(PluginSheet), static_cast<CPropertySheet*>(this), &AddPluginPage};
    functions->PLG_AddPage(&sheet, pluginContext);
  }
  if (notifySender) AddPage(&m_notify);
}
