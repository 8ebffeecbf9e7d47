// Stands in for the user's recording program in the end-to-end tests: writes
// its arguments and its working directory, UTF-8, one per line, to
// "<its own path>.log" and ends.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& w) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring self(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
  if (n == 0 || n >= self.size()) return 2;
  self.resize(n);
  std::wstring cwd(32768, L'\0');
  const DWORD c = GetCurrentDirectoryW(static_cast<DWORD>(cwd.size()), cwd.data());
  cwd.resize(c < cwd.size() ? c : 0);

  // Written under another name first, so that a reader never sees half a record.
  const std::wstring part = self + L".log.part";
  std::FILE* f = _wfopen(part.c_str(), L"wb");
  if (f == nullptr) return 2;
  for (int i = 1; i < argc; ++i) std::fprintf(f, "arg=%s\n", Utf8(argv[i]).c_str());
  std::fprintf(f, "cwd=%s\n", Utf8(cwd).c_str());
  std::fclose(f);
  return MoveFileExW(part.c_str(), (self + L".log").c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 2;
}
