#include "app/win/nimbra_app.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "app/notify_power.h"
#include "app/plugin_host.h"
#include "app/power_log.h"
#include "app/program_options.h"
#include "app/program_services.h"
#include "app/win/instance_handover.h"
#include "app/win/main_frame.h"
#include "app/win/nimbra_view.h"
#include "app/win/program_power.h"
#include "app/win/settings_saver.h"
#include "engine/journal.h"
#include "engine/journal_recorder.h"
#include "engine/notice_board.h"
#include "engine/power_control.h"
#include "engine/win/progress_sub_dlg.h"
#include "framework/controls.h"
#include "framework/message_box.h"
#include "framework/message_loop.h"
#include "notify/notify_sender.h"
#include "notify/win32/curl_mailer.h"
#include "notify/win32/dpapi_sealer.h"
#include "notify/win32/winhttp_poster.h"
#include "platform/clock.h"
#include "platform/debug_log.h"
#include "platform/launcher.h"
#include "platform/power_readings.h"
#include "platform/program_path.h"
#include "platform/prompt.h"
#include "platform/settings_path.h"
#include "platform/startup_entries.h"
#include "platform/system_registry.h"
#include "platform/win32/handle.h"
#include "platform/win32/library_search.h"
#include "platform/win32/text_win.h"
#include "platform/text.h"
#include "schedule/nimbra_doc.h"
#include "schedule/time_rules.h"

namespace {

// How many windows missed while the program was not running are notified at
// its start (the latest; the journal keeps every one).
constexpr size_t kMissedToldAtStart = 5;

// The second start's side of the hand-over: the file's full path as this
// start resolved it, sent as UTF-16; the process ends without a box when the
// running program took it.
int HandOverToRunningProgram(const std::wstring& path) {
  // The running program may itself be starting: it gets ten seconds.
  switch (HandOverIepgFile(path, 10000)) {
    case HandoverResult::kHanded:
      return 0;
    case HandoverResult::kRefused:
      AppMessageBox(nullptr, L"起動中のNimbraはこのファイルを受け取りませんでした。\n" + path, MB_OK);
      return 1;
    case HandoverResult::kNoReceiver:
      break;
  }
  AppMessageBox(nullptr, L"起動中のNimbraにiEPGファイルを渡せませんでした。\n" + path, MB_OK);
  return 1;
}

}  // namespace

