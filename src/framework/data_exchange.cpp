#include "framework/data_exchange.h"

#include <optional>

#include "framework/message_box.h"
#include "platform/win32/text_win.h"

void CDataExchange::Text(int id, std::string& value, size_t maxBytes, TextCoding coding) {
  if (failed_) return;
  HWND ctl = window_.GetItem(id);
  if (!ctl) return;
  if (!save_) {
    SendMessageW(ctl, EM_LIMITTEXT, maxBytes, 0);
    SetWindowTextW(ctl, SjisToWide(value).c_str());
    return;
  }
  const std::wstring w = GetWindowTextWide(ctl);
  std::optional<std::string> exact;
  if (coding == TextCoding::kSjisExact) {
    exact = WideToSjisExact(w);
    if (!exact) {
      Fail(id, L"設定ファイル（Shift-JIS）に保存できない文字が含まれています。\n"
               L"この文字を使わずに入力してください。");
      return;
    }
  }
  std::string bytes = exact ? std::move(*exact) : WideToSjis(w);
  if (bytes.size() > maxBytes) {
    Fail(id, std::to_wstring(maxBytes) + L" 文字(半角)以内で入力してください。");
    return;
  }
  value = std::move(bytes);
}

void CDataExchange::RawText(int id, std::string& value) {
  if (failed_ || !window_.GetItem(id)) return;
  if (save_) {
    value = WideToUtf8(window_.GetItemText(id));
  } else {
    window_.SetItemText(id, Utf8ToWide(value));
  }
}

void CDataExchange::Check(int id, int32_t& value) {
  if (failed_) return;
  HWND ctl = window_.GetItem(id);
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

void CDataExchange::Check(int id, bool& value) {
  if (failed_ || !window_.GetItem(id)) return;
  if (save_) {
    value = window_.IsItemChecked(id);
  } else {
    window_.CheckItem(id, value);
  }
}

void CDataExchange::Switch(int id, int32_t& value) {
  if (failed_ || !window_.GetItem(id)) return;
  if (save_) {
    if (!window_.IsItemChecked(id)) {
      value = 0;
    } else if (value == 0) {
      value = 1;
    }
  } else {
    window_.CheckItem(id, value != 0);
  }
}

void CDataExchange::Radio(std::initializer_list<int> ids, int& index) {
  if (failed_) return;
  if (save_) {
    int i = 0;
    for (int id : ids) {
      if (window_.IsItemChecked(id)) {
        index = i;
        return;
      }
      ++i;
    }
    index = -1;
  } else {
    int i = 0;
    for (int id : ids) window_.CheckItem(id, i++ == index);
  }
}

void CDataExchange::ComboIndex(int id, int& index) {
  if (failed_ || !window_.GetItem(id)) return;
  if (save_) {
    index = window_.GetComboIndex(id);
  } else {
    window_.SetComboIndex(id, index);
  }
}

void CDataExchange::Fail(int id, const std::wstring& message) {
  AppMessageBox(window_.GetHwnd(), message, MB_OK | MB_ICONEXCLAMATION);
  Refuse(id);
}

void CDataExchange::Refuse(int id) {
  failed_ = true;
  HWND ctl = window_.GetItem(id);
  if (ctl) {
    SetFocus(ctl);
    SendMessageW(ctl, EM_SETSEL, 0, -1);
  }
}
