// BGALC: the background level-control queue. Recordings that become prompts
// (OGMs, greetings, files recorded through the call flow) are queued by path
// in "bgalc.dat" in the data folder; a low-priority thread takes them one by
// one, oldest first, and puts a levelled copy (8000 Hz, mono, 16-bit) in
// place of each. The queue lives on disk, so entries left by an earlier run
// are processed at the next Enqueue.
//
// Threads: Enqueue from any thread (the main thread in practice); Run on the
// queue's own thread. The queue file is only touched under the lock, and the
// level control runs outside it.
#pragma once

#include <string>

#include "app/bgalc/level_recording.h"
#include "platform/thread/thread.h"

namespace orvia {

class BGALC : public LThread {
public:
    // queueFile empty: the data folder's "bgalc.dat", fixed on first use.
    explicit BGALC(std::string queueFile = {});
    ~BGALC() override;

    // The process-wide queue; its thread is stopped when the program ends.
    static BGALC& Instance();

    // Adds a recording's full path to the queue and starts the thread at the
    // lowest priority unless it is already working (it will see the entry).
    // False when the path cannot be queued (not absolute, line breaks, too
    // long) or the queue file cannot be written.
    bool Enqueue(const std::string& path);

    // How many recordings are queued (not counting one being levelled).
    int QueueLength();

    // Waits up to timeoutMs until the queue is empty and the thread has no
    // work left; true when it is idle.
    bool WaitUntilIdle(int timeoutMs);

    std::string QueueFile();

protected:
    void Run() override;

    // Called on the queue's thread after each file, and each time a finished
    // file is found still in use. Reports a failure as a program event.
    virtual void OnFileDone(const std::string& path, LevelOutcome outcome);
    virtual void OnFileInUse(const std::string& path) { (void)path; }

private:
    // Takes the oldest entry off the queue; false (and idle) when there is none.
    bool TakeNext(std::string* path);
    void SetIdle();

    std::string queueFile_;
    bool active_ = false;  // a thread is working through the queue (under Lock())
    LSignalObject idle_{true, true};
};

}  // namespace orvia
