// The program's event loop: a QCoreApplication with the QtDispatcher over it
// (QtCore only: no display is needed, so the service runs headless).
#pragma once

#include <memory>

#include "app/startup/event_loop.h"

namespace orvia {

// Creates the QCoreApplication (once per process) on the calling thread,
// which becomes the main thread.
std::unique_ptr<EventLoop> MakeQtEventLoop(int& argc, char** argv);

}  // namespace orvia
