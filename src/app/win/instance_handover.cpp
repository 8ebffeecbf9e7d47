#include "app/win/instance_handover.h"

#include <sddl.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

#include "platform/text.h"
#include "platform/win32/text_win.h"
#include "schedule/app_settings.h"

namespace {

// dwData of a hand-over message ("NIMB").
constexpr ULONG_PTR kHandoverTag = 0x4E494D42;
// A week of programmes in one file is tens of kilobytes.
constexpr ULONGLONG kHandedFileMaxBytes = 1u << 20;
constexpr size_t kPathMaxChars = 32767;
constexpr wchar_t kFrameClass[] = L"NimbraMainFrame";

// What the section holds.
struct Published {
  uint64_t window;
  uint8_t key[16];
};

// What the message carries before the path's characters.
struct MessageHead {
  uint8_t key[16];
  uint32_t pathChars;
};

struct LocalFreer {
  void operator()(void* p) const { LocalFree(p); }
};

// The user SID of a process (this one when process is nullptr) as text, and
// its session; false when they cannot be read.
bool ProcessIdentity(HANDLE process, std::wstring* sid, DWORD* session) {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(process ? process : GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
  UniqueHandle token(raw);
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return false;
  std::vector<uint8_t> buffer(size);
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return false;
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
    return false;
  std::unique_ptr<wchar_t, LocalFreer> owned(text);
  *sid = text;
  DWORD length = 0;
  return GetTokenInformation(token.get(), TokenSessionId, session, sizeof *session, &length) != 0;
}

// The section's name: per session through "Local\", per user through the SID.
std::wstring SectionName(const std::wstring& sid) { return L"Local\\Nimbra.Handover." + sid; }

bool FillRandom(uint8_t* bytes, size_t n) {
  // RtlGenRandom, exported by advapi32 as SystemFunction036.
  using GenRandom = BOOLEAN(WINAPI*)(PVOID, ULONG);
  HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
  if (!advapi) return false;
  auto proc = reinterpret_cast<GenRandom>(
      reinterpret_cast<void (*)(void)>(GetProcAddress(advapi, "SystemFunction036")));
  return proc && proc(bytes, static_cast<ULONG>(n));
}

// Whether window is a main window of this program in a process of the same
// user and session as this one.
bool IsOwnReceiver(HWND window, const std::wstring& sid, DWORD session) {
  if (!IsWindow(window)) return false;
  wchar_t cls[64] = {};
  if (!GetClassNameW(window, cls, 64) || std::wcscmp(cls, kFrameClass) != 0) return false;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == 0 || pid == GetCurrentProcessId()) return false;
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) return false;
  std::wstring otherSid;
  DWORD otherSession = 0;
  return ProcessIdentity(process.get(), &otherSid, &otherSession) && otherSid == sid &&
         otherSession == session;
}

bool ReadPublished(const std::wstring& sid, Published* out) {
  UniqueHandle section(OpenFileMappingW(FILE_MAP_READ, FALSE, SectionName(sid).c_str()));
  if (!section) return false;
  void* view = MapViewOfFile(section.get(), FILE_MAP_READ, 0, 0, sizeof(Published));
  if (!view) return false;
  std::memcpy(out, view, sizeof *out);
  UnmapViewOfFile(view);
  return out->window != 0;
}

}  // namespace

