#include "notify/win32/dpapi_sealer.h"

#include <windows.h>
#include <dpapi.h>

namespace {

bool Run(bool protect, std::string_view in, std::string& out) {
  out.clear();
  DATA_BLOB input{static_cast<DWORD>(in.size()),
                  reinterpret_cast<BYTE*>(const_cast<char*>(in.data()))};
  DATA_BLOB output{};
  const BOOL ok = protect ? CryptProtectData(&input, L"Nimbra", nullptr, nullptr, nullptr,
                                             CRYPTPROTECT_UI_FORBIDDEN, &output)
                          : CryptUnprotectData(&input, nullptr, nullptr, nullptr, nullptr,
                                               CRYPTPROTECT_UI_FORBIDDEN, &output);
  if (!ok) return false;
  out.assign(reinterpret_cast<const char*>(output.pbData), output.cbData);
  SecureZeroMemory(output.pbData, output.cbData);
  LocalFree(output.pbData);
  return true;
}

}  // namespace

bool CDpapiSealer::Seal(std::string_view plain, std::string& sealed) {
  return Run(true, plain, sealed);
}

bool CDpapiSealer::Unseal(std::string_view sealed, std::string& plain) {
  return Run(false, sealed, plain);
}
