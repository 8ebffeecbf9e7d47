#pragma once
// What the two pages of the settings sheet do, without their windows: the
// values each page edits, how they are shown, and how the page's apply turns
// the controls back into settings. The Win32 pages only move these values
// between their controls and these functions.
#include <array>
#include <cstdint>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "engine/wake_plan.h"
#include "notify/notify_sender.h"
#include "schedule/app_settings.h"

class IPrompt;
class IStartupEntries;
struct StartupReading;

// ---- EPG page: recording program, TV listings site, iEPG extensions ----

// What the EPG page edits; the frame fills it from the stored settings and
// hands it to the file association after OK.
struct EpgPageValues {
  std::string m_tv_app_path;  // recording program (UTF-8)
  uint8_t m_tv_id = 0;        // listings site
  uint8_t m_sel_ext = 15;     // bit i: extension i is associated
};

constexpr int kSiteChoices = 3;
constexpr int kExtensionChoices = 5;

// The site whose radio button is checked when the page opens: one past the
// list shows the first.
int ShownSite(uint8_t tvId);
// The site at apply: the first checked radio button in site order; with none
// checked the current site stays.
uint8_t SiteFromChecks(const std::array<bool, kSiteChoices>& checked, uint8_t current);
// The extension bits at apply, bit i from box i.
uint8_t ExtensionsFromChecks(const std::array<bool, kExtensionChoices>& checked);

// Takes a recording program path from the page (typed into the box or
// chosen in the file dialog) into *current. The setting keeps the path in
// Shift-JIS: a path with a character that Shift-JIS cannot hold, or of 256
// bytes or more in Shift-JIS, is refused with a message and *current stays.
// True when taken.
bool TakeTvAppPath(IPrompt& prompt, const std::string& path, std::string* current);

enum class BrowseOutcome { kTaken, kRefused, kCancelled };
// The file dialog's answer for the recording program: none when cancelled;
// an empty path is refused with "録画ソフトのexeファイルを指定して下さい".
BrowseOutcome TakeBrowsedTvAppPath(IPrompt& prompt, const std::optional<std::string>& chosen,
                                   std::string* current);

// ---- User page: end actions, capacity, iEPG lead time ----

inline constexpr std::array<int32_t, 8> kCapacityValues = {10, 20, 30, 40, 50, 100, 500, 1000};
inline constexpr std::array<int32_t, 9> kLeadValues = {0, 10, 20, 30, 40, 50, 60, 90, 120};
// Seconds the wake-up timer is due before a start, and the shortest wait for
// the next wake that still puts the PC to sleep after an end.
inline constexpr std::array<int32_t, 6> kWakeLeadValues = kOfferedWakeLeads;
inline constexpr std::array<int32_t, 5> kStayAwakeGapValues = {0, 120, 300, 600, 900};

// The drop-down list of seconds for a setting: the offered values, and the
// stored one in its sorted place when it is none of them (a hand-edited
// file), so that the page shows what is stored and keeps it unless the user
// picks another.
template <size_t N>
std::vector<int32_t> SecondsChoices(const std::array<int32_t, N>& offered, int32_t stored) {
  std::vector<int32_t> list(offered.begin(), offered.end());
  const auto at = std::lower_bound(list.begin(), list.end(), stored);
  if (at == list.end() || *at != stored) list.insert(at, stored);
  return list;
}

// What the user page edits: the user values and the switch, compared and
// copied through their settings table. The page shows the capacity and the
// iEPG lead at their positions in their lists (CapacityIndex, LeadIndex).
struct UserPageValues {
  CUserSetParam m_param;

  bool operator==(const UserPageValues& o) const;
};

// The position of value in its list; 0 when it is not offered.
uint8_t CapacityIndex(int32_t itemNumMax);
uint8_t LeadIndex(int32_t epgOffset);

// The page's values from a parameter set (the switches as 0 or 1); the
// user settings switch is left alone.
void LoadFromParam(UserPageValues& v, const CUserSetParam& param);
// The built-in values (hibernation, shutdown, 10, 0 s, no Start menu
// detection, the wake defaults); the user settings switch is left alone.
void LoadDefaults(UserPageValues& v);
// What the page shows when it opens: the values in force when the user
// settings are on, otherwise the user's own values as stored (shown greyed).
UserPageValues InitialUserPageValues(const CAppMngInfo& info);

