#pragma once
// The registry service: create or open a key, read and write its text
// values. Paths are relative to a root ("Tz_auto\\shell\\open\\Command") and
// texts are UTF-8. The empty value name is the
// key's default value.
#include <optional>
#include <string>

enum class RegistryRoot {
  kClassesRoot,  // HKEY_CLASSES_ROOT: the per-user classes merged over the machine's
  kUserClasses,  // HKEY_CURRENT_USER\Software\Classes: writable without administrator rights
  kCurrentUser,  // HKEY_CURRENT_USER
};

enum class KeyStatus { kCreated, kExisted, kFailed };

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // Creates the key (and any missing parent) or opens it when it exists.
  virtual KeyStatus CreateKey(RegistryRoot root, const std::string& path) = 0;
  virtual bool KeyExists(RegistryRoot root, const std::string& path) = 0;
  // The text value name of the key; none when the key or the value is missing
  // or the value is not text.
  virtual std::optional<std::string> ReadString(RegistryRoot root, const std::string& path,
                                                const std::string& name) = 0;
  // Writes a text value (REG_SZ with its terminating zero), creating the key
  // when it is missing; false when the key or the value could not be written.
  virtual bool WriteString(RegistryRoot root, const std::string& path, const std::string& name,
                           const std::string& value) = 0;
};
