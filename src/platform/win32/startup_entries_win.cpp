// The user's Run key behind IStartupEntries.
#include <windows.h>

#include <vector>

#include "platform/startup_entries.h"
#include "platform/win32/handle.h"
#include "platform/win32/registry_value.h"
#include "platform/win32/system_cause_win.h"
#include "platform/win32/text_win.h"

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class RunKeyEntries final : public IStartupEntries {
 public:
  explicit RunKeyEntries(CDebugLog& log) : log_(log) {}

  StartupReading Read(const std::string& name) override {
    StartupReading r;
    UniqueHKey key;
    LSTATUS rc = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, key.put());
    if (rc == ERROR_FILE_NOT_FOUND) return r;  // no key: no entries at all
    if (rc != ERROR_SUCCESS) {
      r.cause = Logged("RegOpenKeyExW(Run)", rc);
      return r;
    }
    // A value of another type is still an entry that Windows tries to run.
    DWORD type = 0;
    std::string command;
    rc = ReadRegistryText(key.get(), Utf8ToWide(name), &type, &command);
    if (rc == ERROR_SUCCESS)
      r.command = std::move(command);
    else if (rc != ERROR_FILE_NOT_FOUND)
      r.cause = Logged("RegQueryValueExW(Run)", rc);
    return r;
  }

  SystemCause Write(const std::string& name, const std::string& command) override {
    UniqueHKey key;
    LSTATUS rc = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (rc != ERROR_SUCCESS) return Logged("RegCreateKeyExW(Run)", rc);
    const std::wstring wname = Utf8ToWide(name);
    const std::wstring wvalue = Utf8ToWide(command);
    rc = RegSetValueExW(key.get(), wname.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(wvalue.c_str()),
                        static_cast<DWORD>((wvalue.size() + 1) * sizeof(wchar_t)));
    return Logged("RegSetValueExW(Run)", rc);
  }

  SystemCause Remove(const std::string& name) override {
    UniqueHKey key;
    LSTATUS rc = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, key.put());
    if (rc == ERROR_FILE_NOT_FOUND) return SystemCause::kNone;
    if (rc != ERROR_SUCCESS) return Logged("RegOpenKeyExW(Run)", rc);
    rc = RegDeleteValueW(key.get(), Utf8ToWide(name).c_str());
    return rc == ERROR_FILE_NOT_FOUND ? SystemCause::kNone : Logged("RegDeleteValueW(Run)", rc);
  }

 private:
  SystemCause Logged(const char* call, LSTATUS rc) {
    return LogSystemCause(log_, call, static_cast<DWORD>(rc));
  }

  CDebugLog& log_;
};

}  // namespace

std::unique_ptr<IStartupEntries> MakeSystemStartupEntries(CDebugLog& log) {
  return std::make_unique<RunKeyEntries>(log);
}
