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

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "app/startup/event_loop.h"
#include "app/startup/front_end.h"

namespace orvia {

class Dispatcher;
class MainDialog;

struct ProgramIo {
    std::istream* in = nullptr;
    std::ostream* out = nullptr;
    std::ostream* err = nullptr;
};

// What runs beside the application object while the program runs (the web
// view): started once the window is created, destroyed on the main thread
// when the event loop has ended, before the application object.
class ProgramCompanion {
public:
    virtual ~ProgramCompanion() = default;
};
// Starts the companion, or returns null when it is off or cannot start (it
// says why on out or in the program events).
using CompanionStarter = std::function<std::unique_ptr<ProgramCompanion>(
    Dispatcher& dispatcher, MainDialog& app, std::ostream& out)>;

// args are the arguments after the program name. frontEnd makes the main
// thread's event loop and the main window's view (only when the program
// runs); companion, when given, starts what runs beside it. Returns the
// process exit status.
int RunProgram(const std::vector<std::string>& args, FrontEnd& frontEnd, const ProgramIo& io,
               const CompanionStarter& companion = {});

}  // namespace orvia
