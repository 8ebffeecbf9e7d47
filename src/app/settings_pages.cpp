#include "app/settings_pages.h"

#include "app/program_options.h"
#include "notify/mail_message.h"
#include "notify/notify_message.h"
#include "platform/prompt.h"
#include "platform/startup_entries.h"
#include "platform/text.h"
#include "schedule/app_settings.h"

int ShownSite(uint8_t tvId) { return tvId < kSiteChoices ? tvId : 0; }

uint8_t SiteFromChecks(const std::array<bool, kSiteChoices>& checked, uint8_t current) {
  for (int i = 0; i < kSiteChoices; ++i) {
    if (checked[static_cast<size_t>(i)]) return static_cast<uint8_t>(i);
  }
  return current;
}

uint8_t ExtensionsFromChecks(const std::array<bool, kExtensionChoices>& checked) {
  uint8_t bits = 0;
  for (int i = 0; i < kExtensionChoices; ++i) {
    if (checked[static_cast<size_t>(i)]) bits = static_cast<uint8_t>(bits | (1u << i));
  }
  return bits;
}

bool TakeTvAppPath(IPrompt& prompt, const std::string& path, std::string* current) {
  const std::optional<std::string> stored = Utf8ToSjisExact(path);
  if (!stored) {
    prompt.Show("録画ソフトのパスに、設定ファイル（Shift-JIS）に保存できない文字が含まれています。\n"
                "この文字を含まないパスを指定して下さい。\n" + path,
                "", PromptButtons::kOk);
    return false;
  }
  if (stored->size() >= kPathSize) {
    prompt.Show("録画ソフトのパスが長すぎます。\n255バイト以内のパスを指定して下さい。", "",
                PromptButtons::kOk);
    return false;
  }
  *current = path;
  return true;
}

BrowseOutcome TakeBrowsedTvAppPath(IPrompt& prompt, const std::optional<std::string>& chosen,
                                   std::string* current) {
  if (!chosen) return BrowseOutcome::kCancelled;
  if (chosen->empty()) {
    prompt.Show("録画ソフトのexeファイルを指定して下さい", "", PromptButtons::kOk);
    return BrowseOutcome::kRefused;
  }
  return TakeTvAppPath(prompt, *chosen, current) ? BrowseOutcome::kTaken : BrowseOutcome::kRefused;
}

bool UserPageValues::operator==(const UserPageValues& o) const {
  return SameFields(CUserSetParam::Fields(), m_param, o.m_param) &&
         SameFields(CUserSetParam::SwitchFields(), m_param, o.m_param);
}

namespace {

template <size_t N>
uint8_t IndexIn(const std::array<int32_t, N>& values, int32_t v) {
  for (size_t i = 0; i < N; ++i) {
    if (values[i] == v) return static_cast<uint8_t>(i);
  }
  return 0;
}

// A combo box selection as an index into a list of n; none or out of range
// gives the first.
uint8_t SelectionIndex(int selection, size_t n) {
  return selection >= 0 && static_cast<size_t>(selection) < n ? static_cast<uint8_t>(selection) : 0;
}

}  // namespace

uint8_t CapacityIndex(int32_t itemNumMax) { return IndexIn(kCapacityValues, itemNumMax); }
uint8_t LeadIndex(int32_t epgOffset) { return IndexIn(kLeadValues, epgOffset); }

void LoadFromParam(UserPageValues& v, const CUserSetParam& param) {
  CopyFields(CUserSetParam::Fields(), param, v.m_param);
}

void LoadDefaults(UserPageValues& v) { LoadFromParam(v, CUserSetParam()); }

UserPageValues InitialUserPageValues(const CAppMngInfo& info) {
  UserPageValues v;
  const CUserSetParam& eff = info.GetUserSetting();
  LoadFromParam(v, eff.user_enable ? eff : info.GetUserValues());
  CopyFields(CUserSetParam::SwitchFields(), eff, v.m_param);
  return v;
}

void ApplyUserPage(UserPageValues& v, const UserPageControls& c, CAppMngInfo& info) {
  CUserSetParam& p = v.m_param;
  p.sleep_flag = c.standby ? SleepMode::kStandby : SleepMode::kHibernate;
  p.finish_act = c.sameAsOthers ? 0 : 1;
  p.item_num_max = kCapacityValues[SelectionIndex(c.capacitySelection, kCapacityValues.size())];
  p.epg_offset = kLeadValues[SelectionIndex(c.leadSelection, kLeadValues.size())];
  p.wakeup_lead_sec = c.wakeupLeadSec.value_or(p.wakeup_lead_sec);
  p.stay_awake_gap_sec = c.stayAwakeGapSec.value_or(p.stay_awake_gap_sec);
  if (!p.user_enable) LoadDefaults(v);

  CUserSetParam& eff = info.GetUserSetting();
  CopyFields(CUserSetParam::Fields(), p, eff);
  CopyFields(CUserSetParam::SwitchFields(), p, eff);
  // Saving writes these as the user's own values; the page shows those when
  // it opens with the user settings off.
  if (p.user_enable) CopyFields(CUserSetParam::Fields(), eff, info.GetUserValues());
}

namespace {

std::string FoldAscii(std::string text) {
  for (char& c : text) c = AsciiLower(c);
  return text;
}

}  // namespace

