#include "plugin/smail_page.h"

#include <cstdio>
#include <cstring>

#include "platform/debug_log.h"
#include "platform/file.h"
#include "platform/launcher.h"
#include "platform/private_file.h"
#include "platform/program_path.h"
#include "platform/profile_store.h"
#include "platform/prompt.h"
#include "platform/sjis_texts.h"
#include "platform/text.h"

ScheduleEntry MakeTestRecord() {
  ScheduleEntry p;
  std::memset(&p, 0, sizeof p);
  p.s.wYear = 2001;
  p.s.wMonth = 1;
  p.s.wDay = 1;
  p.s.wMinute = 1;
  p.s.wSecond = 1;
  p.e.wYear = 2002;
  p.e.wMonth = 2;
  p.e.wDay = 2;
  p.e.wMinute = 2;
  std::memcpy(p.title, kSjisTestMailTitle.sjis, std::strlen(kSjisTestMailTitle.sjis) + 1);
  return p;
}

namespace {

// Why the mailer at path may not be started (UTF-8), or empty when it may.
// path: Shift-JIS, as the settings keep it.
std::string MailerProblemFor(const std::string& sjisPath) {
  if (sjisPath.empty()) return "SMAILパスが指定されていません。";
  const std::string path = SjisToUtf8(sjisPath);
  switch (CheckProgramFile(path)) {
    case ProgramFileCheck::kOk:
      return std::string();
    case ProgramFileCheck::kNotFullPath:
      return "SMAILパスには、メールソフトのexeファイルをフォルダーから指定して下さい"
             "（例：C:\\smail\\smail.exe）。";
    case ProgramFileCheck::kMissing:
      return "SMAILパスのファイルが見つかりません。\n" + path;
    case ProgramFileCheck::kCommandScript:
      break;
  }
  return "バッチファイル（.bat、.cmd）はSMAILパスに指定できません。"
         "番組のタイトルなどがコマンドとして実行されるおそれがあります。"
         "メールソフトのexeファイルを指定して下さい。";
}

}  // namespace

SMailEnabling SMailControlsEnabled(bool mailOn, bool templateOn) {
  return SMailEnabling{mailOn, mailOn && templateOn};
}

SMailPage::SMailPage(IPrompt& prompt, ILauncher& launcher, std::string settingsPath,
                     const std::string& libraryFolder, CDebugLog* log)
    : prompt_(prompt), launcher_(launcher), log_(log), settingsPath_(std::move(settingsPath)) {
  std::memset(&param_, 0, sizeof param_);
  Load();
  library_.Load(libraryFolder, kMailLibraryFile, prompt_);
}

SMailPage::~SMailPage() = default;

int SMailPage::Load() {
  const ProfileStore store = ProfileStore::Load(settingsPath_);
  settings_ = LoadSMailSettings(store);
  // The program's own switch for its debug log serves the plug-in's notes too.
  if (log_) log_->SetLevel(LoadDebugLevel(store));
  return 1;
}

int SMailPage::Save() {
  // Start from the file as it is now: the program's sections stay as they are.
  ProfileStore store = ProfileStore::Load(settingsPath_);
  SaveSMailSettings(store, settings_);
  return store.Save(settingsPath_) ? 1 : 0;
}

int SMailPage::SetParam(const void* data) {
  if (data == nullptr) return 0;
  std::memcpy(&param_, data, sizeof param_);
  return 1;
}

UniqueMail SMailPage::InitMail(const char* file, int32_t flags) {
  const SMailSettings& s = settings_;
  return library_.Own(library_.initmail(s.m_sm_path.c_str(), s.m_sm_server.c_str(), s.m_sm_src_addr.c_str(),
                           s.m_sm_dst_addr.c_str(), s.m_sm_title.c_str(), file,
                                        s.m_sm_temp_path.c_str(), flags));
}

std::string SMailPage::PreviewPath() const {
  return JoinPath(DirectoryOf(settingsPath_), kPreviewFile);
}

std::string SMailPage::LibraryPreviewPath() const {
  return Utf8ToSjisExact(PreviewPath()).value_or(kPreviewFile);
}

std::string SMailPage::MailerProblem() const { return MailerProblemFor(settings_.m_sm_path); }

std::string SMailPage::MissingFields() const {
  const struct {
    const std::string* value;
    const char* label;
  } fields[] = {{&settings_.m_sm_path, "SMAILパス"},
                {&settings_.m_sm_server, "サーバー"},
                {&settings_.m_sm_src_addr, "送信元"},
                {&settings_.m_sm_dst_addr, "送信先"}};
  std::string names;
  for (const auto& f : fields) {
    if (!f.value->empty()) continue;
    if (!names.empty()) names += "、";
    names += f.label;
  }
  if (names.empty()) return names;
  return "次の項目が空欄のため、テストメールを送信できません。\n" + names;
}

