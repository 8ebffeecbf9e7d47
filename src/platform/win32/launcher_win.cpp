#include <windows.h>
#include <shellapi.h>

#include "platform/launcher.h"
#include "platform/program_path.h"
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
    const ProgramRun run =
        Start(resolved, resolved.empty() ? wprogram : resolved, args, std::wstring(), timeoutMs);
    if (run.outcome != ProgramRun::Outcome::kEnded) return std::nullopt;
    return run.exitCode;
  }

  ProgramRun RunInAndWait(const std::string& program, const std::vector<std::string>& args,
                          const std::string& directory, unsigned timeoutMs) override {
    const std::wstring wprogram = Utf8ToWide(program);
    std::wstring wdir = Utf8ToWide(directory);
    if (wdir.size() == 2 && wdir[1] == L':') wdir += L'\\';  // "C:" alone is a drive's current folder
    return Start(wprogram, wprogram, args, wdir, timeoutMs);
  }

 private:
  // Starts application (empty: the first word of the command line, searched
  // for) with the command line made of name and args, in directory (empty:
  // ours). A program that does not end within timeoutMs is left running.
  ProgramRun Start(const std::wstring& application, const std::wstring& name,
                   const std::vector<std::string>& args, const std::wstring& directory,
                   unsigned timeoutMs) {
    std::wstring cmd = QuoteArgument(name);
    for (const auto& a : args) cmd += L" " + QuoteArgument(Utf8ToWide(a));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const bool started =
        CreateProcessW(application.empty() ? nullptr : application.c_str(), cmd.data(), nullptr,
                       nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       directory.empty() ? nullptr : directory.c_str(), &si, &pi) != FALSE;
    if (!started) {
      if (log_) LogIfFailed(false, *log_, "CreateProcessW");
      return ProgramRun{};
    }
    UniqueHandle process(pi.hProcess);
    UniqueHandle thread(pi.hThread);
    const DWORD waited = WaitForSingleObject(process.get(), timeoutMs);
    if (waited == WAIT_TIMEOUT) return ProgramRun{ProgramRun::Outcome::kStillRunning, 0};
    DWORD code = 0;
    if (waited != WAIT_OBJECT_0 || !GetExitCodeProcess(process.get(), &code)) {
      if (log_) LogIfFailed(false, *log_, "WaitForSingleObject");
      return ProgramRun{ProgramRun::Outcome::kStillRunning, 0};
    }
    return ProgramRun{ProgramRun::Outcome::kEnded, static_cast<int>(code)};
  }

  CDebugLog* log_;
};

}  // namespace

ProgramFileCheck CheckProgramFile(const std::string& path) {
  if (!IsFullPath(path)) return ProgramFileCheck::kNotFullPath;
  const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return ProgramFileCheck::kMissing;
  return IsCommandScriptName(path) ? ProgramFileCheck::kCommandScript : ProgramFileCheck::kOk;
}

std::unique_ptr<ILauncher> MakeSystemLauncher(CDebugLog& log) {
  return std::make_unique<WinLauncher>(&log);
}

ILauncher& SystemLauncher() {
  static WinLauncher launcher;
  return launcher;
}
