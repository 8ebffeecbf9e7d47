// The tick's worst gap while a webhook post hangs, against the same without
// one (make notify-tick; not part of make test: on a loaded machine a single
// late timer message would fail it at random). A thread timer of the tick's
// 200 ms hands a window's end to the real notifier and sender on every tick,
// as the scheduler's end processing does; in the second run the address is a
// loopback server that accepts the post and never answers, so the worker
// hangs in WinHTTP all through it. Prints both runs' mean and worst gaps and
// whether the hanging send added at most 50 ms to the worst.
#include "support/loopback_http_server.h"  // winsock2.h before windows.h

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/program_notifier.h"
#include "notify/win32/winhttp_poster.h"
#include "platform/debug_log.h"

namespace {

constexpr int kTicks = 50;  // ten seconds of ticks per run
constexpr double kBoundMs = 50;

class NoBalloon : public IBalloon {
 public:
  void ShowBalloon(const std::string&, const std::string&, bool) override {}
};

struct TickRun {
  CProgramNotifier* notifier = nullptr;
  ScheduleEntry entry{};
  std::vector<double> stamps;  // milliseconds of each tick
};
TickRun* g_run = nullptr;

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
  g_run->stamps.push_back(NowMs());
  g_run->notifier->WindowEnded(g_run->entry);
  if (static_cast<int>(g_run->stamps.size()) > kTicks) PostQuitMessage(0);
}

struct Gaps {
  double mean = 0, worst = 0;
};

Gaps Run(CProgramNotifier& notifier) {
  TickRun run;
  run.notifier = &notifier;
  run.entry.s = SystemTime{2030, 5, 5, 10, 21, 0, 0, 0};
  run.entry.e = SystemTime{2030, 5, 5, 10, 21, 54, 0, 0};
  lstrcpynA(run.entry.title, "tick", sizeof run.entry.title);
  g_run = &run;
  const UINT_PTR timer = SetTimer(nullptr, 0, 200, &OnTick);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  KillTimer(nullptr, timer);
  g_run = nullptr;
  Gaps gaps;
  for (size_t i = 1; i < run.stamps.size(); ++i) {
    const double gap = run.stamps[i] - run.stamps[i - 1];
    gaps.worst = std::max(gaps.worst, gap);
    gaps.mean += gap / static_cast<double>(run.stamps.size() - 1);
  }
  return gaps;
}

}  // namespace

int wmain() {
  CDebugLog log;
  CWinHttpPoster poster;
  NoBalloon balloon;
  NotifySettings settings;
  settings.webhook_kind = 3;
  Gaps quiet, hanging;
  bool hangingThroughout = false;
  {
    // Without a send: no address, the same hand-over on every tick.
    CNotifySender sender(poster, log, NotifyReports());
    CProgramNotifier notifier(settings, sender, balloon);
    quiet = Run(notifier);
  }
  {
    OneRequestServer server(0);
    settings.webhook_url = "http://127.0.0.1:" + std::to_string(server.port) + "/hook";
    PostLimits limits;
    limits.total_ms = 15000;  // longer than the run: the post hangs throughout
    CNotifySender sender(poster, log, NotifyReports(), limits);
    CProgramNotifier notifier(settings, sender, balloon);
    hanging = Run(notifier);
    // The worker is still in the first post: the run measured a hanging send.
    hangingThroughout = !sender.WaitIdle(0);
  }
  std::printf("tick gaps over %d ticks of 200 ms (mean / worst, ms)\n", kTicks);
  std::printf("  without a send        %7.1f / %7.1f\n", quiet.mean, quiet.worst);
  std::printf("  while a send hangs    %7.1f / %7.1f%s\n", hanging.mean, hanging.worst,
              hangingThroughout ? "" : "  (the post did not hang: not measured)");
  const double added = hanging.worst - quiet.worst;
  std::printf("  worst gap added: %.1f ms (bound %.0f ms): %s\n", added, kBoundMs,
              added <= kBoundMs ? "within" : "OVER");
  return added <= kBoundMs && hangingThroughout ? 0 : 1;
}
