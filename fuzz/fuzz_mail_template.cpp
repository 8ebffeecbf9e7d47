// Template expansion over any template and any title: it ends, with a body
// bounded by the template's size, and reads nothing out of bounds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "mail/mail_compose.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  ScheduleEntry record{};
  const std::string title = in.ConsumeRandomLengthString(sizeof record.title - 1);
  std::memcpy(record.title, title.data(), title.size());
  record.s = MakeSystemTime(in.ConsumeIntegral<uint16_t>(), in.ConsumeIntegral<uint16_t>(), 1,
                            in.ConsumeIntegral<uint16_t>(), 0, 0);
  record.loop = in.ConsumeIntegral<int32_t>();
  record.kikan_f = in.ConsumeIntegral<int32_t>();
  const std::string text = in.ConsumeRemainingBytesAsString();
  const std::string body = ExpandTemplate(text, record);
  // Each replacement is at most the 512-byte title or a 10-byte date: the
  // body is bounded by the template's size.
  if (body.size() > text.size() * (sizeof record.title + 16) + 1) std::abort();
  return 0;
}
