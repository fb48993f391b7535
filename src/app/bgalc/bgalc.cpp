#include "app/bgalc/bgalc.h"

#include <mutex>
#include <vector>

#include "app/bgalc/bgalc_queue_file_p.h"
#include "platform/diagnostics/diagnostics.h"
#include "store/settings_store.h"

namespace orvia {

BGALC::BGALC(std::string queueFile) : queueFile_(std::move(queueFile)) {}

BGALC::~BGALC() {
    Stop();
}

BGALC& BGALC::Instance() {
    static BGALC queue;
    return queue;
}

std::string BGALC::QueueFile() {
    std::lock_guard<LLockObject> guard(Lock());
    if (queueFile_.empty())
        queueFile_ = Store().DataFolder() + kBGALCQueueFileName;
    return queueFile_;
}

bool BGALC::Enqueue(const std::string& path) {
    if (!IsQueueablePath(path)) {
        ReportWarning("level", "the recording " + path +
                                   " cannot be queued for level control (not a plain full path)");
        return false;
    }
    bool start = false;
    {
        std::lock_guard<LLockObject> guard(Lock());
        const std::string file = QueueFile();
        std::vector<std::string> queue = LoadBGALCQueue(file);
        queue.push_back(path);
        if (!SaveBGALCQueue(file, queue)) {
            ReportError("level", "the level-control queue " + file +
                                     " cannot be written; the recording " + path +
                                     " is left as recorded");
            return false;
        }
        if (!active_) {
            active_ = true;
            idle_.Reset();
            start = true;
        }
    }
    if (start) {
        // A thread that has just found the queue empty may not have ended
        // yet; it does no more work, so wait for it before starting anew.
        if (IsRunning())
            Stop();
        if (!Start(ThreadPriority::Lowest))
            SetIdle();
    }
    return true;
}

bool BGALC::TakeNext(std::string* path) {
    std::lock_guard<LLockObject> guard(Lock());
    const std::string file = QueueFile();
    std::vector<std::string> queue = LoadBGALCQueue(file);
    if (queue.empty() || StopRequested()) {
        active_ = false;
        idle_.Set();
        return false;
    }
    *path = queue.front();
    queue.erase(queue.begin());
    // Should the shortened queue not be written, the entry stays queued and
    // is taken again next time; better twice than never.
    SaveBGALCQueue(file, queue);
    return true;
}

void BGALC::SetIdle() {
    std::lock_guard<LLockObject> guard(Lock());
    active_ = false;
    idle_.Set();
}

void BGALC::Run() {
    std::string path;
    while (TakeNext(&path)) {
        LevelHooks hooks;
        hooks.stopRequested = [this] { return StopRequested(); };
        hooks.waitForStop = [this](int ms) { return WaitForStop(ms); };
        hooks.inUse = [this, &path] { OnFileInUse(path); };
        OnFileDone(path, LevelRecording(path, hooks));
    }
}

int BGALC::QueueLength() {
    std::lock_guard<LLockObject> guard(Lock());
    return static_cast<int>(LoadBGALCQueue(QueueFile()).size());
}

void BGALC::OnFileDone(const std::string& path, LevelOutcome outcome) {
    switch (outcome) {
        case LevelOutcome::NotAudio:
            ReportWarning("level", "level control skipped " + path +
                                       ": it is missing or not a WAVE file the program reads");
            break;
        case LevelOutcome::Failed:
            ReportError("level", "level control of " + path +
                                     " failed (reading, levelling or replacing it); the "
                                     "recording stays as it was");
            break;
        case LevelOutcome::Replaced:
        case LevelOutcome::Stopped:
        case LevelOutcome::Gone:
        case LevelOutcome::Changed:
            break;
    }
}

bool BGALC::WaitUntilIdle(int timeoutMs) {
    return idle_.Wait(timeoutMs);
}

}  // namespace orvia
