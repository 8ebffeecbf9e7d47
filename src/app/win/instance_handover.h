#pragma once
// A second start with an iEPG file hands the file to the running program
// instead of being refused, so that a click in the browser reaches it.
//
// The running program publishes its main window and a random key in a
// named section that only its own user can open, in the session's own
// namespace ("Local\"), so only the same user in the same session learns
// them. The second start reads them, checks that the window belongs to a
// process of its own user and session, and sends one WM_COPYDATA with the
// key and the file's full path as UTF-16. The running program accepts it
// only with the key, and takes the path as untrusted input: a full local
// path of an existing regular file, within the iEPG size bound, with one
// of the iEPG extensions.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/win32/handle.h"

class CHandoverReceiver {
 public:
  CHandoverReceiver() = default;
  CHandoverReceiver(const CHandoverReceiver&) = delete;
  CHandoverReceiver& operator=(const CHandoverReceiver&) = delete;

  // Publishes window as the receiver; false when the section could not be
  // made or already existed (someone else made it first: nothing is handed
  // over then).
  bool Publish(HWND window);

  // A WM_COPYDATA that arrived: the handed path when the message is a
  // hand-over with the right key and the path is acceptable; "" otherwise
  // (why goes to *refusal, UTF-8, for the debug log).
  std::wstring Accept(const COPYDATASTRUCT& data, std::string* refusal) const;

 private:
  UniqueHandle section_;
  uint8_t key_[16] = {};
};

enum class HandoverResult {
  kHanded,      // the running program took the file
  kNoReceiver,  // no running program of this user and session could be found in time
  kRefused,     // it answered that it does not take this file
};

// Hands fullPath to the running program, waiting up to timeoutMs for it to
// publish its window (it may be starting itself). Lets it take the foreground.
HandoverResult HandOverIepgFile(const std::wstring& fullPath, DWORD timeoutMs);

// The checks the receiver makes on a handed path (also for files dropped on
// the window); "" when acceptable, else why not (UTF-8).
std::string CheckHandedPath(const std::wstring& path);
