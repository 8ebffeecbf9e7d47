#pragma once
// Webhook posts through WinHTTP, the system's HTTP client.
#include "notify/notify_sender.h"

class CWinHttpPoster : public IWebhookPoster {
 public:
  PostOutcome Post(const WebhookUrl& url, const WebhookRequest& request,
                   const PostLimits& limits) override;
};
