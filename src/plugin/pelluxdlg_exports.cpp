// The sixteen exports of the plug-in. Managers and handles are checked
// against the ones alive before use, so a stale or foreign pointer is
// refused instead of followed; no exception leaves an export.
#include <algorithm>
#include <vector>

#include "boundary/nimbra_boundary.h"
#include "platform/debug_log.h"
#include "platform/launcher.h"
#include "platform/program_path.h"
#include "platform/prompt.h"
#include "platform/settings_path.h"
#include "plugin/page_windows.h"
#include "plugin/plugin_manager.h"

namespace {

std::vector<PluginManager*>& LiveManagers() {
  static std::vector<PluginManager*> managers;
  return managers;
}

bool IsLive(const PluginManager* manager) {
  const auto& live = LiveManagers();
  return manager != nullptr && std::find(live.begin(), live.end(), manager) != live.end();
}

// A handle is valid while its manager lives and still holds it.
bool IsValid(const PropertyHandle* handle) {
  for (PluginManager* m : LiveManagers())
    if (m->Owns(handle)) return true;
  return false;
}

// Something inside this library, to find the library's own file by.
const char kModuleAnchor = 0;

}  // namespace

extern "C" PluginManager* PLG_Init(void) {
  try {
    // The mail library is loaded from this library's folder, never through
    // the search order: the current directory may be a download folder.
    static CDebugLog log;  // the program's debug log file, switched by its settings
    PluginEnvironment env{SystemPrompt(), SystemLauncher(), SettingsFilePath(),
                          DirectoryOf(ModulePathContaining(&kModuleAnchor)), &log};
    LiveManagers().reserve(LiveManagers().size() + 1);
    auto* manager = new PluginManager(std::move(env));
    LiveManagers().push_back(manager);
    return manager;
  } catch (...) {
    return nullptr;
  }
}

extern "C" void PLG_Destroy(PluginManager* manager) {
  if (!IsLive(manager)) return;
  auto& live = LiveManagers();
  live.erase(std::remove(live.begin(), live.end(), manager), live.end());
  delete manager;
}

extern "C" void PLG_Load(PluginManager* manager) {
  if (!IsLive(manager)) return;
  try {
    manager->Load();
  } catch (...) {
  }
}

extern "C" void PLG_Save(PluginManager* manager) {
  if (!IsLive(manager)) return;
  try {
    manager->Save();
  } catch (...) {
  }
}

extern "C" void PLG_Run(PluginManager* manager) {
  if (!IsLive(manager)) return;
  try {
    manager->Run();
  } catch (...) {
  }
}

extern "C" int32_t PLG_RunInit(PluginManager* manager) {
  return IsLive(manager) ? manager->RunInit() : 1;
}

extern "C" int32_t PLG_GetSize(PluginManager* manager) {
  return IsLive(manager) ? manager->Size() : 0;
}

extern "C" void PLG_AddPage(PluginSheet* sheet, PluginManager* manager) {
  if (!IsLive(manager) || sheet == nullptr) return;
  try {
    AddPageWindows(*manager, *sheet);
  } catch (...) {
  }
}

extern "C" void PLG_GetVersion(PluginManager* manager, const char** version) {
  if (!IsLive(manager) || version == nullptr) return;
  *version = manager->GetVersion();
}

extern "C" void* PLG_GetPlugin(void* any) { return any; }
extern "C" void* PLG_SetPlugin(void* any) __attribute__((alias("PLG_GetPlugin")));

extern "C" PropertyHandle* PLG_GetPropertyHandle(PluginManager* manager, const char* name) {
  if (!IsLive(manager)) return nullptr;
  try {
    return manager->FindHandle(name);
  } catch (...) {
    return nullptr;
  }
}

extern "C" int32_t PRO_SetParam(PropertyHandle* handle, const void* data, int32_t size) {
  if (!IsValid(handle) || data == nullptr || !handle->item->CheckParamSize(size)) return 0;
  return handle->item->SetParam(data);
}

extern "C" int32_t PRO_GetParamSize(PropertyHandle* handle) {
  return IsValid(handle) ? handle->param_size : 0;
}

extern "C" int32_t PRO_Run(PropertyHandle* handle) {
  if (!IsValid(handle)) return 0;
  try {
    handle->item->Run();
  } catch (...) {
  }
  return 0;
}

extern "C" int32_t PRO_RunInit(void*) { return 0; }
