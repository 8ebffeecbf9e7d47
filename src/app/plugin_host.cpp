#include "app/plugin_host.h"

#include <cstdio>

#include "platform/program_path.h"
#include "platform/prompt.h"
#include "schedule/nimbra_doc.h"

std::string PluginPathFor(const std::string& programPath) {
  const std::string folder = DirectoryOf(programPath);
  return folder.empty() ? std::string() : JoinPath(folder, "Pelluxdlg.dll");
}

CPluginHost::CPluginHost(IPrompt& prompt, std::string libraryPath)
    : prompt_(prompt), path_(std::move(libraryPath)) {
  Load();
}

CPluginHost::~CPluginHost() { Unload(); }

void CPluginHost::Show(const std::string& text) {
  prompt_.Show(text, kAppTitle, PromptButtons::kOk);
}

bool CPluginHost::Load() {
  SystemError error;
  library_ = SharedLibrary::Open(path_, &error);
  if (!library_) {
    char text[64];
    std::snprintf(text, sizeof text, "LoadLibrary() error.(%d)", static_cast<int>(error.number));
    Show(text);
    return false;
  }
  PluginFunctionTable t;
  t.PLG_Init = library_.Get<PlgInitFn>("PLG_Init");
  t.PLG_Destroy = library_.Get<PlgDestroyFn>("PLG_Destroy");
  t.PLG_Save = library_.Get<PlgSaveFn>("PLG_Save");
  t.PLG_Run = library_.Get<PlgRunFn>("PLG_Run");
  t.PLG_Load = library_.Get<PlgLoadFn>("PLG_Load");
  t.PLG_AddPage = library_.Get<PlgAddPageFn>("PLG_AddPage");
  t.PLG_GetVersion = library_.Get<PlgGetVersionFn>("PLG_GetVersion");
  t.PLG_GetPropertyHandle = library_.Get<PlgGetPropertyHandleFn>("PLG_GetPropertyHandle");
  t.PRO_GetParamSize = library_.Get<ProGetParamSizeFn>("PRO_GetParamSize");
  t.PRO_Run = library_.Get<ProRunFn>("PRO_Run");
  t.PRO_SetParam = library_.Get<ProSetParamFn>("PRO_SetParam");
  if (!t.PLG_Init || !t.PLG_Destroy || !t.PLG_Save || !t.PLG_Run || !t.PLG_Load ||
      !t.PLG_AddPage || !t.PLG_GetVersion || !t.PLG_GetPropertyHandle || !t.PRO_GetParamSize ||
      !t.PRO_Run || !t.PRO_SetParam) {
    // Whichever entry is missing, the plug-in as a whole is unusable.
    Show(std::string("PLG_Init") + " open error.");
    return false;
  }
  table_ = t;
  // A context of 0 means the plug-in declined; the host then runs without
  // it and says nothing here.
  context_ = table_.PLG_Init();
  return true;
}

void CPluginHost::Unload() {
  if (!library_) return;
  if (context_) {
    table_.PLG_Save(context_);
    table_.PLG_Destroy(context_);
    context_ = nullptr;
  }
  table_ = PluginFunctionTable{};
  library_.Reset();
}

const char* CPluginHost::GetVersionText() const {
  if (!context_) return nullptr;
  const char* text = nullptr;
  table_.PLG_GetVersion(context_, &text);
  return text;
}

void CPluginHost::RunPlugin(const char* name, const ScheduleEntry& entry) {
  PropertyHandle* handle = context_ ? table_.PLG_GetPropertyHandle(context_, name) : nullptr;
  if (!handle) {
    Show("ハンドルの取得に失敗しました。");
    return;
  }
  // The plug-in gets its own copy: it reads the record, the table stays ours.
  ScheduleEntry block = entry;
  if (table_.PRO_SetParam(handle, &block, static_cast<int>(sizeof block)) == 0) {
    Show("パラメータの設定に失敗しました。");
    return;
  }
  table_.PRO_Run(handle);
}
