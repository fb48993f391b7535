// BGTask: the background delivery thread. Each pass runs on a new thread at
// the lowest priority and works through all mailboxes (see delivery_pass.h).
//
// Only one pass runs at a time. A request that arrives while a pass runs
// does not start a second one; it is remembered and one more pass follows
// the running one, so a message stored during a long pass is not left
// waiting for the next message.
//
// Thread: the main thread owns the object and calls StartPass, Stop and
// SetNoticeWindow. The pass reaches the main window only by posting to the
// dispatcher; the window receives kMsgMessageDeleted (1030) through its
// IVRCNotify::Send with the deleted message's ".ini" path.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "delivery/delivery_pass.h"
#include "delivery/transfer_control.h"
#include "platform/thread/thread.h"

namespace orvia {

class Dispatcher;
class IVRCNotify;

class BGTask : public LThread {
public:
    // dispatcher carries the notices to the main thread (null: none are
    // sent). limits gives the transfers' timeouts; its stop check is
    // replaced by the thread's stop event.
    explicit BGTask(Dispatcher* dispatcher, TransferControl limits = {});
    ~BGTask() override;

    // The window that receives the notices, or null when there is none (set
    // when the main window is created, cleared before it is destroyed; a
    // notice still queued for a cleared window is dropped). Main thread.
    void SetNoticeWindow(IVRCNotify* window);

    // Starts a pass at the lowest priority, or, while one runs, asks for one
    // more after it. False only when the thread could not be created. Main
    // thread.
    bool StartPass();

    // The last mail or upload that failed: what and why, and when (local
    // date-time); empty text when none has failed since the start. Any thread.
    struct Failure {
        std::string text;
        int64_t when = 0;
    };
    Failure LastFailure() const;

protected:
    void Run() override;

private:
    // Posts each notice to the main thread for the window set at delivery.
    class NoticePoster : public DeliveryNotices {
    public:
        explicit NoticePoster(Dispatcher* dispatcher);
        void MessageDeleted(const std::string& messageIni) override;
        void DeliveryFailed(const std::string& text) override;
        void SetWindow(IVRCNotify* window) { window_->store(window); }
        Failure LastFailure() const;

    private:
        Dispatcher* dispatcher_;
        std::shared_ptr<std::atomic<IVRCNotify*>> window_;
        mutable std::mutex failureMutex_;
        Failure lastFailure_;
    };

    NoticePoster notices_;
    TransferControl limits_;
    std::mutex passMutex_;
    bool passActive_ = false;  // from StartPass until Run has no more passes to do
    bool passAgain_ = false;   // a request arrived while a pass ran
};

}  // namespace orvia
