#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sddl.h>

#include <vector>

#include "platform/private_file.h"
#include "platform/win32/handle.h"
#include "platform/win32/text_win.h"

namespace {

void FreeLocal(PSECURITY_DESCRIPTOR p) { LocalFree(p); }
using UniqueSecurityDescriptor =
    UniqueAny<PSECURITY_DESCRIPTOR, ReleasedBy<PSECURITY_DESCRIPTOR, &FreeLocal>>;

// A descriptor that lets only the running user and the system at the file;
// empty when the user cannot be found out.
UniqueSecurityDescriptor OwnerOnlyDescriptor() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
  UniqueHandle token(raw);
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
  wchar_t* sid = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid))
    return {};
  const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(sid) + L")(A;;FA;;;SY)";
  LocalFree(sid);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return {};
  return UniqueSecurityDescriptor(descriptor);
}

}  // namespace

std::FILE* OpenPrivateFileForWriting(const std::string& path) {
  const UniqueSecurityDescriptor descriptor = OwnerOnlyDescriptor();
  SECURITY_ATTRIBUTES security{sizeof security, descriptor.get(), FALSE};
  // The link itself is opened, not what it points to, so that it can be told
  // apart and refused.
  const HANDLE h = CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                               descriptor ? &security : nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  UniqueHandle file(h);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0 ||
      info.nNumberOfLinks != 1 || !SetEndOfFile(file.get()))
    return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_WRONLY | _O_BINARY);
  if (fd == -1) return nullptr;
  file.release();  // the descriptor owns the handle now
  std::FILE* f = _fdopen(fd, "wb");
  if (f == nullptr) _close(fd);
  return f;
}
