#pragma once
// The template keys of a schedule record ("SCH_TITLE", "SCH_START_DATE" …)
// and the one expansion that replaces them: the mail library fills its mail
// template with it, and the program its notification templates. Values are
// Shift-JIS, as the record's title is.
#include <string>
#include <string_view>
#include <vector>

#include "boundary/nimbra_boundary.h"

// One key and the text it stands for.
struct TemplateKeyValue {
  std::string key;
  std::string value;
};

// The record's keys with their values (Shift-JIS), in the fixed replacement
// order.
std::vector<TemplateKeyValue> ScheduleKeyValues(const ScheduleEntry& data);

// text with every key replaced by its value, key by key in the order given:
// a value inserted early is searched again by the later keys.
std::string ExpandKeys(std::string text, const std::vector<TemplateKeyValue>& values);
