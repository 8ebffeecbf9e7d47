// Stands in for the mailer in the Windows tests: records the arguments it
// receives as Shift-JIS, each ended by a zero byte, in "<its own path>.args",
// and fails (the status must not matter to the sender).
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  std::wstring self(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
  if (n == 0 || n >= self.size()) return 2;
  self.resize(n);
  std::FILE* f = _wfopen((self + L".args").c_str(), L"wb");
  if (f == nullptr) return 2;
  for (int i = 1; i < argc; ++i) {
    const int len = WideCharToMultiByte(932, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(len > 0 ? static_cast<size_t>(len) : 1, '\0');
    if (len > 0) WideCharToMultiByte(932, 0, argv[i], -1, bytes.data(), len, nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);  // the terminating zero included
  }
  std::fclose(f);
  return 3;
}
