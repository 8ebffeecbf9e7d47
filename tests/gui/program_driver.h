#pragma once
// The real Nimbra.exe in a scratch folder of its own, started and driven
// from the test process the way a user would, through its windows. It is
// always started as a dry run (/dryrun): its power steps go to
// Nimbra-dryrun.log beside it, so a schedule's end never puts the machine to
// sleep.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/wait.h"

namespace gui {

// The folder of the running test, where the built programs lie.
std::wstring ExeFolder();
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// True when this process runs under Wine (whose registry is the throwaway
// prefix's, never a real machine's).
bool RunningUnderWine();

// Polls for a file that another process writes; its bytes, or "" after the
// time limit.
std::string WaitForFile(const std::wstring& path);

class Program {
 public:
  explicit Program(std::wstring folder) : folder_(std::move(folder)) {}
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Starts Nimbra.exe of the folder as a dry run with an optional argument,
  // in currentDir (by default its own folder).
  bool Start(const std::wstring& argument = L"", const std::wstring& currentDir = L"");
  // Without its plug-in beside it the program says so at start and at every
  // schedule's end; a test that runs it so closes those boxes as they come.
  void DismissPluginLoadErrors() { dismissPluginErrors_ = true; }

  HWND WaitForFrame();
  // The first dialog (or message box) of the program that matches. Any other
  // message box ends the wait at once (see Unexpected).
  HWND WaitForDialog(const std::function<bool(HWND)>& match);
  HWND WaitForCaption(const std::wstring& caption);
  HWND WaitForMessage(const std::wstring& text);
  bool WaitForRows(int n);
  // The text of a message box that showed up while waiting for something else.
  const std::wstring& Unexpected() const { return unexpected_; }
  // Closes every message box (OK) until done() holds; the texts seen, in
  // order. False in *timedOut when done() never held.
  std::vector<std::wstring> AnswerMessagesUntil(const std::function<bool()>& done, bool* timedOut);
  // Ends the program the way its menu does, answering Yes when it asks
  // first (a schedule lies ahead); its exit code, or -1.
  int Exit();
  // The questions Exit answered, in order.
  const std::vector<std::wstring>& CloseQuestions() const { return closeQuestions_; }
  int WaitForExit();

  HWND Frame() const { return frame_; }
  HWND View() const { return view_; }
  HWND List() const { return list_; }
  DWORD Pid() const { return pid_; }

 private:
  // A message box nobody waits for: closed when it is a tolerated plug-in
  // load error, otherwise recorded as unexpected. True when the wait must end.
  bool CheckForMessageBox(const std::function<bool(HWND)>& match, HWND* matched);

  std::wstring folder_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND frame_ = nullptr;
  HWND view_ = nullptr;
  HWND list_ = nullptr;
  bool dismissPluginErrors_ = false;
  std::wstring unexpected_;
  std::vector<std::wstring> closeQuestions_;
};

}  // namespace gui
