#include <windows.h>
// RtlGenRandom; after windows.h.
#include <ntsecapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/file.h"
#include "platform/win32/text_win.h"

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return _wfopen(Utf8ToWide(path).c_str(), Utf8ToWide(mode).c_str());
}

bool FileExists(const std::string& path) {
  return GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveFile(const std::string& path) { return DeleteFileW(Utf8ToWide(path).c_str()) != 0; }

std::string TempDirectory() {
  wchar_t buf[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  std::wstring d(buf, n);
  while (d.size() > 3 && (d.back() == L'\\' || d.back() == L'/')) d.pop_back();
  return WideToUtf8(d);
}

bool FlushFileToDisk(std::FILE* f) {
  const auto h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
  return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h) != 0;
}

// Replaces target in one step, through to the disk.
bool ReplaceFileWith(const std::string& tmp, const std::string& target) {
  return MoveFileExW(Utf8ToWide(tmp).c_str(), Utf8ToWide(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::FILE* CreateNewFile(const std::string& path) {
  // CREATE_NEW fails on any existing name, a link included, and never
  // follows it.
  HANDLE h = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    return nullptr;
  }
  std::FILE* f = _fdopen(fd, "wb");
  if (!f) _close(fd);  // closes the handle too
  return f;
}

bool SystemRandomBytes(unsigned char* out, size_t n) {
  return RtlGenRandom(out, static_cast<ULONG>(n)) != FALSE;
}
