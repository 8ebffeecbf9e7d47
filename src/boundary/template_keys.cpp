#include "boundary/template_keys.h"

#include <cstdio>

#include "platform/sjis_texts.h"

namespace {

std::string_view TitleOf(const ScheduleEntry& data) {
  size_t n = 0;
  while (n < sizeof data.title && data.title[n] != '\0') ++n;
  return std::string_view(data.title, n);
}

std::string DateText(const SystemTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04u/%02u/%02u", unsigned{t.wYear}, unsigned{t.wMonth},
                unsigned{t.wDay});
  return buf;
}

std::string TimeText(const SystemTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", unsigned{t.wHour}, unsigned{t.wMinute},
                unsigned{t.wSecond});
  return buf;
}

void ReplaceAll(std::string& text, std::string_view key, std::string_view value) {
  if (key.empty()) return;
  size_t pos = 0;
  while ((pos = text.find(key, pos)) != std::string::npos) {
    text.replace(pos, key.size(), value);
    pos += value.size();
  }
}

}  // namespace

std::vector<TemplateKeyValue> ScheduleKeyValues(const ScheduleEntry& data) {
  const bool period = data.kikan_f != 0;
  const std::string yes = kSjisYes.sjis;
  const std::string no = kSjisNo.sjis;
  // The order matters: a value inserted early is searched again by the later
  // keys (a title holding "SCH_LOOP_FLAG" gets it replaced too).
  return {
      {"SCH_START_TIME", TimeText(data.s)},
      {"SCH_START_DATE", DateText(data.s)},
      {"SCH_END_TIME", TimeText(data.e)},
      {"SCH_END_DATE", DateText(data.e)},
      {"SCH_TITLE", std::string(TitleOf(data))},
      {"SCH_TERM_FLAG", period ? yes : no},
      {"SCH_TERM_START_DATE", period ? DateText(data.kikan_s) : std::string()},
      {"SCH_TERM_END_DATE", period ? DateText(data.kikan_e) : std::string()},
      {"SCH_LOOP_FLAG", data.loop != 0 ? yes : no},
  };
}

std::string ExpandKeys(std::string text, const std::vector<TemplateKeyValue>& values) {
  for (const TemplateKeyValue& kv : values) ReplaceAll(text, kv.key, kv.value);
  return text;
}