// The state of the user page's controls at apply. With neither radio button
// of a pair checked, the first (休止モード, シャットダウン) counts. A
// selection of -1 (none) or beyond the list reads as the first item.
struct UserPageControls {
  bool standby = false;       // スタンバイ rather than 休止モード
  bool sameAsOthers = false;  // 最後以外と同じ rather than シャットダウン
  int capacitySelection = -1;
  int leadSelection = -1;
  // The seconds picked in the wake lists; none (no selection) keeps the
  // page's value.
  std::optional<int32_t> wakeupLeadSec;
  std::optional<int32_t> stayAwakeGapSec;
};

// The page's apply: reads the controls into v, falls back to the defaults
// when the user settings are off, and writes the result into the values in
// force. With the user settings on, the user's own values follow as well,
// since they are what the settings file will hold.
void ApplyUserPage(UserPageValues& v, const UserPageControls& controls, CAppMngInfo& info);

// ---- User page: start with Windows ----

// The program a Run value's command line starts: the quoted first part, or
// without quotes the text up to the first ".exe" that ends a word (as
// Windows tries a path with blanks), else up to the first blank.
std::string StartupProgram(const std::string& command);

// What the box shows when the page opens. It is ticked only when the value
// starts this very program (programPath, compared as Windows compares paths);
// a value that starts another copy (the installed one while a zip copy runs,
// say) leaves it clear and names that copy in otherProgram.
struct StartupBoxState {
  bool ticked = false;
  std::string otherProgram;  // "" when there is no value or it is ours
};
StartupBoxState ReadStartupBox(const StartupReading& now, const std::string& programPath);
// The note under the box for a value of another copy; the copy's path
// follows on a line of its own.
const char* OtherStartupText();

// What the box's apply does to the Run key, from the box and what the key
// holds now: a ticked box writes our command unless the value holds exactly
// it; a clear box removes the value only when it starts this program, so
// another copy's entry stays until the user ticks the box to take it over.
enum class StartupChange { kNone, kWrite, kRemove };
StartupChange DecideStartupChange(bool ticked, const StartupReading& now,
                                  const std::string& command, const std::string& programPath);
// Reads the key, makes the change; "" when done, else the message for the user.
std::string ApplyStartupBox(IStartupEntries& entries, bool ticked, const std::string& command,
                            const std::string& programPath);

// ---- 通知 page: the tray balloon and the webhook ----

// The webhook kinds in the order of the page's list (the stored number).
inline constexpr std::array<const char*, 4> kWebhookKindNames = {"Discord", "Slack", "ntfy",
                                                                 "汎用 (JSON)"};
// Why the address typed on the page cannot be used, "" when it can: empty
// (no webhook) or one ParseWebhookUrl accepts, in ASCII only.
std::string WebhookUrlProblem(const std::string& url);
// A test send's outcome in words for the page.
std::string TestOutcomeText(const PostOutcome& outcome);
// A template as the page's editor shows it (UTF-8, CR LF lines): the stored
// one (Shift-JIS, as the settings keep it) or, when none is, the built-in one.
std::string TemplateShown(const std::string& stored, const char* builtIn);
// What the settings keep for the editor's text: "" for the built-in one (it
// then follows the program's), else the stored form in Shift-JIS; problem
// says why a text cannot be kept (a character Shift-JIS lacks, too long).
struct TemplateTaken {
  std::string stored;
  std::string problem;
};
TemplateTaken TakeTemplate(const std::string& text, const char* builtIn, size_t maxBytes);
// The keys a template can hold, one "KEY　description" a line (CR LF).
std::string NotifyKeysText();

// The mail ports in the order of the page's list.
inline constexpr std::array<int, 2> kMailPorts = {465, 587};
inline constexpr std::array<const char*, 2> kMailPortNames = {"465 (SSL/TLS)", "587 (STARTTLS)"};
// Why the mail settings typed on the page cannot be kept, "" when they can:
// no server (no mail), or a plain server name, sender and recipients.
std::string MailSettingsProblem(const std::string& server, const std::string& from,
                                const std::string& to);
// A mail test send's outcome in words for the page.
std::string MailTestOutcomeText(const PostOutcome& outcome);
// What the page says under the password box.
std::string PasswordNoteText(bool stored);
