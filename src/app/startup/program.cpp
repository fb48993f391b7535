#include "app/startup/program.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "app/core/console_view.h"
#include "app/core/desktop_player.h"
#include "app/core/main_dialog.h"
#include "app/core/telephony_line_bank.h"
#include "app/startup/command_line.h"
#include "app/startup/exit_signals_p.h"
#include "app/startup/install_commands_p.h"
#include "app/startup/installed_data_p.h"
#include "app/startup/password_files_p.h"
#include "app/startup/recording_repair_p.h"
#include "app/startup/telephony_providers_p.h"
#include "app/status/status_service.h"
#include "platform/alsa/sound_cards.h"
#include "platform/desktop/autostart.h"
#include "platform/desktop/service_unit.h"
#include "platform/desktop/single_instance.h"
#include "platform/diagnostics/diagnostic_sinks.h"
#include "platform/diagnostics/diagnostics.h"
#include "platform/dispatch/dispatcher.h"
#include "platform/files/program_location.h"
#include "platform/files/text_file.h"
#include "platform/files/user_paths.h"
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
    if (!named.empty() || !MakeFolders(env.systemDataFolder, kDataFolderMode))
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

int Run(const StartOptions& options, FrontEnd& frontEnd, const ProgramIo& io,
        const CompanionStarter& companionStarter) {
    std::ostream& out = *io.out;
    std::ostream& err = *io.err;
    // Before any thread exists: from here on the signals are the exit request.
    if (!BlockExitSignals())
        err << "Orvia: cannot block SIGTERM and SIGINT" << std::endl;
    const std::unique_ptr<EventLoop> loop = frontEnd.MakeLoop();
    Dispatcher& dispatcher = loop->GetDispatcher();
    SetCurrentDispatcher(&dispatcher);

    StatusService statusService(dispatcher);
    SingleInstance instance(Store().DataFolder());
    const bool logon = options.mode == StartMode::Logon;
    const InstanceClaim claim = instance.Claim(
        [&dispatcher](const InstanceNotice& notice) {
            if (notice.kind == InstanceNoticeKind::ExitRequest)
                dispatcher.PostMessage(kMsgExitRequest);
            else
                dispatcher.PostMessage(kMsgSecondStart, 0, notice.logon ? 1 : 0);
        },
        [&statusService](const std::string& request) { return statusService.Answer(request); });
    if (claim == InstanceClaim::AlreadyRunning) {
        const NoticeDelivery delivery =
            instance.SendNotice({InstanceNoticeKind::SecondStart, logon});
        const std::string running = instance.DescribeRunningInstance();
        out << "Orvia is already running for " << Store().DataFolder()
            << (running.empty() ? "" : " (" + running + ")");
        switch (delivery) {
            case NoticeDelivery::Delivered:
            case NoticeDelivery::NotRunning:  // it ended meanwhile
                break;
            case NoticeDelivery::NoPermission:
                out << ", but this user may not tell it of this start (permission denied; "
                       "only its own user and root may)";
                break;
            case NoticeDelivery::NoAnswer:
                out << " but did not answer";
                break;
        }
        out << "; this start ends." << std::endl;
        SetCurrentDispatcher(nullptr);
        return delivery == NoticeDelivery::Delivered ? 0 : 1;
    }
    if (claim == InstanceClaim::Failed) {
        err << "Orvia: cannot tell whether Orvia already runs for " << Store().DataFolder() << " ("
            << instance.Problem() << "); not starting." << std::endl;
        SetCurrentDispatcher(nullptr);
        return 1;
    }

    // From here on the program's events go to standard error (the journal
    // under systemd) and to the events file in the Logs folder.
    StandardErrorSink errorSink(StandardErrorSink::DetectStyle());
    ScopedDiagnosticSink errorScope(errorSink);
    EventsFileSink fileSink(Store().Logs() + kEventsFileName);
    ScopedDiagnosticSink fileScope(fileSink);
    ReportInfo("program", "Orvia starts (pid " + std::to_string(::getpid()) + ") on the data in " +
                              Store().DataFolder());

    const InstalledDataReport installed = InstallMissingData(Store());
    for (const std::string& path : installed.failed)
        ReportError("program", "the installed file " + path + " could not be created");
    WarnAboutExposedPasswordFiles(Store());
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
        const bool hidden = options.mode == StartMode::Logon || options.mode == StartMode::Service;
        const std::unique_ptr<MainWindowView> view = frontEnd.MakeView(lines, out, hidden);
        MainDialog app({dispatcher, *view, lines, playback, &leveller}, hidden);
        app.SetOnDestroyed([&loop] { loop->Quit(); });
        ExitSignalWatcher signals([&dispatcher](int) {
            // The exit request; with no window yet (or any more) the loop just ends.
            dispatcher.PostMessage(kMsgExitRequest);
        });
        if (!signals.IsWatching())
            err << "Orvia: cannot watch for SIGTERM and SIGINT" << std::endl;
        app.Create();
        statusService.Attach(&app);
        out << "Orvia running (pid " << ::getpid() << "): data in " << Store().DataFolder()
            << ", lines from " << TelephonyConfigPath() << std::endl;
        std::unique_ptr<ProgramCompanion> companion =
            companionStarter ? companionStarter(dispatcher, app, out) : nullptr;
        loop->Run();
        companion.reset();
        statusService.Attach(nullptr);
        if (app.IsCreated())
            status = 1;  // the loop ended without the window closing
    }
    ReportInfo("program", "Orvia stops");
    SetCurrentDispatcher(nullptr);
    return status;
}

}  // namespace

int RunProgram(const std::vector<std::string>& args, FrontEnd& frontEnd, const ProgramIo& io,
               const CompanionStarter& companion) {
    const StartOptions options = ParseStartOptions(args);
    RegisterTelephonyProviders();
    switch (options.mode) {
        case StartMode::Help:
            *io.out << UsageText();
            // An installed program also has its manual page and help pages.
            if (const std::string data = ProgramDataFolder(); !data.empty())
                *io.out << "\nSee the manual page orvia(1) and the help pages in " << data
                        << "help/.\n";
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
    return Run(options, frontEnd, io, companion);
}

}  // namespace orvia
