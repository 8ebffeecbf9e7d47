#pragma once
// The program's settings in memory: paths, the TV listings site, the
// associated iEPG extensions, the wake-up timer's name, and the user settings
// both as stored and as in force.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/screen_place.h"
#include "platform/settings_schema.h"
#include "platform/shared_settings.h"
#include "platform/sleep_mode.h"

constexpr size_t kPathSize = 256;  // fixed text buffers: at most 255 bytes

// The user settings that override the built-in end actions and limits. The
// settings file's table (settings_file.cpp) holds their keys and defaults.
class CUserSetParam {
 public:
  // Every value at its default; the user settings switch off.
  CUserSetParam();
  virtual ~CUserSetParam() = default;
  // The table of the user values (without the switch, user_enable).
  static const SettingsTable<CUserSetParam>& Fields();
  // The table of the switch alone.
  static const SettingsTable<CUserSetParam>& SwitchFields();

  int32_t item_num_max;        // capacity of the schedule table
  SleepMode sleep_flag;        // between schedules and for the suspend command
  int32_t finish_act;          // after the last schedule: 1 shut down, 0 as between schedules
  int32_t epg_offset;          // seconds an iEPG start is moved earlier
  int32_t user_enable;         // 1 when the user settings are in force
  int32_t smenu_fhock;         // 1 to catch standby and hibernation chosen from the Start menu
  int32_t wakeup_lead_sec;     // the wake-up timer is due this long before a start
  int32_t stay_awake_gap_sec;  // an end this close to the next wake does not sleep
};

// The file types the iEPG extensions had before the program took them over.
class PreviousAssociationTable {
 public:
  static constexpr int kSlots = 5;  // one per iEPG extension
  // Takes the first free slot, unless the extension is remembered already or
  // every slot is used.
  void RememberAssociation(const std::string& extension, const std::string& progId);
  // The remembered file type of extension, or nullptr.
  const char* LookupAssociation(const std::string& extension) const;

 private:
  struct Slot {
    char extension[kPathSize] = {};
    char progId[kPathSize] = {};
    int32_t used = 0;
  };
  Slot slots_[kSlots];
};

// The last wake self-test (スリープ復帰テスト), as the settings file keeps it
// beside the other values of kAppSection: its times in calendar seconds (0:
// none), its outcome and how the PC stayed awake after it as the engine
// numbers them. Written only once a test has run.
struct WakeTestRecord {
  int32_t wake_test_time = 0;
  SleepMode wake_test_mode = SleepMode::kStandby;
  int32_t wake_test_result = 0;
  int32_t wake_test_wake = 0;
  int32_t wake_test_resumed = 0;
  int32_t wake_test_ran = 0;
  int32_t wake_test_stay = 0;
  static const SettingsTable<WakeTestRecord>& Fields();
  bool operator==(const WakeTestRecord& o) const { return SameFields(Fields(), *this, o); }
};

class CAppMngInfo {
 public:
  static constexpr const char* kSection = kAppSection;
  // The table of the scalars the settings file keeps in kSection (the user
  // values have their own, CUserSetParam::Fields).
  static const SettingsTable<CAppMngInfo>& Fields();

  CUserSetParam& GetUserValues() { return userValues_; }
  CUserSetParam& GetUserSetting() { return effective_; }
  const CUserSetParam& GetUserValues() const { return userValues_; }
  const CUserSetParam& GetUserSetting() const { return effective_; }

  // Path setters refuse a text of 256 bytes or more and keep the old value.
  [[nodiscard]] bool SetTvAppPath(const std::string& path);
  [[nodiscard]] bool SetProgPath(const std::string& path);
  [[nodiscard]] bool SetWakeupTimerName(const std::string& name);
  const char* GetTvAppPath() const { return tv_app_path_.c_str(); }
  const char* GetProgPath() const { return prog_path_.c_str(); }
  // The timer's name, or nullptr when it is empty.
  const char* GetWakeupTimerName() const;

  int32_t GetRegBkFlag() const { return reg_bk_flag_; }
  void SetRegBkFlag(int32_t v) { reg_bk_flag_ = v; }
  int32_t GetTvId() const { return tv_id_; }
  void SetTvId(int32_t v) { tv_id_ = v; }
  int32_t GetSelExt() const { return sel_ext_; }
  void SetSelExt(int32_t v) { sel_ext_ = v; }
  int32_t GetStartWithFile() const { return startWithFile_; }
  void SetStartWithFile(int32_t v) { startWithFile_ = v; }

  // The version text the plug-in reports; nullptr leaves the old one.
  void SetPluginVersion(const char* text);
  const char* GetPluginVersion() const { return pluginVersion_ ? pluginVersion_->c_str() : nullptr; }

  // Where the main window was left at the last exit, in screen pixels; none
  // before the first exit (no width stored).
  std::optional<ScreenRect> GetMainWindowPlace() const;
  void SetMainWindowPlace(const ScreenRect& place);

  PreviousAssociationTable& Associations() { return associations_; }
  const PreviousAssociationTable& Associations() const { return associations_; }

  WakeTestRecord& WakeTest() { return wakeTest_; }
  const WakeTestRecord& WakeTest() const { return wakeTest_; }

 private:
  std::string tv_app_path_;  // each of the three texts shorter than kPathSize
  std::string prog_path_;
  int32_t tv_id_ = 0;
  int32_t sel_ext_ = 0;
  int32_t startWithFile_ = 0;
  std::unique_ptr<std::string> pluginVersion_;
  std::string wakeup_timer_name_;
  CUserSetParam userValues_;
  CUserSetParam effective_;
  int32_t reg_bk_flag_ = 0;
  int32_t main_left_ = 0;
  int32_t main_top_ = 0;
  int32_t main_width_ = 0;
  int32_t main_height_ = 0;
  PreviousAssociationTable associations_;
  WakeTestRecord wakeTest_;
};

// The TV listings sites (indexed by tv_id) and the iEPG extensions (bits of sel_ext).
int GetSiteCount();
// The site's name (UTF-8) and address; nullptr past the list.
const char* GetSiteName(int index);
const char* GetSiteUrl(int index);
int GetExtCount();
// ".tvvi", ".tvpi", ".php3", ".epg", ".tvpid"; nullptr past the list.
const char* GetExtName(int index);
