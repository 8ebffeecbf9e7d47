#pragma once
// A registry held in memory, with the merge of HKEY_CLASSES_ROOT: a value of
// the current user's classes (UserClasses) hides the machine's value of the
// same key; ClassesRoot writes go to the user's key when it exists, else to
// the machine's. Key and value names compare case-insensitively (ASCII).
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/registry.h"

class MemoryRegistry final : public IRegistry {
 public:
  KeyStatus CreateKey(RegistryRoot root, const std::string& path) override;
  bool KeyExists(RegistryRoot root, const std::string& path) override;
  std::optional<std::string> ReadString(RegistryRoot root, const std::string& path,
                                        const std::string& name) override;
  bool WriteString(RegistryRoot root, const std::string& path, const std::string& name,
                   const std::string& value) override;

  // Refuses every create and write under a layer from now on, as the
  // registry does for a user without administrator rights (ClassesRoot
  // stands for the machine's classes).
  void DenyWrites(RegistryRoot layer) { denied_.insert(layer); }
  void AllowWrites(RegistryRoot layer) { denied_.erase(layer); }
  // The number of keys of a layer (ClassesRoot: the machine's classes).
  int KeyCount(RegistryRoot layer) const;

 private:
  struct Key {
    std::map<std::string, std::string> values;  // folded name -> value
  };
  using Layer = std::map<std::string, Key>;     // folded path -> key

  // The layer that holds path for root (ClassesRoot: the user's when it has
  // the key, else the machine's), and the layer id for write checks.
  RegistryRoot LayerFor(RegistryRoot root, const std::string& folded) const;
  Layer& LayerOf(RegistryRoot layer);
  const Layer& LayerOf(RegistryRoot layer) const;

  Layer machineClasses_;
  Layer userClasses_;
  Layer currentUser_;
  std::set<RegistryRoot> denied_;
};
