#include "plugin/plugin_manager.h"

#include <algorithm>

#include "boundary/nimbra_boundary.h"
#include "plugin/plugin_version.h"
#include "plugin/smail_page.h"

int PluginItem::Create() {
  const PluginInfo* info = MakeInfo();
  if (!MakePage(info)) return 0;
  Load();
  return 1;
}

int PluginItem::Save() { return GetPage() ? GetPage()->Save() : 0; }
int PluginItem::Load() { return GetPage() ? GetPage()->Load() : 0; }
void PluginItem::Run() {
  if (GetPage()) GetPage()->Run();
}
std::string PluginItem::GetName() const { return GetPage() ? GetPage()->GetName() : std::string(); }
int32_t PluginItem::GetParamSize() const { return GetPage() ? GetPage()->GetParamSize() : 0; }
void PluginItem::SetHandle(PropertyHandle* handle) {
  if (GetPage()) GetPage()->SetHandle(handle);
}
PropertyHandle* PluginItem::GetHandle() const { return GetPage() ? GetPage()->GetHandle() : nullptr; }
int PluginItem::SetParam(const void* data) { return GetPage() ? GetPage()->SetParam(data) : 0; }
bool PluginItem::CheckParamSize(int32_t size) const {
  return GetPage() != nullptr && size == GetPage()->GetParamSize();
}

const PluginInfo* SMailPluginItem::MakeInfo() {
  info_ = std::make_unique<PluginInfo>(PluginInfo{"smail", NIMBRA_SCHEDULE_ENTRY_SIZE});
  return info_.get();
}

int SMailPluginItem::MakePage(const PluginInfo* info) {
  if (info == nullptr) return 0;
  auto page =
      std::make_unique<SMailPage>(env_.prompt, env_.launcher, env_.settingsPath,
                                               env_.libraryFolder, env_.log);
  page->SetInfo(info->name.c_str(), info->param_size);
  page_ = std::move(page);
  return 1;
}

PluginPage* SMailPluginItem::GetPage() const { return page_.get(); }

PluginManager::PluginManager(PluginEnvironment env) : env_(std::move(env)) { Init(); }

PluginManager::~PluginManager() {
  // Items go before their handles, which their pages point to.
  while (Pop()) {
  }
  handles_.clear();
}

void PluginManager::Init() {
  Push(std::make_unique<SMailPluginItem>(env_));
  version_ = PELLUXDLG_VERSION_LABEL " " PELLUXDLG_VERSION_NUMBER;
  for (PluginItem* item = First(); item != nullptr; item = Next()) {
    item->Create();
    const std::string name = item->GetName();
    if (name.empty()) continue;
    auto handle = std::make_unique<PropertyHandle>();
    handle->name = name;
    handle->param_size = item->GetParamSize();
    handle->manager = this;
    handle->item = item;
    item->SetHandle(handle.get());
    handles_.push_back(std::move(handle));
  }
}

std::unique_ptr<PluginItem> PluginManager::Pop() {
  if (items_.empty()) return nullptr;
  std::unique_ptr<PluginItem> first = std::move(items_.front());
  items_.erase(items_.begin());
  return first;
}

void PluginManager::Push(std::unique_ptr<PluginItem> item) { items_.push_back(std::move(item)); }

PluginItem* PluginManager::First() {
  cursor_ = 0;
  return Next();
}

PluginItem* PluginManager::Next() {
  if (cursor_ < 0 || cursor_ >= Size()) return nullptr;
  return items_[static_cast<size_t>(cursor_++)].get();
}

void PluginManager::Run() {
  for (PluginItem* item = First(); item != nullptr; item = Next()) item->Run();
}

void PluginManager::Save() {
  for (PluginItem* item = First(); item != nullptr; item = Next()) item->Save();
}

void PluginManager::Load() {
  for (PluginItem* item = First(); item != nullptr; item = Next()) item->Load();
}

PropertyHandle* PluginManager::FindHandle(const char* name) {
  if (name == nullptr || *name == '\0') return nullptr;
  for (PluginItem* item = First(); item != nullptr; item = Next()) {
    PropertyHandle* handle = item->GetHandle();
    if (handle != nullptr && handle->name == name) return handle;
  }
  return nullptr;
}

bool PluginManager::Owns(const PropertyHandle* handle) const {
  return handle != nullptr &&
         std::any_of(handles_.begin(), handles_.end(),
                     [handle](const auto& h) { return h.get() == handle; });
}