std::string CheckHandedPath(const std::wstring& path) {
  if (path.empty() || path.size() > kPathMaxChars || path.find(L'\0') != std::wstring::npos)
    return "not a path";
  // A full path of a drive or a share; never relative to the receiver's
  // folder, never a device.
  const bool drive = path.size() > 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
  const bool share = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' &&
                     path[2] != L'.';
  if (!drive && !share) return "not a full path";
  const std::string utf8 = WideToUtf8(path);
  bool iepg = false;
  for (int i = 0; const char* ext = GetExtName(i); ++i)
    iepg = iepg || EndsWithIgnoringAsciiCase(utf8, ext);
  if (!iepg) return "not an iEPG extension";
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) return "no such file";
  if (attributes.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
    return "not a regular file";
  const ULONGLONG size =
      (static_cast<ULONGLONG>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
  if (size > kHandedFileMaxBytes) return "larger than an iEPG file can be";
  return "";
}

bool CHandoverReceiver::Publish(HWND window) {
  std::wstring sid;
  DWORD session = 0;
  if (!ProcessIdentity(nullptr, &sid, &session) || !FillRandom(key_, sizeof key_)) return false;
  // Only this user may open it.
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const std::wstring sddl = L"D:P(A;;GA;;;" + sid + L")";
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return false;
  std::unique_ptr<void, LocalFreer> ownedDescriptor(descriptor);
  SECURITY_ATTRIBUTES security{static_cast<DWORD>(sizeof(SECURITY_ATTRIBUTES)), descriptor, FALSE};
  UniqueHandle section(CreateFileMappingW(INVALID_HANDLE_VALUE, &security, PAGE_READWRITE, 0,
                                          sizeof(Published), SectionName(sid).c_str()));
  if (!section || GetLastError() == ERROR_ALREADY_EXISTS) return false;
  void* view = MapViewOfFile(section.get(), FILE_MAP_WRITE, 0, 0, sizeof(Published));
  if (!view) return false;
  Published published{};
  published.window = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(window));
  std::memcpy(published.key, key_, sizeof key_);
  std::memcpy(view, &published, sizeof published);
  UnmapViewOfFile(view);
  section_ = std::move(section);
  return true;
}

std::wstring CHandoverReceiver::Accept(const COPYDATASTRUCT& data, std::string* refusal) const {
  refusal->clear();
  if (!section_ || data.dwData != kHandoverTag || !data.lpData || data.cbData < sizeof(MessageHead)) {
    *refusal = "not a hand-over";
    return L"";
  }
  MessageHead head;
  std::memcpy(&head, data.lpData, sizeof head);
  // The key is compared whole, whatever byte differs first.
  uint8_t differs = 0;
  for (size_t i = 0; i < sizeof key_; ++i) differs |= static_cast<uint8_t>(head.key[i] ^ key_[i]);
  if (differs != 0) {
    *refusal = "wrong key";
    return L"";
  }
  if (head.pathChars > kPathMaxChars ||
      data.cbData != sizeof head + head.pathChars * sizeof(wchar_t)) {
    *refusal = "bad length";
    return L"";
  }
  std::wstring path(head.pathChars, L'\0');
  std::memcpy(&path[0], static_cast<const uint8_t*>(data.lpData) + sizeof head,
              head.pathChars * sizeof(wchar_t));
  *refusal = CheckHandedPath(path);
  return refusal->empty() ? path : L"";
}

HandoverResult HandOverIepgFile(const std::wstring& fullPath, DWORD timeoutMs) {
  std::wstring sid;
  DWORD session = 0;
  if (!ProcessIdentity(nullptr, &sid, &session)) return HandoverResult::kNoReceiver;
  std::vector<uint8_t> message(sizeof(MessageHead) + fullPath.size() * sizeof(wchar_t));
  MessageHead head{};
  head.pathChars = static_cast<uint32_t>(fullPath.size());

  // The running program may be starting itself: wait for its window.
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    Published published{};
    HWND window = nullptr;
    if (ReadPublished(sid, &published)) {
      window = reinterpret_cast<HWND>(static_cast<uintptr_t>(published.window));
      if (!IsOwnReceiver(window, sid, session)) window = nullptr;
    }
    if (window) {
      std::memcpy(head.key, published.key, sizeof head.key);
      std::memcpy(message.data(), &head, sizeof head);
      if (!fullPath.empty())
        std::memcpy(message.data() + sizeof head, fullPath.data(), fullPath.size() * sizeof(wchar_t));
      COPYDATASTRUCT data{kHandoverTag, static_cast<DWORD>(message.size()), message.data()};
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      AllowSetForegroundWindow(pid);
      DWORD_PTR answer = 0;
      if (SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                              SMTO_ABORTIFHUNG | SMTO_BLOCK, 10000, &answer)) {
        return answer ? HandoverResult::kHanded : HandoverResult::kRefused;
      }
    }
    if (GetTickCount64() >= deadline) return HandoverResult::kNoReceiver;
    Sleep(100);
  }
}