std::string StartupProgram(const std::string& command) {
  size_t from = command.find_first_not_of(" \t");
  if (from == std::string::npos) return "";
  if (command[from] == '"') {
    const size_t close = command.find('"', from + 1);
    return command.substr(from + 1, close == std::string::npos ? std::string::npos : close - from - 1);
  }
  const std::string folded = FoldAscii(command);
  for (size_t at = folded.find(".exe", from); at != std::string::npos;
       at = folded.find(".exe", at + 1)) {
    const size_t end = at + 4;
    if (end == command.size() || command[end] == ' ' || command[end] == '\t')
      return command.substr(from, end - from);
  }
  const size_t blank = command.find_first_of(" \t", from);
  return command.substr(from, blank == std::string::npos ? std::string::npos : blank - from);
}

namespace {

// Windows paths compare without regard to the case of ASCII letters, and
// either slash separates.
std::string PathKey(const std::string& path) {
  std::string key = FoldAscii(path);
  for (char& c : key)
    if (c == '/') c = '\\';
  return key;
}

bool StartsThisProgram(const StartupReading& now, const std::string& programPath) {
  return now.command && PathKey(StartupProgram(*now.command)) == PathKey(programPath);
}

}  // namespace

StartupBoxState ReadStartupBox(const StartupReading& now, const std::string& programPath) {
  StartupBoxState state;
  if (!now.command) return state;
  state.ticked = StartsThisProgram(now, programPath);
  if (!state.ticked) {
    state.otherProgram = StartupProgram(*now.command);
    if (state.otherProgram.empty()) state.otherProgram = *now.command;
  }
  return state;
}

const char* OtherStartupText() {
  return "登録されているのは別の場所のNimbraです。チェックするとこのNimbraに変わります。";
}

StartupChange DecideStartupChange(bool ticked, const StartupReading& now,
                                  const std::string& command, const std::string& programPath) {
  if (ticked) return now.command == command ? StartupChange::kNone : StartupChange::kWrite;
  return StartsThisProgram(now, programPath) ? StartupChange::kRemove : StartupChange::kNone;
}

std::string ApplyStartupBox(IStartupEntries& entries, bool ticked, const std::string& command,
                            const std::string& programPath) {
  const StartupReading now = entries.Read(kStartupEntryName);
  SystemCause cause = SystemCause::kNone;
  const char* what = "";
  switch (DecideStartupChange(ticked, now, command, programPath)) {
    case StartupChange::kNone:
      return "";
    case StartupChange::kWrite:
      cause = entries.Write(kStartupEntryName, command);
      what = "登録";
      break;
    case StartupChange::kRemove:
      cause = entries.Remove(kStartupEntryName);
      what = "登録の解除";
      break;
  }
  if (cause == SystemCause::kNone) return "";
  return std::string("Windowsの起動時にNimbraを起動する設定の") + what + "ができませんでした（" +
         SystemCauseText(cause) +
         "）。\nレジストリ HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run "
         "への書き込みが許可されているか確認して下さい。";
}

// ---- 通知 page ----

std::string WebhookUrlProblem(const std::string& url) {
  if (url.empty()) return "";
  for (unsigned char c : url) {
    if (c >= 0x80) return "URLには半角の英数字と記号だけを使ってください。";
  }
  const WebhookUrlCheck check = ParseWebhookUrl(url);
  return check.ok ? "" : check.error;
}

std::string TemplateShown(const std::string& stored, const char* builtIn) {
  const std::string text = stored.empty() ? std::string(builtIn) : TemplateFromStored(SjisToUtf8(stored));
  std::string shown;
  for (char c : text) {
    if (c == '\n') shown += '\r';
    shown += c;
  }
  return shown;
}

TemplateTaken TakeTemplate(const std::string& text, const char* builtIn, size_t maxBytes) {
  const std::string stored = TemplateToStored(text);
  if (stored == TemplateToStored(builtIn)) return {};
  const std::optional<std::string> sjis = Utf8ToSjisExact(stored);
  if (!sjis) return {"", "Shift-JISで表せない文字は使えません。"};
  if (sjis->size() > maxBytes) return {"", "長すぎます（" + std::to_string(maxBytes) + "バイトまで）。"};
  return {*sjis, ""};
}

std::string NotifyKeysText() {
  std::string text;
  for (const NotifyKeyDescription& k : AllNotifyKeys()) {
    text += k.key;
    text += "　";
    text += k.description;
    text += "\r\n";
  }
  return text;
}

std::string TestOutcomeText(const PostOutcome& outcome) {
  if (outcome.sent) return "送信しました（HTTP " + std::to_string(outcome.status) + "）";
  return "送信できませんでした: " + outcome.reason;
}

std::string MailSettingsProblem(const std::string& server, const std::string& from,
                                const std::string& to) {
  if (server.empty()) return "";
  if (!IsPlainServerName(server))
    return "メールサーバーの名前が正しくありません（例: smtp.example.com）。";
  if (!IsPlainMailAddress(from)) return "送信元のメールアドレスが正しくありません。";
  std::vector<std::string> recipients;
  std::string bad;
  if (!ParseRecipients(to, recipients, bad))
    return bad.empty() ? "宛先のメールアドレスを入力してください。"
                       : "宛先のメールアドレスが正しくありません: " + bad;
  return "";
}

std::string MailTestOutcomeText(const PostOutcome& outcome) {
  if (outcome.sent) return "送信しました（メールサーバーが受け取りました）";
  return "送信できませんでした: " + outcome.reason;
}

std::string PasswordNoteText(bool stored) {
  return stored ? "保存済みです（変えるときだけ入力）" : "";
}
