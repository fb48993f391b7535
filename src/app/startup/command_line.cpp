#include "app/startup/command_line.h"

namespace orvia {
namespace {

struct Switch {
    const char* slash;  // recognised anywhere in the first argument
    const char* dashes;
    StartMode mode;
};

constexpr Switch kSwitches[] = {
    {"/service", "--service", StartMode::Service},
    {"/logon", "--logon", StartMode::Logon},
    {"/install", "--install", StartMode::Install},
    {"/uninstall", "--uninstall", StartMode::Uninstall},
};

bool IsYes(const std::string& arg) {
    return arg == "--yes" || arg == "-y";
}

}  // namespace

StartOptions ParseStartOptions(const std::vector<std::string>& args) {
    StartOptions options;
    if (args.empty())
        return options;
    const std::string& first = args[0];
    if (first == "--help" || first == "-h") {
        options.mode = StartMode::Help;
        return options;
    }
    bool found = false;
    for (const Switch& s : kSwitches) {
        if (first == s.dashes) {
            options.mode = s.mode;
            found = true;
            break;
        }
    }
    // "/uninstall" contains "/install": the longer switch is looked for first.
    if (!found && first.find("/uninstall") != std::string::npos) {
        options.mode = StartMode::Uninstall;
        found = true;
    }
    for (const Switch& s : kSwitches) {
        if (found)
            break;
        if (first.find(s.slash) != std::string::npos) {
            options.mode = s.mode;
            found = true;
        }
    }
    if (!found) {
        options.mode = StartMode::Invalid;
        options.error = "unknown switch \"" + first + "\"";
        return options;
    }
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (options.mode == StartMode::Uninstall && IsYes(args[i])) {
            options.assumeYes = true;
            continue;
        }
        options.mode = StartMode::Invalid;
        options.error = "unexpected argument \"" + args[i] + "\"";
        return options;
    }
    return options;
}

std::string UsageText() {
    return "Usage: orvia [SWITCH]\n"
           "       orvia simulate SCRIPT\n"
           "       orvia status [--json]\n"
           "       orvia check\n"
           "       orvia web-password [USER]\n"
           "\n"
           "Orvia, a telephone answering machine. Without a switch it runs in the\n"
           "foreground and answers the configured lines.\n"
           "\n"
           "  --service, /service   run headless as a background service (the systemd\n"
           "                        unit starts it so)\n"
           "  --logon, /logon       start hidden in the tray (the autostart entry)\n"
           "  --install, /install   create the data folders and the installed data\n"
           "                        (prompts, default OGM and mailbox), then end\n"
           "  --uninstall, /uninstall [--yes]\n"
           "                        remove the data folders and everything in them,\n"
           "                        after asking (--yes: without asking)\n"
           "  --help                show this text\n"
           "  simulate SCRIPT       run one call from a call script on a simulated line\n"
           "                        and print its transcript\n"
           "  status [--json]       ask the running Orvia for its lines, calls and queues\n"
           "                        (exit 3 when none runs)\n"
           "  check                 check the configuration without running it (exit 1\n"
           "                        when there are errors)\n"
           "  web-password [USER]   set the web view's user and password (asked twice)\n"
           "\n"
           "The data folder is $ORVIA_DATA (every sub-folder then lies in it); else the\n"
           "folders named in /etc/orvia/folders.ini ($ORVIA_FOLDERS); else /var/lib/orvia\n"
           "when writable, else ~/.local/share/orvia. --install names the folders in the\n"
           "folders file only for the system's data folder (as root, without ORVIA_DATA).\n"
           "SIGTERM or SIGINT ends the program cleanly. The program's own events go to\n"
           "standard error and to Logs/orvia-events.log.\n";
}

}  // namespace orvia
