#include "app/program_options.h"

#include "platform/app_title.h"
#include "platform/program_path.h"
#include "platform/text.h"

namespace {

// The switches the program knows, by name without the leading '/' or '-'.
struct Switch {
  const char* name;
  bool ProgramOptions::*flag;
};
constexpr Switch kSwitches[] = {
    {"dryrun", &ProgramOptions::dryRun},
    {"tray", &ProgramOptions::tray},
};

const Switch* FindSwitch(const std::string& arg) {
  if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return nullptr;
  const std::string name = arg.substr(1);
  for (const Switch& s : kSwitches)
    if (EqualsIgnoringAsciiCase(name, s.name)) return &s;
  return nullptr;
}

}  // namespace

ProgramOptions ParseProgramArguments(const std::vector<std::string>& args) {
  ProgramOptions options;
  bool haveFile = false;
  for (const std::string& arg : args) {
    if (const Switch* s = FindSwitch(arg)) {
      options.*(s->flag) = true;
    } else if (!haveFile) {
      options.iepgFile = arg;
      haveFile = true;
    }
  }
  return options;
}

DryRun ResolveDryRun(bool dryRunSwitch, const std::string& powerLogVariable,
                     const std::string& unmarkedVariable, const std::string& settingsPath) {
  DryRun d;
  d.on = dryRunSwitch || !powerLogVariable.empty();
  if (!d.on) return d;
  d.titleMark = unmarkedVariable.empty();
  d.logPath = !powerLogVariable.empty()
                  ? powerLogVariable
                  : JoinPath(DirectoryOf(settingsPath), "Nimbra-dryrun.log");
  return d;
}

std::string FrameCaption(bool titleMark) {
  return titleMark ? std::string(kAppTitle) + " [ドライラン]" : std::string(kAppTitle);
}

std::string StartupCommand(const std::string& programPathUtf8) {
  return "\"" + programPathUtf8 + "\" /tray";
}

std::string GuidePath(const std::string& programPathUtf8) {
  return JoinPath(JoinPath(DirectoryOf(programPathUtf8), "Nimbra-docs"), "index.html");
}

std::string GuideMissingText(const std::string& guidePathUtf8) {
  return "使い方ガイドが見つかりません。\n" + guidePathUtf8 +
         "\n\nNimbra.exe と同じフォルダに、配布ファイルの Nimbra-docs フォルダを置いて下さい。";
}

std::string GuideNotOpenedText(const std::string& guidePathUtf8) {
  return "使い方ガイドを開けませんでした。\n" + guidePathUtf8 +
         "\n\n.html のファイルを開くブラウザが設定されているか確かめて下さい。";
}
