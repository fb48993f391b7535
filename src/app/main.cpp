// The orvia program: the sub-commands, then the program itself (program.h).
#include <iostream>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/qt_event_loop.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const orvia::ProgramIo io{&std::cin, &std::cout, &std::cerr};
    return orvia::RunProgram(
        args, [&] { return orvia::MakeQtEventLoop(argc, argv); }, io);
}
