#pragma once
// The interface of the settings plug-in Pelluxdlg: sixteen plain C functions.
// The manager and the handles are opaque to the program.
#include <cstdint>

class PluginManager;
struct PropertyHandle;

extern "C" {
PluginManager* PLG_Init(void);
void PLG_Destroy(PluginManager* manager);
void PLG_Load(PluginManager* manager);
void PLG_Save(PluginManager* manager);
void PLG_Run(PluginManager* manager);
int32_t PLG_RunInit(PluginManager* manager);
int32_t PLG_GetSize(PluginManager* manager);
// sheet is the program's PluginSheet record (plugin/plugin_sheet.h): each
// item's page window is handed to it.
void PLG_AddPage(void* sheet, PluginManager* manager);
void PLG_GetVersion(PluginManager* manager, const char** version);
void* PLG_GetPlugin(void* any);
void* PLG_SetPlugin(void* any);
PropertyHandle* PLG_GetPropertyHandle(PluginManager* manager, const char* name);
int32_t PRO_SetParam(PropertyHandle* handle, const void* data, int32_t size);
int32_t PRO_GetParamSize(PropertyHandle* handle);
int32_t PRO_Run(PropertyHandle* handle);
int32_t PRO_RunInit(void* ignored);
}

// The types of the exports, for binding them by name.
using PlgInitFn = decltype(&PLG_Init);
using PlgDestroyFn = decltype(&PLG_Destroy);
using PlgLoadFn = decltype(&PLG_Load);
using PlgSaveFn = decltype(&PLG_Save);
using PlgRunFn = decltype(&PLG_Run);
using PlgRunInitFn = decltype(&PLG_RunInit);
using PlgGetSizeFn = decltype(&PLG_GetSize);
using PlgAddPageFn = decltype(&PLG_AddPage);
using PlgGetVersionFn = decltype(&PLG_GetVersion);
using PlgGetPluginFn = decltype(&PLG_GetPlugin);
using PlgGetPropertyHandleFn = decltype(&PLG_GetPropertyHandle);
using ProSetParamFn = decltype(&PRO_SetParam);
using ProGetParamSizeFn = decltype(&PRO_GetParamSize);
using ProRunFn = decltype(&PRO_Run);
using ProRunInitFn = decltype(&PRO_RunInit);
