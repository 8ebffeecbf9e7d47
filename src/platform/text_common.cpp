#include "platform/text.h"

size_t SjisCutLength(std::string_view sjis, size_t maxBytes) {
  size_t n = 0;
  while (n < sjis.size()) {
    const size_t width =
        (IsSjisLeadByte(static_cast<unsigned char>(sjis[n])) && n + 1 < sjis.size()) ? 2 : 1;
    if (n + width > maxBytes) break;
    n += width;
  }
  return n;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}
