// The orvia program: the sub-commands, then the program itself (program.h)
// on the desktop front end when a display is named and the start is not the
// service's, else headless, with the web view beside it when it is switched
// on.
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/check/check_command.h"
#include "app/qt/console_front_end.h"
#include "app/simulate/simulation.h"
#include "app/startup/command_line.h"
#include "app/startup/program.h"
#include "app/status/status_command.h"
#include "ui/main/desktop_front_end.h"
#include "web/web_password_command.h"
#include "web/web_view.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitized test build on a real desktop: libdbus (under Qt's desktop
// integration) keeps an allocation to the end on purpose; it is not ours to
// free and would fail every run.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
#endif

int main(int argc, char** argv) {
    const std::string command = argc >= 2 ? argv[1] : "";
    const std::vector<std::string> rest(argv + std::min(argc, 2), argv + argc);
    if (command == "simulate")
        return orvia::SimulateCommand(rest, std::cout, std::cerr);
    if (command == "status")
        return orvia::StatusCommand(rest, std::cout, std::cerr);
    if (command == "check")
        return orvia::CheckCommand(rest, std::cout, std::cerr);
    if (command == "web-password")
        return orvia::WebPasswordCommand(rest, std::cin, std::cout, std::cerr, STDIN_FILENO);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const orvia::ProgramIo io{&std::cin, &std::cout, &std::cerr};
    std::unique_ptr<orvia::FrontEnd> frontEnd;
    if (orvia::DesktopWanted(orvia::ParseStartOptions(args).mode))
        frontEnd = std::make_unique<orvia::DesktopFrontEnd>(argc, argv);
    else
        frontEnd = std::make_unique<orvia::ConsoleFrontEnd>(argc, argv);
    return orvia::RunProgram(args, *frontEnd, io, orvia::StartWebViewCompanion);
}
