#pragma once
// What a notification says: the subject and body of each channel, expanded
// from its templates with the schedule record's keys (the same expansion as
// the mail library's template) and the program's own keys for the event, the
// window's verdict, its cause and the next wake.
#include <string>
#include <string_view>
#include <vector>

#include "boundary/nimbra_boundary.h"
#include "boundary/template_keys.h"

// What a notification is about.
enum class NotifyEvent {
  kWindowEnd,     // a window ended (after the end processing)
  kWindowMissed,  // a window passed while the PC was off or asleep
  kNotReady,      // the wake readiness turned "not ready"
  kSendFailed,    // a notification could not be sent (told by the balloon only)
  kTest,          // the page's test button
};

// The event's name as the generic webhook sends it ("window_end" …).
std::string_view NotifyEventName(NotifyEvent event);
// The event as the user reads it ("予定終了" …).
std::string_view NotifyEventText(NotifyEvent event);

// Everything a template can say about one event. Texts are UTF-8; the
// record's title is Shift-JIS, as stored. verdict, cause and wake time stay
// empty where they are not known (a verdict only once the journal judged the
// window).
struct NotifyFacts {
  NotifyEvent event = NotifyEvent::kWindowEnd;
  ScheduleEntry entry{};
  std::string verdict;
  std::string cause;
  std::string wake_time;
};

// The program's own keys with their descriptions, for the page.
struct NotifyKeyDescription {
  const char* key;
  const char* description;  // UTF-8
};
extern const std::vector<NotifyKeyDescription> kNotifyKeyDescriptions;
// Every key a template can hold, described: the program's own, then the
// schedule record's (the mail template's keys, with the mail page's words).
std::vector<NotifyKeyDescription> AllNotifyKeys();

// Every key with its value in UTF-8, in replacement order: the program's own
// keys first (their values never hold a key), then the record's.
std::vector<TemplateKeyValue> NotifyKeyValues(const NotifyFacts& facts);

// A template (UTF-8) with every key replaced.
std::string ExpandNotifyTemplate(std::string_view templ, const NotifyFacts& facts);

// A template as the settings file keeps it (one line: a line break is
// written "\n", a backslash "\\"), both sides in UTF-8.
std::string TemplateToStored(std::string_view text);
std::string TemplateFromStored(std::string_view stored);

// The default templates, the same for every channel.
extern const char* const kDefaultNotifySubject;
extern const char* const kDefaultNotifyBody;

// A subject and a body, in UTF-8.
struct NotifyText {
  std::string subject;
  std::string body;
};
NotifyText ComposeNotifyText(std::string_view subjectTemplate, std::string_view bodyTemplate,
                             const NotifyFacts& facts);

// The sample facts a test send uses: a made-up evening programme.
NotifyFacts SampleNotifyFacts();
