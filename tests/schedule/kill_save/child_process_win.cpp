#include <windows.h>

#include "kill_save/child_process.h"
#include "platform/win32/text_win.h"

bool ChildProcess::Start(const std::string& arg1, const std::string& arg2) {
  wchar_t self[MAX_PATH];
  if (GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return false;
  std::wstring line = L"\"" + std::wstring(self) + L"\" \"" + Utf8ToWide(arg1) + L"\" \"" +
                      Utf8ToWide(arg2) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // Wine on a loaded machine now and then fails to create a process at all
  // (seen once in ten loaded runs of the Windows suite). That is not what the
  // kill tests check, so a failed start is tried again a few times.
  bool started = false;
  for (int attempt = 1; attempt <= 5 && !started; ++attempt) {
    started = CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                             &pi) != FALSE;
    if (!started) {
      lastError_ = GetLastError();
      Sleep(100 * attempt);
    }
  }
  if (!started) return false;
  CloseHandle(pi.hThread);
  handle_ = pi.hProcess;
  return true;
}

void ChildProcess::Kill() {
  TerminateProcess(static_cast<HANDLE>(handle_), 9);
  WaitForSingleObject(static_cast<HANDLE>(handle_), INFINITE);
  CloseHandle(static_cast<HANDLE>(handle_));
  handle_ = nullptr;
}

void SleepMicroseconds(unsigned us) { Sleep(us / 1000); }
