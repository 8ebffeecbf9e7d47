#include "notify/notify_message.h"

#include <cstring>

#include "platform/sjis_texts.h"
#include "platform/text.h"

const std::vector<NotifyKeyDescription> kNotifyKeyDescriptions = {
    {"SCH_EVENT", "通知の種類"},
    {"SCH_VERDICT", "判定（起きていたか）"},
    {"SCH_CAUSE", "判定の理由"},
    {"SCH_WAKE_TIME", "次回起動の時刻"},
};

std::vector<NotifyKeyDescription> AllNotifyKeys() {
  std::vector<NotifyKeyDescription> keys = kNotifyKeyDescriptions;
  const NotifyKeyDescription record[] = {
      {"SCH_TITLE", kSjisTitle.utf8},
      {"SCH_START_DATE", kSjisStartDate.utf8},
      {"SCH_START_TIME", kSjisStartTime.utf8},
      {"SCH_END_DATE", kSjisEndDate.utf8},
      {"SCH_END_TIME", kSjisEndTime.utf8},
      {"SCH_LOOP_FLAG", kSjisLoopFlag.utf8},
      {"SCH_TERM_FLAG", kSjisTermFlag.utf8},
      {"SCH_TERM_START_DATE", kSjisTermStartDate.utf8},
      {"SCH_TERM_END_DATE", kSjisTermEndDate.utf8},
  };
  keys.insert(keys.end(), std::begin(record), std::end(record));
  return keys;
}

const char* const kDefaultNotifySubject = "[Nimbra] SCH_EVENT: SCH_TITLE";
const char* const kDefaultNotifyBody =
    "SCH_EVENT\n"
    "番組: SCH_TITLE\n"
    "時間: SCH_START_DATE SCH_START_TIME - SCH_END_DATE SCH_END_TIME\n"
    "判定: SCH_VERDICT SCH_CAUSE\n"
    "次回起動: SCH_WAKE_TIME\n";

std::string_view NotifyEventName(NotifyEvent event) {
  switch (event) {
    case NotifyEvent::kWindowEnd: return "window_end";
    case NotifyEvent::kWindowMissed: return "window_missed";
    case NotifyEvent::kNotReady: return "not_ready";
    case NotifyEvent::kSendFailed: return "send_failed";
    case NotifyEvent::kTest: return "test";
  }
  return "unknown";
}

std::string_view NotifyEventText(NotifyEvent event) {
  switch (event) {
    case NotifyEvent::kWindowEnd: return "予定終了";
    case NotifyEvent::kWindowMissed: return "予定を逃しました";
    case NotifyEvent::kNotReady: return "スリープ復帰の準備ができていません";
    case NotifyEvent::kSendFailed: return "通知を送れませんでした";
    case NotifyEvent::kTest: return "テスト送信";
  }
  return "";
}

std::vector<TemplateKeyValue> NotifyKeyValues(const NotifyFacts& facts) {
  std::vector<TemplateKeyValue> values = {
      {"SCH_EVENT", std::string(NotifyEventText(facts.event))},
      {"SCH_VERDICT", facts.verdict},
      {"SCH_CAUSE", facts.cause},
      {"SCH_WAKE_TIME", facts.wake_time},
  };
  for (TemplateKeyValue& kv : ScheduleKeyValues(facts.entry)) {
    values.push_back({std::move(kv.key), SjisToUtf8(kv.value)});
  }
  return values;
}

std::string ExpandNotifyTemplate(std::string_view templ, const NotifyFacts& facts) {
  return ExpandKeys(std::string(templ), NotifyKeyValues(facts));
}

std::string TemplateToStored(std::string_view text) {
  std::string stored;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\') {
      stored += "\\\\";
    } else if (c == '\r') {
      stored += "\\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      stored += "\\n";
    } else {
      stored += c;
    }
  }
  return stored;
}

std::string TemplateFromStored(std::string_view stored) {
  std::string text;
  for (size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] == '\\' && i + 1 < stored.size() && (stored[i + 1] == 'n' || stored[i + 1] == '\\')) {
      text += stored[i + 1] == 'n' ? '\n' : '\\';
      ++i;
    } else {
      text += stored[i];
    }
  }
  return text;
}

NotifyText ComposeNotifyText(std::string_view subjectTemplate, std::string_view bodyTemplate,
                             const NotifyFacts& facts) {
  const std::vector<TemplateKeyValue> values = NotifyKeyValues(facts);
  NotifyText text{ExpandKeys(std::string(subjectTemplate), values),
                  ExpandKeys(std::string(bodyTemplate), values)};
  // A subject is one line, whatever the title holds.
  for (char& c : text.subject) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  return text;
}

NotifyFacts SampleNotifyFacts() {
  NotifyFacts facts;
  facts.event = NotifyEvent::kTest;
  facts.entry.s = SystemTime{2026, 12, 4, 24, 21, 0, 0, 0};
  facts.entry.e = SystemTime{2026, 12, 4, 24, 22, 54, 0, 0};
  const std::string title = Utf8ToSjis("テスト番組");
  std::memcpy(facts.entry.title, title.data(),
              title.size() < sizeof facts.entry.title ? title.size()
                                                      : sizeof facts.entry.title - 1);
  facts.verdict = "全時間起動";
  facts.wake_time = "12/25 20:59";
  return facts;
}
