#pragma once
// The notification mail as an Internet message: Date, Message-ID, From, To,
// MIME UTF-8 with an encoded-word subject and a base64 body, lines ended by
// CRLF, so that Japanese arrives intact in every mail client.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_time.h"

// bytes in base64; with lineLength > 0, broken into lines of that many
// characters by CRLF.
std::string Base64(std::string_view bytes, size_t lineLength = 0);
// The bytes of base64 text (line breaks allowed); false when it is not base64.
bool Base64Decode(std::string_view text, std::string& bytes);

// A header text: as it is when it is printable ASCII, otherwise as
// "=?UTF-8?B?…?=" words of at most 75 characters each, a character never
// split between two words; the words are joined by separator (a folded
// continuation line in a mail, a blank in an HTTP header).
std::string EncodeHeaderText(std::string_view utf8, std::string_view separator = "\r\n ");

// The date header's text, "Thu, 24 Dec 2026 22:54:00 +0900", of a local time
// and its offset from UTC in minutes.
std::string MailDateText(const SystemTime& local, int utcOffsetMinutes);

// True for a plain mail address: one '@', something on both sides, no
// blanks, control characters, quotes, angle brackets, commas or semicolons.
bool IsPlainMailAddress(std::string_view address);

// The recipients of a list separated by commas, semicolons or blanks; none
// when the list is empty or holds an address that is not plain (then bad
// names it).
bool ParseRecipients(std::string_view list, std::vector<std::string>& out, std::string& bad);

struct MailMessage {
  std::string from;
  std::vector<std::string> to;
  std::string subject;  // UTF-8, one line
  std::string body;     // UTF-8
  SystemTime date{};
  int utc_offset_minutes = 0;
  std::string unique;   // the left part of the Message-ID, unique per message
};

// The whole message. The addresses must be plain (IsPlainMailAddress).
std::string BuildMailMessage(const MailMessage& message);
