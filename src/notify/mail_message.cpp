#include "notify/mail_message.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kBase64Digits[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool IsPrintableAscii(std::string_view s) {
  for (char c : s) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

// The length of the UTF-8 character starting with lead byte c (1 for a byte
// that starts none, so that every byte is taken once).
size_t CharacterLength(unsigned char c) {
  if (c >= 0xF0 && c <= 0xF4) return 4;
  if (c >= 0xE0) return 3;
  if (c >= 0xC2 && c <= 0xDF) return 2;
  return 1;
}

// text with every line ended by CRLF, whatever it was ended by.
std::string WithCrlf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "\r\n";
    } else if (text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string DomainOf(std::string_view address) {
  const size_t at = address.rfind('@');
  return at == std::string_view::npos ? "localhost" : std::string(address.substr(at + 1));
}

}  // namespace

std::string Base64(std::string_view bytes, size_t lineLength) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4 + 2 * (bytes.size() / 54 + 1));
  size_t column = 0;
  auto put = [&](char c) {
    if (lineLength != 0 && column == lineLength) {
      out += "\r\n";
      column = 0;
    }
    out += c;
    ++column;
  };
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
    if (n > 1) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    if (n > 2) v |= static_cast<unsigned char>(bytes[i + 2]);
    put(kBase64Digits[(v >> 18) & 63]);
    put(kBase64Digits[(v >> 12) & 63]);
    put(n > 1 ? kBase64Digits[(v >> 6) & 63] : '=');
    put(n > 2 ? kBase64Digits[v & 63] : '=');
  }
  return out;
}

bool Base64Decode(std::string_view text, std::string& bytes) {
  bytes.clear();
  uint32_t bits = 0;
  int count = 0;
  size_t padding = 0;
  for (char c : text) {
    if (c == '\r' || c == '\n') continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    const char* digit = c ? std::strchr(kBase64Digits, c) : nullptr;
    if (!digit || padding != 0) return false;
    bits = (bits << 6) | static_cast<uint32_t>(digit - kBase64Digits);
    if (++count == 4) {
      bytes += static_cast<char>(bits >> 16);
      bytes += static_cast<char>(bits >> 8);
      bytes += static_cast<char>(bits);
      bits = 0;
      count = 0;
    }
  }
  if (count == 1 || padding > 2 || (padding != 0 && count + padding != 4)) return false;
  if (count == 2) bytes += static_cast<char>(bits >> 4);
  if (count == 3) {
    bytes += static_cast<char>(bits >> 10);
    bytes += static_cast<char>(bits >> 2);
  }
  return true;
}

std::string EncodeHeaderText(std::string_view utf8, std::string_view separator) {
  if (IsPrintableAscii(utf8)) return std::string(utf8);
  // "=?UTF-8?B?" + "?=" is 12 characters; 63 more hold 45 bytes (60
  // characters of base64), a whole number of characters taken from the text.
  constexpr size_t kWordBytes = 45;
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
    size_t end = i;
    while (end < utf8.size()) {
      const size_t n = CharacterLength(static_cast<unsigned char>(utf8[end]));
      if (end + n - i > kWordBytes) break;
      end += n;
    }
    if (end > utf8.size()) end = utf8.size();
    if (!out.empty()) out += separator;
    out += "=?UTF-8?B?" + Base64(utf8.substr(i, end - i)) + "?=";
    i = end;
  }
  return out;
}

std::string MailDateText(const SystemTime& local, int utcOffsetMinutes) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int offset = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %02u %s %04u %02u:%02u:%02u %c%02d%02d",
                kDays[local.wDayOfWeek % 7], unsigned{local.wDay},
                kMonths[(local.wMonth >= 1 && local.wMonth <= 12) ? local.wMonth - 1 : 0],
                unsigned{local.wYear}, unsigned{local.wHour}, unsigned{local.wMinute},
                unsigned{local.wSecond}, utcOffsetMinutes < 0 ? '-' : '+', offset / 60,
                offset % 60);
  return buf;
}

bool IsPlainMailAddress(std::string_view address) {
  const size_t at = address.find('@');
  if (at == std::string_view::npos || at == 0 || at + 1 == address.size() ||
      address.find('@', at + 1) != std::string_view::npos || address.size() > 254) {
    return false;
  }
  for (char c : address) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7F) return false;
    if (c == '"' || c == '<' || c == '>' || c == ',' || c == ';' || c == '\\' || c == '(' ||
        c == ')') {
      return false;
    }
  }
  return true;
}

bool ParseRecipients(std::string_view list, std::vector<std::string>& out, std::string& bad) {
  out.clear();
  bad.clear();
  size_t i = 0;
  auto isSeparator = [](char c) { return c == ',' || c == ';' || c == ' ' || c == '\t' ||
                                         c == '\r' || c == '\n'; };
  while (i < list.size()) {
    while (i < list.size() && isSeparator(list[i])) ++i;
    size_t end = i;
    while (end < list.size() && !isSeparator(list[end])) ++end;
    if (end > i) {
      const std::string_view one = list.substr(i, end - i);
      if (!IsPlainMailAddress(one)) {
        bad = std::string(one);
        out.clear();
        return false;
      }
      out.emplace_back(one);
    }
    i = end;
  }
  return !out.empty();
}

std::string BuildMailMessage(const MailMessage& m) {
  std::string to;
  for (const std::string& r : m.to) {
    if (!to.empty()) to += ",\r\n ";
    to += r;
  }
  std::string out;
  out += "Date: " + MailDateText(m.date, m.utc_offset_minutes) + "\r\n";
  out += "Message-ID: <" + m.unique + "@" + DomainOf(m.from) + ">\r\n";
  out += "From: " + m.from + "\r\n";
  out += "To: " + to + "\r\n";
  out += "Subject: " + EncodeHeaderText(m.subject) + "\r\n";
  out += "MIME-Version: 1.0\r\n";
  out += "Content-Type: text/plain; charset=UTF-8\r\n";
  out += "Content-Transfer-Encoding: base64\r\n";
  out += "\r\n";
  out += Base64(WithCrlf(m.body), 76);
  out += "\r\n";
  return out;
}
