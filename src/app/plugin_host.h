#pragma once
// The plug-in host: loads the settings plug-in "Pelluxdlg.dll" from the
// program's own folder, binds its exports by name, keeps the plug-in's
// context, hands the function table to the settings sheet, runs the plug-in
// for an ending schedule and unloads it. Lives as long as the list view. All
// calls on the interface thread.
#include <string>

#include "boundary/nimbra_boundary.h"
#include "engine/scheduler.h"
#include "platform/shared_library.h"

class IPrompt;

// The plug-in's exports the program uses, in this order; the settings sheet
// calls PLG_AddPage through it.
struct PluginFunctionTable {
  PlgInitFn PLG_Init = nullptr;
  PlgDestroyFn PLG_Destroy = nullptr;
  PlgSaveFn PLG_Save = nullptr;
  PlgRunFn PLG_Run = nullptr;
  PlgLoadFn PLG_Load = nullptr;
  PlgAddPageFn PLG_AddPage = nullptr;
  PlgGetVersionFn PLG_GetVersion = nullptr;
  PlgGetPropertyHandleFn PLG_GetPropertyHandle = nullptr;
  ProGetParamSizeFn PRO_GetParamSize = nullptr;
  ProRunFn PRO_Run = nullptr;
  ProSetParamFn PRO_SetParam = nullptr;
};

// The plug-in's file: "Pelluxdlg.dll" in the folder of the program at
// programPath, never found through the search order (which includes the
// current folder, where a downloaded file may have been opened from). ""
// when the program's folder is unknown: the host then loads nothing.
std::string PluginPathFor(const std::string& programPath);

class CPluginHost : public IPluginRunner {
 public:
  // Loads the plug-in at libraryPath; failures are shown to the user and
  // leave the host without a plug-in.
  CPluginHost(IPrompt& prompt, std::string libraryPath);
  ~CPluginHost() override;
  CPluginHost(const CPluginHost&) = delete;
  CPluginHost& operator=(const CPluginHost&) = delete;

  // True when the plug-in is usable. Called by the constructor.
  bool Load();
  // Saves and destroys the plug-in's context and frees the library.
  void Unload();
  // The plug-in's context, nullptr when there is no plug-in.
  PluginManager* GetContext() const { return context_; }
  // The bound exports, nullptr when there is no plug-in.
  const PluginFunctionTable* GetFunctionTable() const { return context_ ? &table_ : nullptr; }
  // The plug-in's version text (owned by the plug-in), or nullptr.
  const char* GetVersionText() const;
  // Runs the plug-in item called name with a copy of entry as its 596-byte
  // parameter block.
  void RunPlugin(const char* name, const ScheduleEntry& entry) override;

 private:
  void Show(const std::string& text);

  IPrompt& prompt_;
  std::string path_;
  SharedLibrary library_;
  PluginManager* context_ = nullptr;
  PluginFunctionTable table_;
};
