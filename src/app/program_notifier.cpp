#include "app/program_notifier.h"

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

}  // namespace

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
                                   IBalloon& balloon, IWindowFacts* facts)
    : settings_(settings), sender_(sender), balloon_(balloon), facts_(facts) {}

void CProgramNotifier::WindowEnded(const ScheduleEntry& entry) {
  bool fullyAwake = true;
  const NotifyFacts facts = FactsOf(NotifyEvent::kWindowEnd, entry, &fullyAwake);
  const bool trouble = !fullyAwake && settings_.balloon_trouble;
  Notify(facts, settings_.balloon_end != 0 || trouble, settings_.webhook_on_end != 0, trouble);
}

void CProgramNotifier::WindowMissed(const ScheduleEntry& entry) {
  Notify(FactsOf(NotifyEvent::kWindowMissed, entry, nullptr), settings_.balloon_trouble != 0,
         settings_.webhook_on_missed != 0, true);
}

void CProgramNotifier::WakeTimerRefused() {
  if (settings_.balloon_trouble)
    balloon_.ShowBalloon("Nimbra",
                         "ウェイクタイマーを設定できません。次の予定まで、スリープせずに待機します。",
                         true);
}

void CProgramNotifier::NotReady(const std::string& cause) {
  if (!settings_.webhook_on_not_ready || settings_.webhook_url.empty()) return;
  NotifyFacts facts;
  facts.event = NotifyEvent::kNotReady;
  facts.cause = cause;
  sender_.Enqueue(MakeWebhookJob(settings_, facts));
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

void CProgramNotifier::Notify(const NotifyFacts& facts, bool balloon, bool webhook, bool warning) {
  if (balloon) {
    const NotifyText text = ComposeNotifyText(kDefaultNotifySubject, kDefaultNotifyBody, facts);
    balloon_.ShowBalloon(text.subject, text.body, warning);
  }
  if (webhook && !settings_.webhook_url.empty()) sender_.Enqueue(MakeWebhookJob(settings_, facts));
}
