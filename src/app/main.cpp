// The orvia program: the sub-commands, then the program itself (program.h).
#include <iostream>
#include <string>
#include <vector>

#include "app/qt/qt_event_loop.h"
#include "app/simulate/simulation.h"
#include "app/startup/program.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "simulate")
        return orvia::SimulateCommand(std::vector<std::string>(argv + 2, argv + argc), std::cout,
                                      std::cerr);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const orvia::ProgramIo io{&std::cin, &std::cout, &std::cerr};
    return orvia::RunProgram(
        args, [&] { return orvia::MakeQtEventLoop(argc, argv); }, io);
}
