#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include "platform/debug_log.h"
#include "platform/program_path.h"
#include "platform/win32/handle.h"
#include "platform/win32/text_win.h"

std::string CDebugLog::DefaultPath() { return "C:\\TEMP\\dbg_print.log"; }

namespace {

bool IsReparsePoint(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

std::FILE* OpenLogForAppend(const std::string& path) {
  const std::wstring folder = Utf8ToWide(DirectoryOf(path));
  if (!folder.empty()) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || IsReparsePoint(attributes)) return nullptr;
  }
  // The file itself is opened as what it is, never followed: a link there
  // shows as a reparse point and is refused below.
  const HANDLE opened =
      CreateFileW(Utf8ToWide(path).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return nullptr;
  UniqueHandle file(opened);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info) || IsReparsePoint(info.dwFileAttributes) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || info.nNumberOfLinks > 1)
    return nullptr;
  const int fd =
      _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_WRONLY | _O_APPEND | _O_TEXT);
  if (fd == -1) return nullptr;
  (void)file.release();  // the C runtime owns it now
  std::FILE* f = _fdopen(fd, "a");
  if (!f) _close(fd);
  return f;
}
