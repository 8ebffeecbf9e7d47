#pragma once
// The mail page without its window: the settings, the bound mail library, the
// stored schedule record, sending the mail at a schedule's end, and what the
// page's buttons do (test mail, preview, explanation, template editing). The
// Win32 page moves the settings between its controls and this object and
// calls these operations from its handlers.
#include <string>

#include "boundary/nimbra_boundary.h"
#include "plugin/mail_library.h"
#include "plugin/plugin_page.h"
#include "plugin/smail_settings.h"

class CDebugLog;
class IPrompt;
class ILauncher;

// The file the mail body, the test mail and the preview are written to,
// beside the settings file (never in the current folder, which may be a
// download folder).
constexpr const char* kPreviewFile = "tempo-----.txt";
constexpr const char* kMailLibraryFile = "Pellux.dll";

// The record of the test mail and the preview.
ScheduleEntry MakeTestRecord();

// Which parts of the page are enabled: every control but the mail switch
// while mail is on, the template group only while mail is on and the template
// is in use. The page window knows which controls form each part.
struct SMailEnabling {
  bool mail;
  bool templateGroup;
};
SMailEnabling SMailControlsEnabled(bool mailOn, bool templateOn);

class SMailPage final : public PluginPage {
 public:
  // Reads the settings from settingsPath, then binds the mail library from
  // libraryFolder (its errors are reported at once). A mail that does not go
  // out at a schedule's end is noted in log, when there is one.
  SMailPage(IPrompt& prompt, ILauncher& launcher, std::string settingsPath,
            const std::string& libraryFolder, CDebugLog* log = nullptr);
  ~SMailPage() override;

  int Load() override;
  // Writes the nine keys into the settings file, keeping everything else in
  // it; 0 when the file cannot be written.
  int Save() override;
  // Sends the mail for the stored record when mail is on and the library
  // is bound; a mailer that may not be started is not, and a mailer still
  // running after the library's wait is left running. Both are logged.
  void Run() override;
  int SetParam(const void* data) override;

  SMailSettings& Settings() { return settings_; }
  const SMailSettings& Settings() const { return settings_; }
  bool IsBound() const { return library_.IsBound(); }
  const ScheduleEntry& StoredParam() const { return param_; }
  const std::string& SettingsPath() const { return settingsPath_; }
  // The full path of the body and preview file (UTF-8).
  std::string PreviewPath() const;

  // Why the mailer of the settings may not be started (UTF-8), or empty when
  // it may: a full path to an existing program that is not a batch file.
  std::string MailerProblem() const;
  // The page's fields a test mail cannot do without that are empty, as one
  // text naming them (UTF-8); empty when none is.
  std::string MissingFields() const;

  // A mail object for the test record, its body or argument text written to
  // the preview file; empty when the library is not bound or refuses the
  // settings.
  UniqueMail MakeTestMail();

  // The buttons of the page.
  void SendTestMail();
  void Preview();
  void ExplainTemplate();
  void EditTemplate();
  // A path chosen in a file dialog: taken when it is not empty (and, for the
  // mailer, not a batch file), else reported. True when taken.
  bool AcceptMailerPath(const std::string& path);
  bool AcceptTemplatePath(const std::string& path);

  // The text the explanation shows, from the library's key listing (UTF-8);
  // empty when the library gives no mail object.
  std::string ExplanationText();

 private:
  UniqueMail InitMail(const char* file, int32_t flags);
  // The preview file as the mail library takes it (Shift-JIS): its full path,
  // or its bare name (the current folder, which the program makes its own)
  // when the folder's name has no Shift-JIS form.
  std::string LibraryPreviewPath() const;
  void Tell(const std::string& text);

  IPrompt& prompt_;
  ILauncher& launcher_;
  CDebugLog* log_;
  std::string settingsPath_;
  SMailSettings settings_;
  ScheduleEntry param_{};
  MailLibrary library_;
};
