#include "platform/win32/text_win.h"

#include <windows.h>

#include "platform/text.h"

namespace {

constexpr UINT kShiftJisCodePage = 932;

std::wstring ToWide(UINT cp, std::string_view s) {
  if (s.empty()) return std::wstring();
  const int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string FromWide(UINT cp, std::wstring_view w) {
  if (w.empty()) return std::string();
  const int n =
      WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::string WideToUtf8(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }
std::wstring SjisToWide(std::string_view sjis) { return ToWide(kShiftJisCodePage, sjis); }
std::string WideToSjis(std::wstring_view wide) { return FromWide(kShiftJisCodePage, wide); }

std::string SjisToUtf8(std::string_view sjis) { return WideToUtf8(SjisToWide(sjis)); }
std::string Utf8ToSjis(std::string_view utf8) { return WideToSjis(Utf8ToWide(utf8)); }

std::optional<std::string> WideToSjisExact(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const int len = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), len,
                                    nullptr, 0, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return std::nullopt;
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kShiftJisCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), len, s.data(), n,
                      nullptr, &usedDefault);
  if (usedDefault) return std::nullopt;
  return s;
}

std::optional<std::string> Utf8ToSjisExact(std::string_view utf8) {
  return WideToSjisExact(Utf8ToWide(utf8));
}
