#include "app/program.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "app/command_line.h"
#include "app/console_view.h"
#include "app/desktop_player.h"
#include "app/exit_signals.h"
#include "app/install_commands.h"
#include "app/installed_data.h"
#include "app/main_dialog.h"
#include "app/recording_repair.h"
#include "app/telephony_line_bank.h"
#include "app/telephony_providers.h"
#include "platform/alsa/sound_cards.h"
#include "platform/autostart.h"
#include "platform/dispatcher.h"
#include "platform/service_unit.h"
#include "platform/single_instance.h"
#include "platform/text_file.h"
#include "platform/user_paths.h"
#include "store/profile.h"
#include "store/settings_store.h"

namespace orvia {
namespace {

// How long /uninstall waits for a running instance to end when asked.
constexpr int kInstanceEndWaitMs = 15000;

// A root install without a chosen folder puts the data in the system's data
// folder (/var/lib/orvia), where the service finds it.
void PrepareSystemDataFolder() {
    if (::geteuid() != 0)
        return;
    if (const char* data = std::getenv("ORVIA_DATA"); data != nullptr && *data != '\0')
        return;
    const FolderEnvironment env;
    const std::string named = ReadProfileString(Store().FoldersFile(), "Folders", kFolderData, "");
    if (!named.empty() || !MakeFolders(env.systemDataFolder))
        return;
    SetStore(SettingsStore::Resolve(env));
}

// Asks the instance running on the data folder to end and waits until this
// process holds the instance claim (kept by instance for the removal).
bool EndRunningInstance(SingleInstance& instance) {
    if (instance.Claim(nullptr) == InstanceClaim::First)
        return true;
    instance.Send({InstanceNoticeKind::ExitRequest, false});
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kInstanceEndWaitMs);
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (instance.Claim(nullptr) == InstanceClaim::First)
            return true;
    }
    return false;
}

int Uninstall(const StartOptions& options, const ProgramIo& io) {
    SingleInstance instance(Store().DataFolder());
    LogonAutostart autostart(DefaultAutostartPaths());
    ProcessSystemdRunner runner;
    ServiceRegistration service(DefaultServicePaths(), runner);
    UninstallContext context;
    context.in = io.in;
    context.out = io.out;
    context.assumeYes = options.assumeYes;
    if (const char* home = std::getenv("HOME"))
        context.home = home;
    context.autostart = &autostart;
    context.service = &service;
    context.endRunningInstance = [&instance] { return EndRunningInstance(instance); };
    return RunUninstall(Store(), context);
}

int Run(const StartOptions& options, const std::function<std::unique_ptr<EventLoop>()>& makeLoop,
        const ProgramIo& io) {
    std::ostream& out = *io.out;
    std::ostream& err = *io.err;
    // Before any thread exists: from here on the signals are the exit request.
    if (!BlockExitSignals())
        err << "Orvia: cannot block SIGTERM and SIGINT" << std::endl;
    const std::unique_ptr<EventLoop> loop = makeLoop();
    Dispatcher& dispatcher = loop->GetDispatcher();
    SetCurrentDispatcher(&dispatcher);

    SingleInstance instance(Store().DataFolder());
    const bool logon = options.mode == StartMode::Logon;
    const InstanceClaim claim = instance.Claim([&dispatcher](const InstanceNotice& notice) {
        if (notice.kind == InstanceNoticeKind::ExitRequest)
            dispatcher.PostMessage(kMsgExitRequest);
        else
            dispatcher.PostMessage(kMsgSecondStart, 0, notice.logon ? 1 : 0);
    });
    if (claim == InstanceClaim::AlreadyRunning) {
        const bool sent = instance.Send({InstanceNoticeKind::SecondStart, logon});
        out << (sent ? "Orvia is already running for "
                     : "Orvia is already running but did "
                       "not answer, for ")
            << Store().DataFolder() << "; this start ends." << std::endl;
        SetCurrentDispatcher(nullptr);
        return sent ? 0 : 1;
    }
    if (claim == InstanceClaim::Failed) {
        err << "Orvia: cannot tell whether Orvia already runs (no usable runtime folder for "
               "its socket); not starting."
            << std::endl;
        SetCurrentDispatcher(nullptr);
        return 1;
    }

    const InstalledDataReport installed = InstallMissingData(Store());
    for (const std::string& path : installed.failed)
        err << "Orvia: could not create " << path << std::endl;
    // Before any line records: messages a crash cut short count all of
    // their audio again.
    for (const std::string& repaired : RepairCrashedRecordings(Store().MailBoxes()))
        out << "Orvia: " << repaired << std::endl;

    int status = 0;
    {
        InstallSoundCardDevices();
        QueueLeveller leveller;
        TelephonyLineBank lines(LLineApplication::Instance(), &leveller);
        DesktopPlayer playback;
        ConsoleView view(lines, out);
        const bool hidden = options.mode == StartMode::Logon || options.mode == StartMode::Service;
        MainDialog app({dispatcher, view, lines, playback}, hidden);
        app.SetOnDestroyed([&loop] { loop->Quit(); });
        ExitSignalWatcher signals([&dispatcher](int) {
            // The exit request; with no window yet (or any more) the loop just ends.
            dispatcher.PostMessage(kMsgExitRequest);
        });
        if (!signals.IsWatching())
            err << "Orvia: cannot watch for SIGTERM and SIGINT" << std::endl;
        app.Create();
        out << "Orvia running (pid " << ::getpid() << "): data in " << Store().DataFolder()
            << ", lines from " << TelephonyConfigPath() << std::endl;
        loop->Run();
        if (app.IsCreated())
            status = 1;  // the loop ended without the window closing
    }
    SetCurrentDispatcher(nullptr);
    return status;
}

}  // namespace

int RunProgram(const std::vector<std::string>& args,
               const std::function<std::unique_ptr<EventLoop>()>& makeLoop, const ProgramIo& io) {
    const StartOptions options = ParseStartOptions(args);
    RegisterTelephonyProviders();
    switch (options.mode) {
        case StartMode::Help:
            *io.out << UsageText();
            return 0;
        case StartMode::Invalid:
            *io.err << "orvia: " << options.error << "\n\n" << UsageText();
            return 2;
        case StartMode::Install:
            PrepareSystemDataFolder();
            return RunInstall(Store(), *io.out);
        case StartMode::Uninstall:
            return Uninstall(options, io);
        case StartMode::Window:
        case StartMode::Logon:
        case StartMode::Service:
            break;
    }
    return Run(options, makeLoop, io);
}

}  // namespace orvia
