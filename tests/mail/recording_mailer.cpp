// Stands in for the mailer in the Windows tests: while "<its own path>.hold"
// exists it waits (a mailer that does not end); then it records the
// arguments it receives as Shift-JIS, each ended by a zero byte, in
// "<its own path>.args" and its working folder (UTF-8) in "<its own
// path>.cwd", and
// fails (the status must not matter to the sender).
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// text in code page, the terminating zero included.
std::string Narrow(const wchar_t* text, UINT codePage) {
  const int len = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(len > 0 ? static_cast<size_t>(len) : 1, '\0');
  if (len > 0) WideCharToMultiByte(codePage, 0, text, -1, bytes.data(), len, nullptr, nullptr);
  return bytes;
}

// The file appears whole or not at all: a test that sees it reads it at once.
bool Write(const std::wstring& path, const std::string& bytes) {
  const std::wstring part = path + L".part";
  std::FILE* f = _wfopen(part.c_str(), L"wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !written) return false;
  return MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring self(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
  if (n == 0 || n >= self.size()) return 2;
  self.resize(n);
  while (GetFileAttributesW((self + L".hold").c_str()) != INVALID_FILE_ATTRIBUTES) Sleep(20);
  wchar_t cwd[MAX_PATH];
  const DWORD c = GetCurrentDirectoryW(MAX_PATH, cwd);
  std::string folder = c > 0 && c < MAX_PATH ? Narrow(cwd, CP_UTF8) : std::string(1, '\0');
  folder.pop_back();
  if (!Write(self + L".cwd", folder)) return 2;
  std::string record;
  for (int i = 1; i < argc; ++i) record += Narrow(argv[i], 932);
  return Write(self + L".args", record) ? 3 : 2;
}
