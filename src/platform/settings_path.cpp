#include "platform/settings_path.h"

#include "platform/program_path.h"
#include "platform/text.h"

std::string SettingsPathFor(const std::string& modulePath) {
  const std::string_view ext = ".exe";
  if (modulePath.size() > ext.size() && EndsWithIgnoringAsciiCase(modulePath, ext)) {
    const size_t at = modulePath.size() - ext.size();
    const char before = modulePath[at - 1];
    if (before != '/' && before != '\\') return modulePath.substr(0, at) + ".ini";
  }
  return modulePath + ".ini";
}

std::string SettingsFilePath() { return SettingsPathFor(ProgramPath()); }
