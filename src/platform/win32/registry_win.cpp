// The Windows registry behind IRegistry. Texts cross in UTF-8; values are
// written as REG_SZ with their terminating zero.
#include <windows.h>

#include <vector>

#include "platform/system_registry.h"
#include "platform/win32/handle.h"
#include "platform/win32/registry_value.h"
#include "platform/win32/text_win.h"

namespace {

constexpr const wchar_t kUserClasses[] = L"Software\\Classes\\";

HKEY BaseOf(RegistryRoot root, const std::string& path, std::wstring* subKey) {
  switch (root) {
    case RegistryRoot::kClassesRoot:
      *subKey = Utf8ToWide(path);
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::kUserClasses:
      *subKey = kUserClasses + Utf8ToWide(path);
      return HKEY_CURRENT_USER;
    case RegistryRoot::kCurrentUser:
      break;
  }
  *subKey = Utf8ToWide(path);
  return HKEY_CURRENT_USER;
}

LSTATUS Create(RegistryRoot root, const std::string& path, UniqueHKey* key, DWORD* disposition) {
  std::wstring sub;
  const HKEY base = BaseOf(root, path, &sub);
  return RegCreateKeyExW(base, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_READ | KEY_WRITE, nullptr, key->put(), disposition);
}

std::optional<std::string> QueryString(RegistryRoot root, const std::string& path,
                                       const std::string& name) {
  std::wstring sub;
  const HKEY base = BaseOf(root, path, &sub);
  UniqueHKey key;
  if (RegOpenKeyExW(base, sub.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
    return std::nullopt;
  DWORD type = 0;
  std::string text;
  if (ReadRegistryText(key.get(), Utf8ToWide(name), &type, &text) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::nullopt;
  return text;
}

bool OpenExists(RegistryRoot root, const std::string& path) {
  std::wstring sub;
  const HKEY base = BaseOf(root, path, &sub);
  UniqueHKey key;
  return RegOpenKeyExW(base, sub.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// Reads of the classes root look at the user's classes first. Windows' own
// HKEY_CLASSES_ROOT does the same; doing it here also gives the merged view
// where the root is the machine's classes alone (Wine).
class WinRegistry final : public IRegistry {
 public:
  KeyStatus CreateKey(RegistryRoot root, const std::string& path) override {
    UniqueHKey key;
    DWORD disposition = 0;
    if (Create(root, path, &key, &disposition) != ERROR_SUCCESS) return KeyStatus::kFailed;
    return disposition == REG_CREATED_NEW_KEY ? KeyStatus::kCreated : KeyStatus::kExisted;
  }

  bool KeyExists(RegistryRoot root, const std::string& path) override {
    if (root == RegistryRoot::kClassesRoot && OpenExists(RegistryRoot::kUserClasses, path))
      return true;
    return OpenExists(root, path);
  }

  std::optional<std::string> ReadString(RegistryRoot root, const std::string& path,
                                        const std::string& name) override {
    if (root == RegistryRoot::kClassesRoot) {
      if (auto user = QueryString(RegistryRoot::kUserClasses, path, name)) return user;
    }
    return QueryString(root, path, name);
  }

  bool WriteString(RegistryRoot root, const std::string& path, const std::string& name,
                   const std::string& value) override {
    UniqueHKey key;
    DWORD disposition = 0;
    if (Create(root, path, &key, &disposition) != ERROR_SUCCESS) return false;
    const std::wstring wname = Utf8ToWide(name);
    const std::wstring wvalue = Utf8ToWide(value);
    const DWORD bytes = static_cast<DWORD>((wvalue.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), wname.empty() ? nullptr : wname.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wvalue.c_str()), bytes) == ERROR_SUCCESS;
  }
};

}  // namespace

IRegistry& SystemRegistry() {
  static WinRegistry registry;
  return registry;
}
