#include "plugin/smail_page.h"

#include <cstdio>
#include <cstring>

#include "platform/file.h"
#include "platform/launcher.h"
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

SMailEnabling SMailControlsEnabled(bool mailOn, bool templateOn) {
  return SMailEnabling{mailOn, mailOn && templateOn};
}

SMailPage::SMailPage(IPrompt& prompt, ILauncher& launcher, std::string settingsPath,
                     const std::string& libraryFolder)
    : prompt_(prompt), launcher_(launcher), settingsPath_(std::move(settingsPath)) {
  std::memset(&param_, 0, sizeof param_);
  Load();
  library_.Load(libraryFolder, kMailLibraryFile, prompt_);
}

SMailPage::~SMailPage() = default;

int SMailPage::Load() {
  settings_ = LoadSMailSettings(ProfileStore::Load(settingsPath_));
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

void SMailPage::Run() {
  if (!settings_.m_sm_enable_check || !library_.IsBound()) return;
  UniqueMail mail = InitMail(kPreviewFile, MailFlagsFor(settings_));
  if (!mail) return;
  // The library gets a copy: the stored record stays as the program set it.
  ScheduleEntry data;
  static_assert(sizeof data == sizeof param_, "the mail record is the plug-in record");
  std::memcpy(&data, &param_, sizeof data);
  library_.set_schdata2mail(mail.get(), &data);
  library_.sendmail(mail.get(), mail.get()->sm_text);
}

UniqueMail SMailPage::MakeTestMail(const char* file) {
  if (!library_.IsBound()) return UniqueMail();
  UniqueMail mail = InitMail(file, MailFlagsFor(settings_));
  if (!mail) return mail;
  ScheduleEntry data = MakeTestRecord();
  library_.set_schdata2mail(mail.get(), &data);
  // With a template the library has written the body itself; otherwise the
  // file shows the argument text.
  if (!settings_.m_sm_temp_check) {
    if (UniqueFile f{OpenFile(file, "w")}) {
      if (mail.get()->sm_text) std::fputs(mail.get()->sm_text, f.get());
    }
  }
  return mail;
}

void SMailPage::Tell(const std::string& text) { prompt_.Show(text, "", PromptButtons::Ok); }

void SMailPage::SendTestMail() {
  if (!library_.IsBound()) {
    Tell("DLLが読み込まれていません");
    return;
  }
  if (prompt_.Show("テストメールを送信します。送信しますか？", "", PromptButtons::YesNo) !=
      PromptAnswer::Yes)
    return;
  if (UniqueMail mail = MakeTestMail(kPreviewFile)) {
    library_.sendmail(mail.get(), mail.get()->sm_text);
  }
}

void SMailPage::Preview() {
  if (!library_.IsBound()) {
    Tell("DLLが読み込まれていません");
    return;
  }
  const UniqueMail mail = MakeTestMail(kPreviewFile);
  if (!mail) {
    Tell("プレビューの作成に失敗しました");
    return;
  }
  launcher_.ShellOpen(kPreviewFile, "");
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
