#include "platform/win32/text_win.h"

#include <windows.h>

namespace {

std::wstring ToWide(UINT cp, const std::string& s) {
  if (s.empty()) return std::wstring();
  const int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string FromWide(UINT cp, const std::wstring& w) {
  if (w.empty()) return std::string();
  const int n =
      WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

}  // namespace

std::wstring Utf8ToWide(const std::string& utf8) { return ToWide(CP_UTF8, utf8); }
std::string WideToUtf8(const std::wstring& wide) { return FromWide(CP_UTF8, wide); }
std::wstring AnsiToWide(const std::string& ansi) { return ToWide(CP_ACP, ansi); }
std::string WideToAnsi(const std::wstring& wide) { return FromWide(CP_ACP, wide); }
std::wstring SjisToWide(const std::string& sjis) { return ToWide(932, sjis); }
std::string WideToSjis(const std::wstring& wide) { return FromWide(932, wide); }
