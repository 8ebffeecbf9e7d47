#include "notify/win32/curl_mailer.h"

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "notify/curl_mail.h"
#include "platform/debug_log.h"
#include "platform/win32/handle.h"
#include "platform/win32/last_error.h"
#include "platform/win32/text_win.h"

const char* const kNoSystemCurlText = "このWindowsには curl.exe がないため、メールは送れません。";

namespace {

// Extra time curl gets beyond its own total time-out before it is ended.
constexpr DWORD kKillGraceMs = 5000;

// A security descriptor that lets only the current user in; freed with it.
class COwnerOnly {
 public:
  COwnerOnly() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    UniqueHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return;
    wchar_t* sid = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid))
      return;
    // Protected (not inherited), full control for this user only.
    const std::wstring sddl = L"D:P(A;OICI;FA;;;" + std::wstring(sid) + L")";
    LocalFree(sid);
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                         &descriptor_, nullptr);
  }
  ~COwnerOnly() {
    if (descriptor_) LocalFree(descriptor_);
  }
  COwnerOnly(const COwnerOnly&) = delete;
  COwnerOnly& operator=(const COwnerOnly&) = delete;
  // Null when the descriptor could not be made.
  SECURITY_ATTRIBUTES* Attributes() {
    if (!descriptor_) return nullptr;
    attributes_ = SECURITY_ATTRIBUTES{sizeof attributes_, descriptor_, FALSE};
    return &attributes_;
  }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

std::wstring DefaultMessageFolder() {
  wchar_t buf[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return L"";
  return std::wstring(buf, n) + L"\\Nimbra";
}

// Removes the message file when the send is over, whatever happened.
class CRemovedAfter {
 public:
  CRemovedAfter(std::wstring path, CDebugLog& log) : path_(std::move(path)), log_(log) {}
  ~CRemovedAfter() { LogIfFailed(DeleteFileW(path_.c_str()) != FALSE, log_, "DeleteFileW"); }
  CRemovedAfter(const CRemovedAfter&) = delete;
  CRemovedAfter& operator=(const CRemovedAfter&) = delete;

 private:
  std::wstring path_;
  CDebugLog& log_;
};

bool WriteWhole(HANDLE file, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD wrote = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    if (!WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
    done += wrote;
  }
  return true;
}

bool IsAscii(const std::wstring& text) {
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}

// The path as every curl build opens it. A Windows user's folder may hold
// Japanese characters, and whether curl takes its configuration's path as
// UTF-8 or in the system's code page depends on how it was built; the short
// (8.3) form, where the volume keeps one, is plain ASCII.
std::wstring PortablePath(const std::wstring& path) {
  if (IsAscii(path)) return path;
  const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (size == 0) return path;
  std::wstring shortPath(size, L'\0');
  const DWORD n = GetShortPathNameW(path.c_str(), shortPath.data(), size);
  if (n == 0 || n >= size) return path;
  shortPath.resize(n);
  return IsAscii(shortPath) ? shortPath : path;
}

}  // namespace

std::string FindSystemCurl() {
  wchar_t dir[MAX_PATH];
  const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "";
  const std::wstring path = std::wstring(dir, n) + L"\\curl.exe";
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return "";
  return WideToUtf8(path);
}

CCurlMailer::CCurlMailer(CDebugLog& log, std::string curlPath, std::string messageFolder)
    : log_(log), curlPath_(std::move(curlPath)), messageFolder_(std::move(messageFolder)) {}

