#pragma once
// The schedule record the program hands to the plug-in: the program's
// schedule record byte for byte, passed on unchanged to the mail library.
#include <cstddef>
#include <cstdint>

#include "platform/system_time.h"

#pragma pack(push, 1)
struct PluginParam {
  SystemTime s;
  SystemTime e;
  char title[512];  // zero-terminated Shift-JIS
  int32_t state;
  int32_t loop;
  int32_t loop_meth;
  int32_t b_way;
  int32_t kikan_f;
  SystemTime kikan_s;
  SystemTime kikan_e;
};
#pragma pack(pop)

constexpr int32_t kPluginParamSize = 596;
static_assert(sizeof(PluginParam) == kPluginParamSize, "PluginParam is the 596-byte schedule record");
static_assert(offsetof(PluginParam, title) == 32, "layout");
static_assert(offsetof(PluginParam, state) == 544, "layout");
static_assert(offsetof(PluginParam, kikan_f) == 560, "layout");
static_assert(offsetof(PluginParam, kikan_e) == 580, "layout");
