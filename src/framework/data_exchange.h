#pragma once
// Explicit data exchange between a dialog's controls and its members: one
// object per direction, one call per control. A failed check on the way out
// shows its message, puts the focus on the control and marks the exchange
// failed; later calls then do nothing.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "framework/window.h"

enum class TextCoding {
  kSjis,       // the product's own data (titles): code page 932, best fit
  kSjisExact,  // paths and addresses kept in Shift-JIS: a character without a
              // Shift-JIS form of its own is refused, never changed
};

class CDataExchange {
 public:
  CDataExchange(CWindow& window, bool save) : window_(window), save_(save) {}

  bool IsSaving() const { return save_; }
  bool Failed() const { return failed_; }

  // A text box and a byte string of at most maxBytes bytes in the given
  // coding. Loading also limits the box to maxBytes characters.
  void Text(int id, std::string& value, size_t maxBytes, TextCoding coding);
  // A text box whose text is checked elsewhere: the text as it stands, in
  // UTF-8.
  void RawText(int id, std::string& value);
  // A check box and an int: 1 checked, 0 clear (an indeterminate box gives 2).
  void Check(int id, int32_t& value);
  // A check box and a plain flag.
  void Check(int id, bool& value);
  // A switch kept as a number: any non-zero number shows checked, and a box
  // still checked keeps the number it had (1 when it was 0).
  void Switch(int id, int32_t& value);
  // A group of radio buttons, ids in order, and the index of the checked one:
  // -1 (none) or an index outside the group checks none; none checked gives -1.
  void Radio(std::initializer_list<int> ids, int& index);
  // A combo box's selection: -1 for none.
  void ComboIndex(int id, int& index);
  // A check made elsewhere, which has told the user, refused the control's
  // value: the exchange fails with the control focused and selected.
  void Refuse(int id);

 private:
  void Fail(int id, const std::wstring& message);
  CWindow& window_;
  bool save_;
  bool failed_ = false;
};
