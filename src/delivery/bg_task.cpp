#include "delivery/bg_task.h"

#include "engine/ivr_notify.h"
#include "platform/dispatch/dispatcher.h"
#include "platform/thread/thread_affinity.h"
#include "platform/time/clock.h"

namespace orvia {

BGTask::NoticePoster::NoticePoster(Dispatcher* dispatcher)
    : dispatcher_(dispatcher), window_(std::make_shared<std::atomic<IVRCNotify*>>(nullptr)) {}

void BGTask::NoticePoster::MessageDeleted(const std::string& messageIni) {
    if (dispatcher_ == nullptr || window_->load() == nullptr)
        return;
    // The window is looked up again on the main thread: it may have been
    // cleared (and destroyed) while the notice waited in the queue.
    dispatcher_->Post([window = window_, path = messageIni] {
        if (IVRCNotify* target = window->load()) {
            std::string text = path;
            target->Send(kMsgMessageDeleted, text);
        }
    });
}

void BGTask::NoticePoster::DeliveryFailed(const std::string& text) {
    std::lock_guard<std::mutex> guard(failureMutex_);
    lastFailure_.text = text;
    lastFailure_.when = LocalNow();
}

BGTask::Failure BGTask::NoticePoster::LastFailure() const {
    std::lock_guard<std::mutex> guard(failureMutex_);
    return lastFailure_;
}

BGTask::Failure BGTask::LastFailure() const {
    return notices_.LastFailure();
}

BGTask::BGTask(Dispatcher* dispatcher, TransferControl limits)
    : notices_(dispatcher), limits_(std::move(limits)) {
    limits_.stop = nullptr;
}

BGTask::~BGTask() {
    Stop();
}

void BGTask::SetNoticeWindow(IVRCNotify* window) {
    ORVIA_ASSERT_MAIN_THREAD();
    notices_.SetWindow(window);
}

bool BGTask::StartPass() {
    ORVIA_ASSERT_MAIN_THREAD();
    {
        std::lock_guard<std::mutex> guard(passMutex_);
        if (passActive_) {
            passAgain_ = true;
            return true;
        }
        passActive_ = true;
    }
    // A thread whose last pass is over may still be on its way out; let it
    // end (it has no work left) so that Start does not take it for running.
    Stop();
    if (Start(ThreadPriority::Lowest))
        return true;
    std::lock_guard<std::mutex> guard(passMutex_);
    passActive_ = false;
    passAgain_ = false;
    return false;
}

void BGTask::Run() {
    TransferControl control = limits_;
    control.stop = [this] { return StopRequested(); };
    for (;;) {
        DeliveryPass(control, &notices_).Run();
        std::lock_guard<std::mutex> guard(passMutex_);
        if (!passAgain_ || StopRequested()) {
            passActive_ = false;
            passAgain_ = false;
            return;
        }
        passAgain_ = false;
    }
}

}  // namespace orvia
