// The main thread's event loop as the program runner sees it: a dispatcher
// to post to and a loop that runs until asked to quit. The program uses the
// Qt event loop (QtCore only, qt_event_loop.h); the runner itself does not
// depend on Qt.
//
// Main thread, except Quit, which any thread may call.
#pragma once

#include <memory>

namespace orvia {

class Dispatcher;

class EventLoop {
public:
    virtual ~EventLoop() = default;
    virtual Dispatcher& GetDispatcher() = 0;
    // Runs until Quit; returns at once when Quit came first.
    virtual void Run() = 0;
    virtual void Quit() = 0;
};

}  // namespace orvia
