// The program's event loop: a Qt application object with the QtDispatcher
// over it. The headless program uses a QCoreApplication (QtCore only: no
// display is needed, so the service runs headless); the desktop hands in its
// QApplication.
#pragma once

#include <memory>

#include "app/startup/event_loop.h"

class QCoreApplication;

namespace orvia {

// Creates the QCoreApplication (once per process) on the calling thread,
// which becomes the main thread.
std::unique_ptr<EventLoop> MakeQtEventLoop(int& argc, char** argv);
// The loop over an application object already made on the calling thread
// (the loop owns it from now on).
std::unique_ptr<EventLoop> MakeQtEventLoop(std::unique_ptr<QCoreApplication> app);

}  // namespace orvia
