#include <windows.h>
#include <shellapi.h>

#include "platform/launcher.h"
#include "platform/win32/handle.h"
#include "platform/win32/last_error.h"
#include "platform/win32/text_win.h"

namespace {

// Quotes one argument by the rules that CommandLineToArgvW and the C runtime
// use to split a command line.
std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
    } else if (c == L'"') {
      out.append(backslashes * 2 + 1, L'\\');
      out.push_back(c);
      backslashes = 0;
    } else {
      out.append(backslashes, L'\\');
      out.push_back(c);
      backslashes = 0;
    }
  }
  out.append(backslashes * 2, L'\\');
  out.push_back(L'"');
  return out;
}

// A bare program name ("reg.exe") names the system's own program when there
// is one; anything else is left to CreateProcess's search (empty result).
std::wstring SystemProgram(const std::wstring& program) {
  if (program.find_first_of(L"\\/:") != std::wstring::npos) return program;
  wchar_t dir[MAX_PATH];
  const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::wstring();
  std::wstring full = std::wstring(dir, n) + L"\\" + program;
  return GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES ? full : std::wstring();
}

bool ShellOpenWith(const std::string& file, const std::string& parameters,
                   const std::string* directory, int show) {
  const std::wstring wfile = Utf8ToWide(file);
  const std::wstring wparams = Utf8ToWide(parameters);
  const std::wstring wdir = directory ? Utf8ToWide(*directory) : std::wstring();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOASYNC;
  info.lpVerb = L"open";
  info.lpFile = wfile.c_str();
  info.lpParameters = parameters.empty() ? nullptr : wparams.c_str();
  info.lpDirectory = wdir.empty() ? nullptr : wdir.c_str();
  info.nShow = show;
  return ShellExecuteExW(&info) != FALSE;
}

class WinLauncher final : public ILauncher {
 public:
  // log: where a program that cannot be started is written; none when null.
  explicit WinLauncher(CDebugLog* log = nullptr) : log_(log) {}

  bool ShellOpen(const std::string& file, const std::string& parameters) override {
    return ShellOpenWith(file, parameters, nullptr, SW_SHOWNORMAL);
  }
  bool ShellOpenIn(const std::string& file, const std::string& parameters,
                   const std::string& directory) override {
    return ShellOpenWith(file, parameters, &directory, SW_SHOW);
  }

  std::optional<int> RunAndWait(const std::string& program, const std::vector<std::string>& args,
                                unsigned timeoutMs) override {
    const std::wstring wprogram = Utf8ToWide(program);
    const std::wstring resolved = SystemProgram(wprogram);
    std::wstring cmd = QuoteArgument(resolved.empty() ? wprogram : resolved);
    for (const auto& a : args) cmd += L" " + QuoteArgument(Utf8ToWide(a));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const bool started =
        CreateProcessW(resolved.empty() ? nullptr : resolved.c_str(), cmd.data(), nullptr,
                       nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi) != FALSE;
    if (!started) {
      if (log_) LogIfFailed(false, *log_, "CreateProcessW");
      return std::nullopt;
    }
    UniqueHandle process(pi.hProcess);
    UniqueHandle thread(pi.hThread);
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process.get(), &code)) return std::nullopt;
    return static_cast<int>(code);
  }

 private:
  CDebugLog* log_;
};

}  // namespace

std::unique_ptr<ILauncher> MakeSystemLauncher(CDebugLog& log) {
  return std::make_unique<WinLauncher>(&log);
}

ILauncher& SystemLauncher() {
  static WinLauncher launcher;
  return launcher;
}
