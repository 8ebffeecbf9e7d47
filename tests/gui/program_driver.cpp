#include "program_driver.h"

#include <commctrl.h>

#include <cstdio>

#include "gui_driver.h"

namespace gui {

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L'\\'));
}

std::string ReadFileBytes(const std::wstring& path) {
  std::string out;
  if (FILE* f = _wfopen(path.c_str(), L"rb")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    fclose(f);
  }
  return out;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string WaitForFile(const std::wstring& path) {
  std::string bytes;
  WaitUntil([&] {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    bytes = ReadFileBytes(path);
    return true;
  });
  return bytes;
}

Program::~Program() {
  if (process_) {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) TerminateProcess(process_, 9);
    WaitForSingleObject(process_, 5000);
    CloseHandle(process_);
  }
}

bool Program::Start(const std::wstring& argument, const std::wstring& currentDir) {
  std::wstring cmd = L"\"" + folder_ + L"\\Nimbra.exe\" /dryrun";
  if (!argument.empty()) cmd += L" \"" + argument + L"\"";
  const std::wstring dir = currentDir.empty() ? folder_ : currentDir;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si,
                      &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  return true;
}

bool Program::CheckForMessageBox(const std::function<bool(HWND)>& match, HWND* matched) {
  HWND box = FindMessageBox(ProcessDialogs(pid_));
  if (!box) return false;
  // A box seen while it was still being filled in may match by now.
  if (match && match(box)) {
    *matched = box;
    return true;
  }
  const std::wstring text = MessageBoxText(box);
  // No text yet, or none any more: a box still being filled in, or one just
  // answered whose controls are going. Look again.
  if (text.empty()) return false;
  if (dismissPluginErrors_ && (text.find(L"LoadLibrary") != std::wstring::npos ||
                               text.find(L"ハンドルの取得に失敗しました") != std::wstring::npos)) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return false;
  }
  unexpected_ = text;
  return true;
}

HWND Program::WaitForFrame() {
  WaitUntil([&] {
    HWND ignored = nullptr;
    if (CheckForMessageBox(nullptr, &ignored)) return true;
    HWND frame = nullptr;
    while ((frame = FindWindowExW(nullptr, frame, L"NimbraMainFrame", nullptr))) {
      DWORD pid = 0;
      GetWindowThreadProcessId(frame, &pid);
      if (pid == pid_ && IsWindowVisible(frame)) {
        frame_ = frame;
        view_ = FindWindowExW(frame, nullptr, L"NimbraView", nullptr);
        list_ = FindWindowExW(view_, nullptr, WC_LISTVIEWW, nullptr);
        return true;
      }
    }
    return false;
  });
  return frame_;
}

HWND Program::WaitForDialog(const std::function<bool(HWND)>& match) {
  HWND found = nullptr;
  WaitUntil([&] {
    for (HWND h : ProcessDialogs(pid_)) {
      if (match(h)) {
        found = h;
        return true;
      }
    }
    return CheckForMessageBox(match, &found);
  });
  return found;
}

HWND Program::WaitForCaption(const std::wstring& caption) {
  return WaitForDialog([&](HWND h) { return WindowText(h) == caption; });
}

HWND Program::WaitForMessage(const std::wstring& text) {
  return WaitForDialog([&](HWND h) { return GetDlgItem(h, 0xFFFF) && MessageBoxText(h) == text; });
}

bool Program::WaitForRows(int n) {
  return WaitUntil([&] { return RemoteListCount(list_) == n; });
}

std::vector<std::wstring> Program::AnswerMessagesUntil(const std::function<bool()>& done,
                                                       bool* timedOut) {
  std::vector<std::wstring> seen;
  HWND last = nullptr;
  int polls = 0;
  *timedOut = !WaitUntil([&] {
    if (HWND box = FindMessageBox(ProcessDialogs(pid_))) {
      // A box takes a moment to go: each one is counted once, and asked
      // again now and then.
      if (box != last) seen.push_back(MessageBoxText(box));
      if (box != last || ++polls % 20 == 0) PostMessageW(box, WM_COMMAND, IDOK, 0);
      last = box;
      return false;
    }
    return done();
  });
  return seen;
}

int Program::Exit() {
  PostMessageW(frame_, WM_COMMAND, 57665 /* ID_APP_EXIT */, 0);
  const bool ended = WaitUntil([&] {
    if (HWND box = FindMessageBox(ProcessDialogs(pid_))) {
      const std::wstring text = MessageBoxText(box);
      if (text.find(L"終了しますか") != std::wstring::npos) {
        if (closeQuestions_.empty() || closeQuestions_.back() != text) closeQuestions_.push_back(text);
        PostMessageW(box, WM_COMMAND, IDYES, 0);
      } else if (dismissPluginErrors_) {
        HWND ignored = nullptr;
        CheckForMessageBox(nullptr, &ignored);
      }
    }
    return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
  });
  DWORD code = 0;
  if (!ended || !GetExitCodeProcess(process_, &code)) return -1;
  return static_cast<int>(code);
}

int Program::WaitForExit() {
  const bool ended = WaitUntil([&] {
    HWND ignored = nullptr;
    if (dismissPluginErrors_) CheckForMessageBox(nullptr, &ignored);
    return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
  });
  DWORD code = 0;
  if (!ended || !GetExitCodeProcess(process_, &code)) return -1;
  return static_cast<int>(code);
}

}  // namespace gui
