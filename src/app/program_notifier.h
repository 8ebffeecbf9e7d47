#pragma once
// The program's notifications as the scheduler hands them over: the tray
// balloon, the webhook and the mail, each as the 通知 settings switch them,
// with texts from the templates. Everything here runs on the interface thread
// and only hands over: the webhook and the mail go out on the sender's worker.
#include <string>

#include "app/window_facts.h"
#include "engine/scheduler.h"
#include "notify/notify_sender.h"
#include "notify/secret.h"
#include "platform/clock.h"
#include "schedule/settings_file.h"

// The tray balloon (the notification area's icon); the view shows it.
class IBalloon {
 public:
  virtual ~IBalloon() = default;
  // title and text in UTF-8; warning: shown with the warning icon.
  virtual void ShowBalloon(const std::string& title, const std::string& text, bool warning) = 0;
};

// The webhook job the settings ask for facts: the templates (Shift-JIS as
// stored, empty for the built-in ones) expanded, the body as the kind wants
// it. The URL is taken as it is; the sender checks it.
WebhookJob MakeWebhookJob(const NotifySettings& settings, const NotifyFacts& facts);

// What a mail needs besides its settings: the sealer that opens the stored
// password and the clock that dates the message.
struct MailTools {
  ISecretSealer& sealer;
  const IClock& clock;
};

// The mail account of the stored settings, the password opened; "" or why it
// cannot send (no server: the channel is off, and says so).
std::string MailAccountOf(const NotifySettings& settings, ISecretSealer& sealer,
                          MailAccount& account);

// The mail job the settings ask for facts: the account with its password, and
// the whole message (the templates, Shift-JIS as stored, expanded). false,
// with why, when the settings cannot send (the job is made all the same).
bool MakeMailJob(const NotifySettings& settings, const NotifyFacts& facts, MailTools& tools,
                 MailJob& job, std::string& problem);

class CProgramNotifier : public IWindowNotifier {
 public:
  // settings: the document's, read at each event (the page may change them).
  // facts: the window's verdict and the next wake (none: left empty);
  // mail: null where no mail is sent.
  CProgramNotifier(const NotifySettings& settings, CNotifySender& sender, IBalloon& balloon,
                   IWindowFacts* facts = nullptr, MailTools* mail = nullptr);

  // The end: the balloon when the user asked for one at every end, or as
  // trouble when the journal found the window not fully awake.
  void WindowEnded(const ScheduleEntry& entry) override;
  void WindowMissed(const ScheduleEntry& entry) override;
  void WakeTimerRefused() override;
  // The wake readiness found something new that keeps the PC from waking
  // (told by its own notice; here only the webhook, cause in words).
  void NotReady(const std::string& cause);
  // A notification could not be sent (the sender tells the first failure
  // only, until a send works again).
  void SendFailed(const std::string& reason);

 private:
  NotifyFacts FactsOf(NotifyEvent event, const ScheduleEntry& entry, bool* fullyAwake);
  void Notify(const NotifyFacts& facts, bool balloon, bool webhook, bool mail, bool warning);
  void Mail(const NotifyFacts& facts);

  const NotifySettings& settings_;
  CNotifySender& sender_;
  IBalloon& balloon_;
  IWindowFacts* facts_;
  MailTools* mail_;
};
