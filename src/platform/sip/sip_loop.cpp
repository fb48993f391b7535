#include "platform/sip/sip_loop_p.h"

#include <atomic>

#include "platform/sip/libre_p.h"

namespace orvia::sip {
namespace {

// One loop at a time: a new one starts only after the previous one has
// stopped completely (libre's state is process-wide).
std::mutex& LifetimeMutex() {
    static std::mutex mutex;
    return mutex;
}
std::condition_variable& LifetimeChanged() {
    static std::condition_variable changed;
    return changed;
}
std::weak_ptr<SipLoop>& Current() {
    static std::weak_ptr<SipLoop> current;
    return current;
}
bool g_loopAlive = false;  // guarded by LifetimeMutex

// Marks the loop's thread while it runs.
thread_local bool t_onLoopThread = false;
std::atomic<int> g_loopThreads{0};

struct LoopThreadMark {
    LoopThreadMark() {
        t_onLoopThread = true;
        ++g_loopThreads;
    }
    ~LoopThreadMark() {
        --g_loopThreads;
        t_onLoopThread = false;
    }
};

}  // namespace

bool IsSipLoopThread() {
    return t_onLoopThread || g_loopThreads.load() == 0;
}

std::shared_ptr<SipLoop> SipLoop::Acquire() {
    std::unique_lock<std::mutex> lock(LifetimeMutex());
    if (auto loop = Current().lock())
        return loop;
    LifetimeChanged().wait(lock, [] { return !g_loopAlive; });
    std::shared_ptr<SipLoop> loop(new SipLoop());
    if (!loop->Start())
        return nullptr;  // the thread has ended already
    g_loopAlive = true;
    Current() = loop;
    return loop;
}

bool SipLoop::Start() {
    thread_ = std::thread([this] { Run(); });
    std::unique_lock<std::mutex> lock(mutex_);
    started_.wait(lock, [this] { return ready_ || failed_; });
    if (failed_) {
        lock.unlock();
        thread_.join();
        return false;
    }
    return true;
}

SipLoop::~SipLoop() {
    if (!thread_.joinable())
        return;
    Post([this] {
        while (!shutdownHooks_.empty()) {
            Task hook = std::move(shutdownHooks_.front().second);
            shutdownHooks_.pop_front();
            hook();
        }
        re_cancel();
    });
    thread_.join();
    std::lock_guard<std::mutex> lock(LifetimeMutex());
    g_loopAlive = false;
    LifetimeChanged().notify_all();
}

void SipLoop::Run() {
    const LoopThreadMark mark;
    int err = libre_init();
    if (!err)
        err = mqueue_alloc(&wakeup_, &SipLoop::OnWakeUp, this);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (err)
            failed_ = true;
        else
            ready_ = true;
    }
    started_.notify_all();
    if (err) {
        libre_close();
        return;
    }
    re_main(nullptr);
    RunQueued();  // tasks posted while stopping still release their objects
    wakeup_ = static_cast<struct mqueue*>(mem_deref(wakeup_));
    libre_close();
}

void SipLoop::OnWakeUp(int, void*, void* arg) {
    static_cast<SipLoop*>(arg)->RunQueued();
}

void SipLoop::RunQueued() {
    std::deque<Task> tasks;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        tasks.swap(queue_);
    }
    for (Task& task : tasks)
        task();
}

void SipLoop::Post(Task task) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wake = queue_.empty();
        queue_.push_back(std::move(task));
    }
    // One wake-up per batch: the loop empties the whole queue when it wakes.
    if (wake)
        mqueue_push(wakeup_, 0, nullptr);
}

void SipLoop::Call(const Task& task) {
    if (IsLoopThread()) {
        task();
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneChanged;
    bool done = false;
    Post([&] {
        task();
        std::lock_guard<std::mutex> lock(doneMutex);
        done = true;
        doneChanged.notify_all();
    });
    std::unique_lock<std::mutex> lock(doneMutex);
    doneChanged.wait(lock, [&] { return done; });
}

void SipLoop::AddShutdownHook(void* owner, Task hook) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    shutdownHooks_.emplace_back(owner, std::move(hook));
}

void SipLoop::RemoveShutdownHook(void* owner) {
    ORVIA_ASSERT_SIP_LOOP_THREAD();
    for (auto it = shutdownHooks_.begin(); it != shutdownHooks_.end();) {
        if (it->first == owner)
            it = shutdownHooks_.erase(it);
        else
            ++it;
    }
}

}  // namespace orvia::sip
