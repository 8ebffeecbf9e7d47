#include "framework/data_exchange.h"

#include "framework/message_box.h"
#include "platform/win32/text_win.h"

std::wstring GetWindowTextWide(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  if (n <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

void CDataExchange::Text(int id, std::string& value, size_t maxBytes, TextCoding coding) {
  if (failed_) return;
  HWND ctl = GetDlgItem(dialog_, id);
  if (!ctl) return;
  if (!save_) {
    SendMessageW(ctl, EM_LIMITTEXT, maxBytes, 0);
    const std::wstring w = coding == TextCoding::Sjis ? SjisToWide(value) : AnsiToWide(value);
    SetWindowTextW(ctl, w.c_str());
    return;
  }
  const std::wstring w = GetWindowTextWide(ctl);
  std::string bytes = coding == TextCoding::Sjis ? WideToSjis(w) : WideToAnsi(w);
  if (bytes.size() > maxBytes) {
    Fail(id, std::to_wstring(maxBytes) + L" 文字(半角)以内で入力してください。");
    return;
  }
  value = std::move(bytes);
}

void CDataExchange::Check(int id, int& value) {
  if (failed_) return;
  HWND ctl = GetDlgItem(dialog_, id);
  if (!ctl) return;
  if (save_) {
    const LRESULT s = SendMessageW(ctl, BM_GETCHECK, 0, 0);
    value = s == BST_CHECKED ? 1 : s == BST_INDETERMINATE ? 2 : 0;
  } else {
    SendMessageW(ctl, BM_SETCHECK, value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE
                                                                          : BST_UNCHECKED,
                 0);
  }
}

void CDataExchange::Fail(int id, const std::wstring& message) {
  failed_ = true;
  AppMessageBox(dialog_, message, MB_OK | MB_ICONEXCLAMATION);
  HWND ctl = GetDlgItem(dialog_, id);
  if (ctl) {
    SetFocus(ctl);
    SendMessageW(ctl, EM_SETSEL, 0, -1);
  }
}
