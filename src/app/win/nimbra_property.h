#pragma once
// The settings sheet "設定": the EPG page, the user page, behind them the
// pages the settings plug-in adds through its PLG_AddPage, and last the
// program's own 通知 page.
#include <string>

#include "app/win/property_epg.h"
#include "app/win/property_notify.h"
#include "app/win/property_user.h"
#include "framework/property_sheet.h"

struct PluginFunctionTable;
class IPrompt;
class PluginManager;

class CNimbraProperty : public CPropertySheet {
 public:
  // The plug-in adds its pages when both its context and its function table
  // are given; the 通知 page comes with the notifications' sender.
  CNimbraProperty(PluginManager* pluginContext, const PluginFunctionTable* functions,
                  std::wstring caption, HWND parent, UINT startPage, IPrompt& prompt,
                  CNotifySender* notifySender = nullptr);

  CPropertyUser m_user;
  CPropertyEPG m_epg;
  CPropertyNotify m_notify;
};
