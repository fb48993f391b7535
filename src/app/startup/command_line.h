// The program's command line: the start switch in the first argument.
//
// The switches are "/service" (run headless, the way the systemd unit starts
// the program), "/logon" (started at logon: hidden in the tray), "/install"
// and "/uninstall". A slash switch is recognised when the first argument
// contains it (case-sensitive), as the autostart entry and the unit write
// them; the Linux spellings "--service", "--logon", "--install",
// "--uninstall" and "--help" (or "-h") must match the whole argument.
// "--uninstall" alone takes a further "--yes" (or "-y"), which answers its
// confirmation question. Sub-commands ("simulate", "status", "check") are
// dispatched before the switches are looked at.
#pragma once

#include <string>
#include <vector>

namespace orvia {

enum class StartMode {
    Window,     // no switch
    Service,    // "/service"
    Logon,      // "/logon"
    Install,    // "/install": create the data, then end
    Uninstall,  // "/uninstall": remove the data after confirmation, then end
    Help,       // "--help"
    Invalid,    // not a switch this program knows; error says why
};

struct StartOptions {
    StartMode mode = StartMode::Window;
    bool assumeYes = false;  // "--yes" with "/uninstall"
    std::string error;       // for Invalid
};

// args are the arguments after the program name.
StartOptions ParseStartOptions(const std::vector<std::string>& args);

// The usage text "--help" prints: the switches and the sub-commands.
std::string UsageText();

}  // namespace orvia
