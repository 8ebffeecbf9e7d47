#pragma once
// Reading one registry value as text, whatever its length.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/text_win.h"

// ERROR_SUCCESS with the value's type and its text in UTF-8 (a stored text
// need not end in a zero, or may end in several: none is kept), or the
// failure (ERROR_FILE_NOT_FOUND when key has no value name).
inline LSTATUS ReadRegistryText(HKEY key, const std::wstring& name, DWORD* type,
                                std::string* text) {
  std::vector<wchar_t> buf(MAX_PATH + 16);
  for (;;) {
    DWORD bytes = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    const LSTATUS rc =
        RegQueryValueExW(key, name.c_str(), nullptr, type, reinterpret_cast<BYTE*>(buf.data()), &bytes);
    if (rc == ERROR_MORE_DATA) {
      buf.resize(bytes / sizeof(wchar_t) + 2);
      continue;
    }
    if (rc != ERROR_SUCCESS) return rc;
    std::wstring wide(buf.data(), bytes / sizeof(wchar_t));
    while (!wide.empty() && wide.back() == L'\0') wide.pop_back();
    *text = WideToUtf8(wide);
    return rc;
  }
}
