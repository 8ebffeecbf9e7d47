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

std::optional<std::string> Utf8ToSjisExact(std::string_view utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  char buf[1024];
  char* src = const_cast<char*>(utf8.data());
  size_t left = utf8.size();
  bool ok = true;
  while (ok && left > 0) {
    char* dst = buf;
    size_t room = sizeof buf;
    const size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, static_cast<size_t>(dst - buf));
    ok = r != static_cast<size_t>(-1) || errno == E2BIG;
  }
  iconv_close(cd);
  // The converter maps a few characters one way only ("¥" to '\', "‾" to
  // '~'): what does not come back as it went is no Shift-JIS character.
  if (!ok || SjisToUtf8(out) != utf8) return std::nullopt;
  return out;
}