PostOutcome CCurlMailer::Send(const MailAccount& account, const std::string& message,
                              const PostLimits& limits) {
  const std::string curl = curlPath_.empty() ? FindSystemCurl() : curlPath_;
  if (curl.empty()) return PostOutcome{false, 0, kNoSystemCurlText};

  // The message goes to a file only this user can open.
  COwnerOnly ownerOnly;
  SECURITY_ATTRIBUTES* const secured = ownerOnly.Attributes();
  if (!secured) {
    LogIfFailed(false, log_, "ConvertStringSecurityDescriptorToSecurityDescriptorW");
    return PostOutcome{false, 0, "メールを書き出す場所を用意できませんでした"};
  }
  const std::wstring folder =
      messageFolder_.empty() ? DefaultMessageFolder() : Utf8ToWide(messageFolder_);
  if (folder.empty() || (!CreateDirectoryW(folder.c_str(), secured) &&
                         GetLastError() != ERROR_ALREADY_EXISTS)) {
    LogIfFailed(false, log_, "CreateDirectoryW");
    return PostOutcome{false, 0, "メールを書き出すフォルダーを作れませんでした"};
  }
  static std::atomic<unsigned> serial{0};
  const std::wstring path = folder + L"\\mail-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                            std::to_wstring(GetTickCount64()) + L"-" +
                            std::to_wstring(++serial) + L".eml";
  {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, secured, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
      file.release();
      LogIfFailed(false, log_, "CreateFileW");
      return PostOutcome{false, 0, "メールを書き出せませんでした"};
    }
    if (!WriteWhole(file.get(), message)) {
      LogIfFailed(false, log_, "WriteFile");
      file.reset();
      DeleteFileW(path.c_str());
      return PostOutcome{false, 0, "メールを書き出せませんでした"};
    }
  }
  const CRemovedAfter removed(path, log_);

  CurlMailOptions options;
  options.message_path = WideToUtf8(PortablePath(path));
  options.connect_ms = limits.connect_ms;
  options.total_ms = limits.total_ms;
  const std::string config = BuildCurlMailConfig(account, options);

  // curl reads its configuration from one pipe and writes its errors to
  // another; only the child's ends are inherited.
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr;
  if (!CreatePipe(&inRead, &inWrite, &inherited, 1 << 16)) {
    LogIfFailed(false, log_, "CreatePipe");
    return PostOutcome{false, 0, "curl を起動できませんでした"};
  }
  UniqueHandle childIn(inRead), configPipe(inWrite);
  if (!CreatePipe(&outRead, &outWrite, &inherited, 1 << 16)) {
    LogIfFailed(false, log_, "CreatePipe");
    return PostOutcome{false, 0, "curl を起動できませんでした"};
  }
  UniqueHandle errorPipe(outRead), childOut(outWrite);
  SetHandleInformation(configPipe.get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errorPipe.get(), HANDLE_FLAG_INHERIT, 0);

  const std::wstring application = Utf8ToWide(curl);
  std::wstring commandLine = L"\"" + application + L"\" -K -";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = childIn.get();
  si.hStdOutput = childOut.get();
  si.hStdError = childOut.get();
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                      CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
    LogIfFailed(false, log_, "CreateProcessW");
    return PostOutcome{false, 0, "curl を起動できませんでした"};
  }
  UniqueHandle process(pi.hProcess), thread(pi.hThread);
  childIn.reset();
  childOut.reset();

  // Its output is read while it runs, so that it never waits on a full pipe.
  std::string output;
  std::thread reader([&output, pipe = errorPipe.get()] {
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(pipe, buf, sizeof buf, &got, nullptr) && got > 0) {
      if (output.size() < (1 << 16)) output.append(buf, got);
    }
  });
  DWORD wrote = 0;
  LogIfFailed(WriteFile(configPipe.get(), config.data(), static_cast<DWORD>(config.size()),
                        &wrote, nullptr) != FALSE,
              log_, "WriteFile");
  configPipe.reset();

  bool killed = false;
  if (WaitForSingleObject(process.get(), limits.total_ms + kKillGraceMs) != WAIT_OBJECT_0) {
    killed = true;
    LogIfFailed(TerminateProcess(process.get(), 1) != FALSE, log_, "TerminateProcess");
    WaitForSingleObject(process.get(), kKillGraceMs);
  }
  reader.join();
  DWORD code = 1;
  LogIfFailed(GetExitCodeProcess(process.get(), &code) != FALSE, log_, "GetExitCodeProcess");
  if (killed) return PostOutcome{false, 28, CurlExitText(28, "")};
  if (code == 0) return PostOutcome{true, 0, "メールサーバーが受け取りました"};
  return PostOutcome{false, static_cast<int>(code),
                     CurlExitText(static_cast<int>(code), CurlErrorMessage(output))};
}