void SMailPage::Run() {
  if (!settings_.m_sm_enable_check || !library_.IsBound()) return;
  const ProgramFileCheck check = CheckProgramFile(SjisToUtf8(settings_.m_sm_path));
  if (check != ProgramFileCheck::kOk) {
    const char* why = check == ProgramFileCheck::kCommandScript ? "a batch file"
                      : check == ProgramFileCheck::kMissing     ? "no such file"
                                                               : "not a full path";
    if (log_) log_->Write("smail: mailer not started (%s): %s", why, settings_.m_sm_path.c_str());
    return;
  }
  const std::string body = LibraryPreviewPath();
  UniqueMail mail = InitMail(body.c_str(), MailFlagsFor(settings_));
  if (!mail) return;
  // The library gets a copy: the stored record stays as the program set it.
  ScheduleEntry data;
  static_assert(sizeof data == sizeof param_, "the mail record is the plug-in record");
  std::memcpy(&data, &param_, sizeof data);
  library_.set_schdata2mail(mail.get(), &data);
  const int32_t sent = library_.sendmail(mail.get(), mail.get()->sm_text);
  if (!log_) return;
  if (sent == kSendStillRunning) {
    log_->Write("smail: mailer still running when the wait ended, left running: %s",
                settings_.m_sm_path.c_str());
  } else if (sent != 0) {
    log_->Write("smail: mailer could not be started: %s", settings_.m_sm_path.c_str());
  }
}

UniqueMail SMailPage::MakeTestMail() {
  if (!library_.IsBound()) return UniqueMail();
  const std::string file = LibraryPreviewPath();
  UniqueMail mail = InitMail(file.c_str(), MailFlagsFor(settings_));
  if (!mail) return mail;
  ScheduleEntry data = MakeTestRecord();
  library_.set_schdata2mail(mail.get(), &data);
  // With a template the library has written the body itself; otherwise the
  // file shows the argument text.
  if (!settings_.m_sm_temp_check) {
    UniqueFile f{OpenPrivateFileForWriting(SjisToUtf8(file))};
    if (f && mail.get()->sm_text) std::fputs(mail.get()->sm_text, f.get());
  }
  return mail;
}

void SMailPage::Tell(const std::string& text) { prompt_.Show(text, "", PromptButtons::kOk); }

void SMailPage::SendTestMail() {
  if (!library_.IsBound()) {
    Tell("DLLが読み込まれていません");
    return;
  }
  // Say why nothing would go out rather than send nothing without a word.
  for (const std::string& refusal : {MissingFields(), MailerProblem()}) {
    if (!refusal.empty()) {
      Tell(refusal);
      return;
    }
  }
  if (prompt_.Show("テストメールを送信します。送信しますか？", "", PromptButtons::kYesNo) !=
      PromptAnswer::kYes)
    return;
  UniqueMail mail = MakeTestMail();
  if (!mail) return;
  const int32_t sent = library_.sendmail(mail.get(), mail.get()->sm_text);
  if (sent == kSendStillRunning) {
    Tell("メールソフトが終了しないまま時間が過ぎました。送信されたかどうかは分かりません。");
  } else if (sent != 0) {
    Tell("メールソフトを起動できませんでした。\n" + SjisToUtf8(settings_.m_sm_path));
  }
}

void SMailPage::Preview() {
  if (!library_.IsBound()) {
    Tell("DLLが読み込まれていません");
    return;
  }
  const UniqueMail mail = MakeTestMail();
  if (!mail) {
    Tell("プレビューの作成に失敗しました");
    return;
  }
  launcher_.ShellOpen(SjisToUtf8(LibraryPreviewPath()), "");
}

std::string SMailPage::ExplanationText() {
  const UniqueMail mail = InitMail(nullptr, 0);
  if (!mail) return std::string();
  std::string text = "テンプレート内の以下の文字列は、\n\n";
  MailTemplate* it = library_.template_explain_top(mail.get());
  const char* key = nullptr;
  const char* description = nullptr;
  while (it != nullptr && library_.template_explain_get_and_next(it, &key, &description)) {
    text += SjisToUtf8(key ? key : "");
    text += " -> ";
    text += SjisToUtf8(description ? description : "");
    text += "\n";
  }
  text += "\nのような内容に置き換えられます。";
  return text;
}

void SMailPage::ExplainTemplate() {
  if (!library_.IsBound()) {
    Tell("読み込みに失敗しました。");
    return;
  }
  const std::string text = ExplanationText();
  if (!text.empty()) Tell(text);
}

void SMailPage::EditTemplate() {
  if (!settings_.m_sm_temp_path.empty())
    launcher_.ShellOpen(SjisToUtf8(settings_.m_sm_temp_path), "");
}

bool SMailPage::AcceptMailerPath(const std::string& path) {
  if (path.empty()) {
    Tell("exeファイルを指定して下さい");
    return false;
  }
  if (CheckProgramFile(SjisToUtf8(path)) == ProgramFileCheck::kCommandScript) {
    Tell(MailerProblemFor(path));
    return false;
  }
  settings_.m_sm_path = path;
  return true;
}

bool SMailPage::AcceptTemplatePath(const std::string& path) {
  if (path.empty()) {
    Tell("Templateファイルを指定して下さい");
    return false;
  }
  settings_.m_sm_temp_path = path;
  return true;
}
