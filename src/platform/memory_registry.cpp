#include "platform/memory_registry.h"

#include "platform/text.h"

namespace {

// Lower-case ASCII, single separators, none at either end.
std::string Fold(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out.push_back(AsciiLower(c));
  }
  if (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

}  // namespace

RegistryRoot MemoryRegistry::LayerFor(RegistryRoot root, const std::string& folded) const {
  if (root != RegistryRoot::kClassesRoot) return root;
  return userClasses_.count(folded) ? RegistryRoot::kUserClasses : RegistryRoot::kClassesRoot;
}

MemoryRegistry::Layer& MemoryRegistry::LayerOf(RegistryRoot layer) {
  switch (layer) {
    case RegistryRoot::kClassesRoot: return machineClasses_;
    case RegistryRoot::kUserClasses: return userClasses_;
    case RegistryRoot::kCurrentUser: break;
  }
  return currentUser_;
}

const MemoryRegistry::Layer& MemoryRegistry::LayerOf(RegistryRoot layer) const {
  return const_cast<MemoryRegistry*>(this)->LayerOf(layer);
}

KeyStatus MemoryRegistry::CreateKey(RegistryRoot root, const std::string& path) {
  const std::string folded = Fold(path);
  if (folded.empty()) return KeyStatus::kFailed;
  const RegistryRoot layer = LayerFor(root, folded);
  Layer& keys = LayerOf(layer);
  if (keys.count(folded)) return KeyStatus::kExisted;
  if (denied_.count(layer)) return KeyStatus::kFailed;
  // Parents first, as the registry creates them.
  for (size_t pos = folded.find('\\'); pos != std::string::npos; pos = folded.find('\\', pos + 1))
    keys.emplace(folded.substr(0, pos), Key{});
  keys.emplace(folded, Key{});
  return KeyStatus::kCreated;
}

bool MemoryRegistry::KeyExists(RegistryRoot root, const std::string& path) {
  const std::string folded = Fold(path);
  return LayerOf(LayerFor(root, folded)).count(folded) != 0;
}

std::optional<std::string> MemoryRegistry::ReadString(RegistryRoot root, const std::string& path,
                                                      const std::string& name) {
  const std::string folded = Fold(path);
  auto read = [&](RegistryRoot layer) -> std::optional<std::string> {
    const Layer& keys = LayerOf(layer);
    const auto key = keys.find(folded);
    if (key == keys.end()) return std::nullopt;
    const auto value = key->second.values.find(Fold(name));
    if (value == key->second.values.end()) return std::nullopt;
    return value->second;
  };
  if (root != RegistryRoot::kClassesRoot) return read(root);
  if (auto user = read(RegistryRoot::kUserClasses)) return user;
  return read(RegistryRoot::kClassesRoot);
}

bool MemoryRegistry::WriteString(RegistryRoot root, const std::string& path,
                                 const std::string& name, const std::string& value) {
  if (CreateKey(root, path) == KeyStatus::kFailed) return false;
  const std::string folded = Fold(path);
  const RegistryRoot layer = LayerFor(root, folded);
  if (denied_.count(layer)) return false;
  LayerOf(layer)[folded].values[Fold(name)] = value;
  return true;
}

int MemoryRegistry::KeyCount(RegistryRoot layer) const {
  return static_cast<int>(LayerOf(layer).size());
}
