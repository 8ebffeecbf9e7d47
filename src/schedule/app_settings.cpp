#include "schedule/app_settings.h"

#include <cstdint>
#include <cstring>

namespace {

bool SetFixedText(char (&dest)[kPathSize], const std::string& text) {
  if (text.size() >= kPathSize) return false;
  std::memcpy(dest, text.c_str(), text.size() + 1);
  return true;
}

struct Site {
  const char* name;
  const char* url;
};
constexpr Site kSites[] = {
    {"Yahoo!テレビ", "https://tv.yahoo.co.jp/listings"},
    {"インフォシークTV番組表", "https://tv.infoseek.co.jp/"},
    {"ONTV JAPAN", "https://www.ontvjapan.com/program/"},
};
// Bit i of sel_ext is extension i; ".tvpid" came last, so that a stored
// value keeps its meaning.
constexpr const char* kExtensions[] = {".tvvi", ".tvpi", ".php3", ".epg", ".tvpid"};

}  // namespace

void PreviousAssociationTable::RememberAssociation(const std::string& extension,
                                                   const std::string& progId) {
  for (const Slot& s : slots_)
    if (s.used && extension == s.extension) return;  // the older entry is kept
  for (Slot& s : slots_) {
    if (s.used) continue;
    if (!SetFixedText(s.extension, extension) || !SetFixedText(s.progId, progId)) {
      s = Slot{};
      return;
    }
    s.used = 1;
    return;
  }
}

const char* PreviousAssociationTable::LookupAssociation(const std::string& extension) const {
  for (const Slot& s : slots_)
    if (s.used && extension == s.extension) return s.progId;
  return nullptr;
}

namespace {

bool SetShortText(std::string& dest, const std::string& text) {
  if (text.size() >= kPathSize) return false;
  dest = text;
  return true;
}

}  // namespace

bool CAppMngInfo::SetTvAppPath(const std::string& path) { return SetShortText(tv_app_path_, path); }
bool CAppMngInfo::SetProgPath(const std::string& path) { return SetShortText(prog_path_, path); }
bool CAppMngInfo::SetWakeupTimerName(const std::string& name) {
  return SetShortText(wakeup_timer_name_, name);
}

const char* CAppMngInfo::GetWakeupTimerName() const {
  return wakeup_timer_name_.empty() ? nullptr : wakeup_timer_name_.c_str();
}

void CAppMngInfo::SetPluginVersion(const char* text) {
  if (!text) return;
  pluginVersion_ = std::make_unique<std::string>(text);
}

int GetSiteCount() { return 3; }
const char* GetSiteName(int index) { return (index >= 0 && index < 3) ? kSites[index].name : nullptr; }
const char* GetSiteUrl(int index) { return (index >= 0 && index < 3) ? kSites[index].url : nullptr; }
int GetExtCount() { return static_cast<int>(sizeof kExtensions / sizeof kExtensions[0]); }
const char* GetExtName(int index) { return (index >= 0 && index < GetExtCount()) ? kExtensions[index] : nullptr; }

std::optional<ScreenRect> CAppMngInfo::GetMainWindowPlace() const {
  if (main_width_ <= 0 || main_height_ <= 0) return std::nullopt;
  return ScreenRect{main_left_, main_top_, main_left_ + main_width_, main_top_ + main_height_};
}

void CAppMngInfo::SetMainWindowPlace(const ScreenRect& place) {
  main_left_ = place.left;
  main_top_ = place.top;
  main_width_ = place.Width();
  main_height_ = place.Height();
}
