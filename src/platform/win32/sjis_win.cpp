#include "platform/sjis.h"
#include "platform/win32/text_win.h"

std::string SjisToUtf8(std::string_view sjis) {
  return WideToUtf8(SjisToWide(std::string(sjis)));
}
std::string Utf8ToSjis(std::string_view utf8) {
  return WideToSjis(Utf8ToWide(std::string(utf8)));
}
