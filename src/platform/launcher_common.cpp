#include "platform/launcher.h"

#include "platform/text.h"

bool IsCommandScriptName(const std::string& path) {
  size_t end = path.size();
  while (end > 0 && (path[end - 1] == '.' || path[end - 1] == ' ')) --end;
  const std::string_view name(path.data(), end);
  return EndsWithIgnoringAsciiCase(name, ".bat") || EndsWithIgnoringAsciiCase(name, ".cmd");
}
