#pragma once
// The inside of the plug-in: a manager per PLG_Init with its ordered list of
// items, each owning one page, and a handle per item through which the
// program reaches it by name.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plugin/plugin_page.h"

class CDebugLog;
class IPrompt;
class ILauncher;
class PluginItem;
class PluginManager;

// What the pages need from their surroundings.
struct PluginEnvironment {
  IPrompt& prompt;
  ILauncher& launcher;
  std::string settingsPath;   // the program's settings file
  std::string libraryFolder;  // where the plug-in's own libraries lie
  CDebugLog* log = nullptr;   // where a mail that did not go out is noted
};

// An item's name and the size of the parameter record it accepts.
struct PluginInfo {
  std::string name;
  int32_t param_size = 0;
};

// One per registered item, made and owned by the manager.
struct PropertyHandle {
  std::string name;
  int32_t param_size = 0;
  PluginManager* manager = nullptr;
  PluginItem* item = nullptr;
};

class PluginItem {
 public:
  virtual ~PluginItem() = default;

  // Builds the info and the page, then loads the page's settings; 0 when no
  // page could be made.
  int Create();
  virtual const PluginInfo* MakeInfo() = 0;
  // 1 when the page was made from info, 0 for a null info.
  virtual int MakePage(const PluginInfo* info) = 0;

  // Forwarded to the page; 0, empty or nothing without a page.
  int Save();
  int Load();
  void Run();
  std::string GetName() const;
  int32_t GetParamSize() const;
  void SetHandle(PropertyHandle* handle);
  PropertyHandle* GetHandle() const;
  int SetParam(const void* data);
  bool CheckParamSize(int32_t size) const;
  virtual PluginPage* GetPage() const = 0;
};

// The mail item: "smail", taking the 596-byte schedule record.
class SMailPluginItem final : public PluginItem {
 public:
  explicit SMailPluginItem(const PluginEnvironment& env) : env_(env) {}
  const PluginInfo* MakeInfo() override;
  int MakePage(const PluginInfo* info) override;
  PluginPage* GetPage() const override;

 private:
  const PluginEnvironment& env_;
  std::unique_ptr<PluginInfo> info_;
  std::unique_ptr<PluginPage> page_;
};

class PluginManager {
 public:
  // Registers the items and builds their pages (Init).
  explicit PluginManager(PluginEnvironment env);
  ~PluginManager();
  PluginManager(const PluginManager&) = delete;
  PluginManager& operator=(const PluginManager&) = delete;

  // The item list. Every walk starts with First and shares the one cursor,
  // so walks must not nest.
  std::unique_ptr<PluginItem> Pop();
  void Push(std::unique_ptr<PluginItem> item);
  int32_t Size() const { return static_cast<int32_t>(items_.size()); }
  PluginItem* First();
  PluginItem* Next();

  int RunInit() { return 1; }
  void Run();
  void Save();
  void Load();
  // The version text, or null when it is empty; owned by the manager.
  const char* GetVersion() const { return version_.empty() ? nullptr : version_.c_str(); }

  // The handle of the item called name (exact, case-sensitive); null for a
  // null or empty name or when no item has it.
  PropertyHandle* FindHandle(const char* name);
  // True when handle is one this manager made and still holds.
  bool Owns(const PropertyHandle* handle) const;

 private:
  void Init();

  PluginEnvironment env_;
  std::vector<std::unique_ptr<PluginItem>> items_;
  std::vector<std::unique_ptr<PropertyHandle>> handles_;
  int32_t cursor_ = 0;
  std::string version_;
};
