#include "plugin/plugin_page.h"

int PluginPage::SetInfo(const char* name, int32_t size) {
  if (name != nullptr && *name != '\0') name_ = name;
  paramSize_ = size;
  return 1;
}
