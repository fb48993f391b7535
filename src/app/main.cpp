// The orvia program: the sub-commands, then the program itself (program.h).
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "app/check_command.h"
#include "app/program.h"
#include "app/qt_event_loop.h"
#include "app/simulate/simulation.h"
#include "app/status_command.h"

int main(int argc, char** argv) {
    const std::string command = argc >= 2 ? argv[1] : "";
    const std::vector<std::string> rest(argv + std::min(argc, 2), argv + argc);
    if (command == "simulate")
        return orvia::SimulateCommand(rest, std::cout, std::cerr);
    if (command == "status")
        return orvia::StatusCommand(rest, std::cout, std::cerr);
    if (command == "check")
        return orvia::CheckCommand(rest, std::cout, std::cerr);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const orvia::ProgramIo io{&std::cin, &std::cout, &std::cerr};
    return orvia::RunProgram(
        args, [&] { return orvia::MakeQtEventLoop(argc, argv); }, io);
}