int CNimbraApp::Run(const std::vector<std::wstring>& args) {
  const LibrarySearch librarySearch = RestrictLibrarySearch();
  InitCommonControlsOnce();

  std::vector<std::string> arguments;
  for (size_t i = 1; i < args.size(); ++i) arguments.push_back(WideToUtf8(args[i]));
  ProgramOptions options = ParseProgramArguments(arguments);
  // The file as the shell meant it, named from the folder the program was
  // started in (a download folder), before the folder changes; the same for
  // a dry run's log named in the environment.
  options.iepgFile = FullPathOf(options.iepgFile);
  const std::string powerLogVariable = FullPathOf(PowerLogVariable());
  const std::string programPath = ProgramPath();
  const std::string settingsPath = SettingsPathFor(programPath);
  // From here on the current folder is the program's own: nothing is read
  // from the folder it was started in, nor written to it (Toolbar.bmp, for
  // one, is the program's).
  const bool inOwnFolder = SetCurrentFolder(DirectoryOf(programPath));

  // One instance only: the mutex, named with the application title, lives as
  // long as the process.
  UniqueHandle instanceMutex(CreateMutexW(nullptr, TRUE, AppTitle().c_str()));
  const bool running = instanceMutex && GetLastError() == ERROR_ALREADY_EXISTS;
  // A second start with an iEPG file (a click in the browser while the
  // program runs, usually in the tray) hands the file to the running one.
  if (running && !options.iepgFile.empty())
    return HandOverToRunningProgram(Utf8ToWide(options.iepgFile));
  if (!instanceMutex || running) {
    AppMessageBox(nullptr, std::wstring(L"二重起動はできません"), MB_OK);
    return 1;
  }

  // The program's services, made here once and handed down.
  CDebugLog log;
  const std::unique_ptr<ILauncher> launcher = MakeSystemLauncher(log);
  const DryRun dryRun =
      ResolveDryRun(options.dryRun, powerLogVariable, DryRunUnmarkedVariable(), settingsPath);
  const std::unique_ptr<IPowerReadings> powerReadings = MakeSystemPowerReadings(log);
  const std::unique_ptr<IStartupEntries> startupEntries = MakeSystemStartupEntries(log);
  // Every message goes through the board: inside the scheduler's tick and
  // before the window exists it is queued and shown by the window later.
  CNoticeBoard notices(SystemPrompt());
  const std::unique_ptr<IPower> systemPower = MakeProgramPower(dryRun, notices, log);
  // The notifications' sender: its worker posts; what it reports reaches the
  // view through the relay, on the interface thread.
  CUiRelay notifyRelay;
  CNimbraView* notifyView = nullptr;
  NotifyReports notifyReports;
  notifyReports.failed = [&notifyRelay, &notifyView](const std::string& reason) {
    notifyRelay.Post([&notifyView, reason] {
      if (notifyView) notifyView->NotifySendFailed(reason);
    });
  };
  CWinHttpPoster webhookPoster;
  CCurlMailer mailer(log);
  CNotifySender notifySender(webhookPoster, &mailer, log, notifyReports);
  CDpapiSealer passwordSealer;
  MailTools mailTools{passwordSealer, SystemClock()};
  CNotifyingPower notifyingPower(*systemPower, notifySender);
  IPower* const power = &notifyingPower;
  CJournalFile journalFile(JournalPathBeside(settingsPath));
  CJournalFileSink journalSink(journalFile);
  CJournalRecorder journal(journalSink);
  const ProgramServices services{SystemClock(),    notices,               *launcher,
                                 SystemRegistry(),  *power,                *powerReadings,
                                 *startupEntries,   log,                   programPath,
                                 dryRun.on,         &notices,              dryRun.titleMark,
                                 &journal};

  CNimbraDoc doc(services.clock, services.prompt, log, settingsPath);
  {
    // What the load has to tell waits until the window is up.
    CNoticeBoard::Hold hold(notices);
    doc.LoadSettings();
  }
  log.Start(services.clock.LocalNow());
  if (librarySearch == LibrarySearch::kWithoutCurrentFolder)
    log.Write("library search: SetDefaultDllDirectories missing, current folder left out only");
  else if (librarySearch == LibrarySearch::kUnchanged)
    log.Write("library search: not narrowed (SetDefaultDllDirectories and SetDllDirectoryW missing)");
  if (!inOwnFolder) log.Write("current folder: cannot change to the program's folder");
  if (!options.iepgFile.empty()) doc.AppInfo().SetStartWithFile(1);
  std::vector<ScheduleEntry> missedAtStart;
  {
    // The journal learns of the windows that passed while the program was
    // not running, and drops its oldest windows now and then.
    const std::vector<JournalEvent> earlier = journalFile.Load();
    if (!journalFile.Trim()) log.Write("journal: cannot drop the oldest windows\n");
    // The table's windows and the occurrences the load moved its repeats on from.
    std::vector<ScheduleEntry> entries;
    const ScheduleTable& table = doc.Table();
    for (int i = 0; i < table.GetScheduleCount(); ++i) entries.push_back(*table.GetSchedule(i));
    entries.insert(entries.end(), doc.EndedAtLoad().begin(), doc.EndedAtLoad().end());
    std::vector<JournalWindowRef> passed;
    std::vector<ScheduleEntry> passedEntries;
    for (const ScheduleEntry& e : entries) {
      JournalWindowRef ref{TimeToSeconds(e.s), TimeToSeconds(e.e), SjisToUtf8(e.title)};
      const bool known = std::any_of(passed.begin(), passed.end(), [&ref](const JournalWindowRef& p) {
        return p.start == ref.start && p.title == ref.title;
      });
      if (known) continue;
      passed.push_back(std::move(ref));
      passedEntries.push_back(e);
    }
    const std::vector<JournalWindowRef> missed =
        journal.ProgramStarted(LocalSecondsNow(services.clock), options.tray, earlier, passed);
    if (!missed.empty())
      log.Write("journal: %d window(s) passed while the program was not running\n",
                static_cast<int>(missed.size()));
    // Told by the notifications once the view is up (they are made with it):
    // the latest few, not a post for each day of a long absence.
    for (const JournalWindowRef& w : missed)
      for (size_t i = 0; i < passed.size(); ++i)
        if (passed[i].start == w.start && passed[i].title == w.title) {
          missedAtStart.push_back(passedEntries[i]);
          break;
        }
    std::sort(missedAtStart.begin(), missedAtStart.end(),
              [](const ScheduleEntry& a, const ScheduleEntry& b) {
                return TimeToSeconds(a.s) < TimeToSeconds(b.s);
              });
    if (missedAtStart.size() > kMissedToldAtStart)
      missedAtStart.erase(missedAtStart.begin(), missedAtStart.end() - kMissedToldAtStart);
  }
  CSettingsSaver saver(doc);

  int exitCode = 0;
  {
    // What the view runs on, made here and kept until the frame and its view
    // have gone: the plug-in host, the power steps with the wake-up timer's
    // name from the settings, and the countdown windows on the main window's
    // monitor.
    CPluginHost pluginHost(services.prompt, PluginPathFor(programPath));
    const char* timerName = doc.AppInfo().GetWakeupTimerName();
    CPowerControl powerControl(services.power, services.prompt, services.clock, log,
                               timerName ? timerName : "", &services.powerReadings);
    CProgressSubDlgFactory countdownWindows(nullptr, &log);
    const ViewParts parts{pluginHost,    powerControl, countdownWindows,
                          &notifySender, &notifyRelay, std::move(missedAtStart),
                          &mailTools};
    CMainFrame frame(doc, saver, services, parts);
    countdownWindows.AnchorOn(&frame);
    if (frame.Create()) {
      CNimbraView* view = frame.GetView();
      notifyView = view;
      if (auto* powerLog = dynamic_cast<CPowerLog*>(systemPower.get())) {
        // The dry run plays the sleep of the wake self-test (the view looks
        // whether the suspend was the test's).
        HWND viewWindow = view->GetHwnd();
        powerLog->SetSuspendListener([viewWindow] {
          PostMessageW(viewWindow, CNimbraView::kPlaySleepMessage, 0, 0);
        });
      }
      view->SetCommandLineFile(options.iepgFile);
      view->OnInitialUpdate();
      // Started at logon: straight into the tray. Where the notification
      // area takes no icon yet, the window shows, so it can still be reached.
      if (options.tray) view->Go2Tray();
      if (!view->IsInTray()) {
        ShowWindow(frame.GetHwnd(), SW_SHOW);
        UpdateWindow(frame.GetHwnd());
      }

      MessageLoopHooks hooks;
      hooks.preTranslate = [&frame](MSG& msg) {
        return frame.GetHwnd() && frame.PreTranslateMessage(msg);
      };
      hooks.onIdle = [&frame] {
        if (frame.GetHwnd()) frame.OnIdle();
      };
      hooks.acceleratorWindow = frame.GetHwnd();
      hooks.accelerators = frame.GetAccelerators();
      exitCode = RunMessageLoop(hooks);
      notifyView = nullptr;
    } else {
      AppMessageBox(nullptr, std::wstring(L"メインウインドウを作成できませんでした。"),
                    MB_OK | MB_ICONERROR);
      exitCode = 1;
    }
  }
  // The view has gone with the frame; the settings are saved once, last,
  // and a failure is asked about through the prompt service, since no later
  // save would make up for it.
  (void)doc.CommitAtExit();
  journal.ProgramEnding(LocalSecondsNow(services.clock), false);
  if (!journalSink.AllWritten()) log.Write("journal: a line could not be written to %s\n", journalFile.Path().c_str());
  log.End(services.clock.LocalNow());
  return exitCode;
}
