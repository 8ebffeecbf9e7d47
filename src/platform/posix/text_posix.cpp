#include <errno.h>
#include <iconv.h>

#include "platform/text.h"

namespace {

std::string Convert(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  std::string out;
  char buf[1024];
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  while (left > 0) {
    char* dst = buf;
    size_t room = sizeof buf;
    const size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, static_cast<size_t>(dst - buf));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      out.push_back('?');  // skip one unconvertible byte
      ++src;
      --left;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis) { return Convert("UTF-8", "CP932", sjis); }
std::string Utf8ToSjis(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8); }

// Paths are UTF-8 already.
std::string Utf8ToPathText(std::string_view utf8) { return std::string(utf8); }
std::string PathTextToUtf8(std::string_view path) { return std::string(path); }
