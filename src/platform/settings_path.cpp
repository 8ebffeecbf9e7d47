#include "platform/settings_path.h"

#include "platform/program_path.h"

std::string SettingsPathFor(const std::string& modulePath) {
  const std::string ext = ".exe";
  if (modulePath.size() > ext.size()) {
    const size_t at = modulePath.size() - ext.size();
    bool match = true;
    for (size_t i = 0; i < ext.size(); ++i) {
      char c = modulePath[at + i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      match = match && c == ext[i];
    }
    const char before = modulePath[at - 1];
    if (match && before != '/' && before != '\\') return modulePath.substr(0, at) + ".ini";
  }
  return modulePath + ".ini";
}

std::string SettingsFilePath() { return SettingsPathFor(ProgramPath()); }
