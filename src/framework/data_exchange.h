#pragma once
// Explicit data exchange between a dialog's controls and its members: one
// object per direction, one call per control. A failed check on the way out
// shows its message, puts the focus on the control and marks the exchange
// failed; later calls then do nothing.
#include <windows.h>

#include <string>

enum class TextCoding {
  Sjis,  // the product's own data (titles): code page 932
  Ansi,  // paths: the system's code page
};

class CDataExchange {
 public:
  CDataExchange(HWND dialog, bool save) : dialog_(dialog), save_(save) {}

  bool IsSaving() const { return save_; }
  bool Failed() const { return failed_; }

  // A text box and a byte string of at most maxBytes bytes in the given
  // coding. Loading also limits the box to maxBytes characters.
  void Text(int id, std::string& value, size_t maxBytes, TextCoding coding);
  // A check box and an int: 1 checked, 0 clear (an indeterminate box gives 2).
  void Check(int id, int& value);

 private:
  void Fail(int id, const std::wstring& message);
  HWND dialog_;
  bool save_;
  bool failed_ = false;
};

// The whole text of a window as UTF-16.
std::wstring GetWindowTextWide(HWND hwnd);
