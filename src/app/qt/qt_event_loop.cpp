#include "app/qt/qt_event_loop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>

#include "platform/qt/qt_dispatcher.h"

namespace orvia {
namespace {

class QtEventLoop : public EventLoop {
public:
    QtEventLoop(int& argc, char** argv) : app_(argc, argv) {}

    Dispatcher& GetDispatcher() override { return dispatcher_; }

    void Run() override {
        if (!quit_.load())
            app_.exec();
    }

    void Quit() override {
        quit_.store(true);
        // exit() must run on the loop's thread; queued, it also works before
        // exec() has started.
        QMetaObject::invokeMethod(
            &app_, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    }

private:
    QCoreApplication app_;
    QtDispatcher dispatcher_;
    std::atomic<bool> quit_{false};
};

}  // namespace

std::unique_ptr<EventLoop> MakeQtEventLoop(int& argc, char** argv) {
    return std::make_unique<QtEventLoop>(argc, argv);
}

}  // namespace orvia
