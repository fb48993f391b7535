#include "app/qt/qt_event_loop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>

#include "platform/qt/qt_dispatcher.h"

namespace orvia {
namespace {

class QtEventLoop : public EventLoop {
public:
    explicit QtEventLoop(std::unique_ptr<QCoreApplication> app) : app_(std::move(app)) {}

    Dispatcher& GetDispatcher() override { return dispatcher_; }

    void Run() override {
        if (!quit_.load())
            app_->exec();
    }

    void Quit() override {
        quit_.store(true);
        // exit() must run on the loop's thread; queued, it also works before
        // exec() has started.
        QMetaObject::invokeMethod(
            app_.get(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    }

private:
    // The application object first: the dispatcher needs it and goes before it.
    std::unique_ptr<QCoreApplication> app_;
    QtDispatcher dispatcher_;
    std::atomic<bool> quit_{false};
};

}  // namespace

std::unique_ptr<EventLoop> MakeQtEventLoop(int& argc, char** argv) {
    return MakeQtEventLoop(std::make_unique<QCoreApplication>(argc, argv));
}

std::unique_ptr<EventLoop> MakeQtEventLoop(std::unique_ptr<QCoreApplication> app) {
    return std::make_unique<QtEventLoop>(std::move(app));
}

}  // namespace orvia
