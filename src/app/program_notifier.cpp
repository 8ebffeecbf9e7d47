#include "app/program_notifier.h"

#include <atomic>

#include "notify/mail_message.h"
#include "platform/text.h"

namespace {

std::string TemplateOr(const std::string& sjis, const char* builtIn) {
  return sjis.empty() ? std::string(builtIn) : TemplateFromStored(SjisToUtf8(sjis));
}

WebhookKind KindOf(int32_t stored) {
  switch (stored) {
    case 1: return WebhookKind::kSlack;
    case 2: return WebhookKind::kNtfy;
    case 3: return WebhookKind::kGeneric;
    default: return WebhookKind::kDiscord;
  }
}

// Days since 1970-01-01 of a civil date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// How far the local time is ahead of UTC, in minutes.
int UtcOffsetMinutes(const SystemTime& local, int64_t utcSeconds) {
  const int64_t asUtc = DaysFromCivil(local.wYear, local.wMonth, local.wDay) * 86400 +
                        local.wHour * 3600 + local.wMinute * 60 + local.wSecond;
  const int64_t diff = asUtc - utcSeconds;
  return static_cast<int>((diff + (diff >= 0 ? 30 : -30)) / 60);
}

}  // namespace

std::string MailAccountOf(const NotifySettings& s, ISecretSealer& sealer, MailAccount& a) {
  a = MailAccount();
  if (s.mail_server.empty()) return "メールサーバーが設定されていません。";
  a.server = s.mail_server;
  a.port = s.mail_port;
  a.security = SecurityOfPort(s.mail_port);
  a.user = SjisToUtf8(s.mail_user);
  a.from = s.mail_from;
  if (!ReadStoredPassword(sealer, s.mail_password, a.password))
    return "保存されたパスワードを読めません。通知ページでパスワードを入れ直してください。";
  std::string bad;
  if (!ParseRecipients(s.mail_to, a.to, bad))
    return bad.empty() ? "宛先のメールアドレスがありません。"
                       : "宛先のメールアドレスが正しくありません: " + bad;
  return CheckMailAccount(a);
}

bool MakeMailJob(const NotifySettings& settings, const NotifyFacts& facts, MailTools& tools,
                 MailJob& job, std::string& problem) {
  job = MailJob();
  problem = MailAccountOf(settings, tools.sealer, job.account);
  const NotifyText text =
      ComposeNotifyText(TemplateOr(settings.mail_subject, kDefaultNotifySubject),
                        TemplateOr(settings.mail_body, kDefaultNotifyBody), facts);
  static std::atomic<unsigned> serial{0};
  MailMessage m;
  m.from = job.account.from;
  m.to = job.account.to;
  m.subject = text.subject;
  m.body = text.body;
  m.date = tools.clock.LocalNow();
  const int64_t now = tools.clock.SecondsNow();
  m.utc_offset_minutes = UtcOffsetMinutes(m.date, now);
  m.unique = "nimbra." + std::to_string(now) + "." + std::to_string(++serial);
  job.message = BuildMailMessage(m);
  job.test = facts.event == NotifyEvent::kTest;
  return problem.empty();
}

WebhookJob MakeWebhookJob(const NotifySettings& settings, const NotifyFacts& facts) {
  const NotifyText text =
      ComposeNotifyText(TemplateOr(settings.webhook_subject, kDefaultNotifySubject),
                        TemplateOr(settings.webhook_body, kDefaultNotifyBody), facts);
  WebhookJob job;
  job.url = settings.webhook_url;
  job.request = BuildWebhookRequest(KindOf(settings.webhook_kind), text, facts);
  job.test = facts.event == NotifyEvent::kTest;
  return job;
}

CProgramNotifier::CProgramNotifier(const NotifySettings& settings, CNotifySender& sender,
                                   IBalloon& balloon, IWindowFacts* facts, MailTools* mail)
    : settings_(settings), sender_(sender), balloon_(balloon), facts_(facts), mail_(mail) {}

void CProgramNotifier::WindowEnded(const ScheduleEntry& entry) {
  bool fullyAwake = true;
  const NotifyFacts facts = FactsOf(NotifyEvent::kWindowEnd, entry, &fullyAwake);
  const bool trouble = !fullyAwake && settings_.balloon_trouble;
  Notify(facts, settings_.balloon_end != 0 || trouble, settings_.webhook_on_end != 0,
         settings_.mail_on_end != 0, trouble);
}

void CProgramNotifier::WindowMissed(const ScheduleEntry& entry) {
  Notify(FactsOf(NotifyEvent::kWindowMissed, entry, nullptr), settings_.balloon_trouble != 0,
         settings_.webhook_on_missed != 0, settings_.mail_on_missed != 0, true);
}

void CProgramNotifier::WakeTimerRefused() {
  if (settings_.balloon_trouble)
    balloon_.ShowBalloon("Nimbra",
                         "ウェイクタイマーを設定できません。次の予定まで、スリープせずに待機します。",
                         true);
}

void CProgramNotifier::NotReady(const std::string& cause) {
  NotifyFacts facts;
  facts.event = NotifyEvent::kNotReady;
  facts.cause = cause;
  if (settings_.webhook_on_not_ready && !settings_.webhook_url.empty())
    sender_.Enqueue(MakeWebhookJob(settings_, facts));
  if (settings_.mail_on_not_ready) Mail(facts);
}

void CProgramNotifier::SendFailed(const std::string& reason) {
  if (settings_.balloon_trouble)
    balloon_.ShowBalloon(std::string(NotifyEventText(NotifyEvent::kSendFailed)), reason, true);
}

NotifyFacts CProgramNotifier::FactsOf(NotifyEvent event, const ScheduleEntry& entry,
                                      bool* fullyAwake) {
  NotifyFacts facts;
  facts.event = event;
  facts.entry = entry;
  if (!facts_) return facts;
  // The journal has the window's end (or its miss) by now, so the verdict is
  // final: nothing after the end changes it.
  const WindowVerdictFacts verdict = facts_->Verdict(entry);
  if (verdict.judged) {
    facts.verdict = verdict.verdict;
    facts.cause = verdict.cause;
    if (fullyAwake) *fullyAwake = verdict.fullyAwake;
  }
  facts.wake_time = facts_->NextWake();
  return facts;
}

void CProgramNotifier::Notify(const NotifyFacts& facts, bool balloon, bool webhook, bool mail,
                              bool warning) {
  if (balloon) {
    const NotifyText text = ComposeNotifyText(kDefaultNotifySubject, kDefaultNotifyBody, facts);
    balloon_.ShowBalloon(text.subject, text.body, warning);
  }
  if (webhook && !settings_.webhook_url.empty()) sender_.Enqueue(MakeWebhookJob(settings_, facts));
  if (mail) Mail(facts);
}

void CProgramNotifier::Mail(const NotifyFacts& facts) {
  if (!mail_ || settings_.mail_server.empty()) return;
  // A mail the settings cannot send still goes to the sender, which logs
  // why and tells it once, as for any failed send.
  MailJob job;
  std::string problem;
  (void)MakeMailJob(settings_, facts, *mail_, job, problem);
  sender_.Enqueue(std::move(job));
}

