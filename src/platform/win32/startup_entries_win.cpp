// The user's Run key behind IStartupEntries.
#include <windows.h>

#include <vector>

#include "platform/startup_entries.h"
#include "platform/win32/handle.h"
#include "platform/win32/registry_value.h"
#include "platform/win32/text_win.h"

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class RunKeyEntries final : public IStartupEntries {
 public:
  StartupReading Read(const std::string& name) override {
    StartupReading r;
    UniqueHKey key;
    LSTATUS rc = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, key.put());
    if (rc == ERROR_FILE_NOT_FOUND) return r;  // no key: no entries at all
    if (rc != ERROR_SUCCESS) {
      r.error = static_cast<uint32_t>(rc);
      return r;
    }
    // A value of another type is still an entry that Windows tries to run.
    DWORD type = 0;
    std::string command;
    rc = ReadRegistryText(key.get(), Utf8ToWide(name), &type, &command);
    if (rc == ERROR_SUCCESS)
      r.command = std::move(command);
    else if (rc != ERROR_FILE_NOT_FOUND)
      r.error = static_cast<uint32_t>(rc);
    return r;
  }

  uint32_t Write(const std::string& name, const std::string& command) override {
    UniqueHKey key;
    LSTATUS rc = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
    const std::wstring wname = Utf8ToWide(name);
    const std::wstring wvalue = Utf8ToWide(command);
    rc = RegSetValueExW(key.get(), wname.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(wvalue.c_str()),
                        static_cast<DWORD>((wvalue.size() + 1) * sizeof(wchar_t)));
    return static_cast<uint32_t>(rc);
  }

  uint32_t Remove(const std::string& name) override {
    UniqueHKey key;
    LSTATUS rc = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, key.put());
    if (rc == ERROR_FILE_NOT_FOUND) return 0;
    if (rc != ERROR_SUCCESS) return static_cast<uint32_t>(rc);
    rc = RegDeleteValueW(key.get(), Utf8ToWide(name).c_str());
    return rc == ERROR_FILE_NOT_FOUND ? 0 : static_cast<uint32_t>(rc);
  }
};

}  // namespace

IStartupEntries& SystemStartupEntries() {
  static RunKeyEntries entries;
  return entries;
}
