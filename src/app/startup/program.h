// The program after its sub-commands: the start switches, the single
// instance, installation and removal, and the run of the application object
// on the main thread's event loop until it is closed.
//
// A run, in order: the switch is read; the providers are registered; the
// data folders are resolved; "/install" and "/uninstall" do their work and
// end (Ctrl+C simply ends them); otherwise SIGTERM and SIGINT are blocked
// (they become the exit request), the running instance is looked for (a
// second start only signals it, with the logon flag, and ends), the missing
// installed data is created, and MainDialog is created and runs until the
// exit request or its close.
//
// Main thread (the thread of main()).
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "app/startup/event_loop.h"
#include "app/startup/front_end.h"

namespace orvia {

struct ProgramIo {
    std::istream* in = nullptr;
    std::ostream* out = nullptr;
    std::ostream* err = nullptr;
};

// args are the arguments after the program name. frontEnd makes the main
// thread's event loop and the main window's view (only when the program
// runs). Returns the process exit status.
int RunProgram(const std::vector<std::string>& args, FrontEnd& frontEnd, const ProgramIo& io);

}  // namespace orvia
