#include "platform/thread/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/time/clock.h"

namespace orvia {
namespace {

// A worker that counts its hooks and loops until asked to stop.
class Worker : public LThread {
public:
    ~Worker() override { Stop(); }
    std::atomic<int> starts{0}, runs{0}, ends{0};
    LSignalObject running{true, false};
    bool ignoreStop = false;

protected:
    void OnThreadStart() override { ++starts; }
    void Run() override {
        ++runs;
        running.Set();
        while (ignoreStop ? !release.IsSet() : !WaitForStop(1000)) {
        }
    }
    void OnThreadEnd() override { ++ends; }

public:
    LSignalObject release{true, false};
};

TEST(LThread, StartStopAndIsRunning) {
    Worker w;
    EXPECT_FALSE(w.IsRunning());
    ASSERT_TRUE(w.Start(ThreadPriority::Lowest));
    ASSERT_TRUE(w.running.Wait(5000));
    EXPECT_TRUE(w.IsRunning());
    EXPECT_TRUE(w.Start());  // already running: nothing happens
    w.Stop();
    EXPECT_FALSE(w.IsRunning());
    EXPECT_EQ(w.starts, 1);
    EXPECT_EQ(w.runs, 1);
    EXPECT_EQ(w.ends, 1);

    // A stopped thread can be started again with a fresh stop event.
    w.running.Reset();
    ASSERT_TRUE(w.Start(ThreadPriority::Idle));
    ASSERT_TRUE(w.running.Wait(5000));
    EXPECT_TRUE(w.IsRunning());
    w.Stop();
    EXPECT_EQ(w.runs, 2);
    w.Stop();  // stopping twice is harmless
}

TEST(LThread, StopGivesUpOnAThreadThatIgnoresIt) {
    Worker w;
    w.ignoreStop = true;
    ASSERT_TRUE(w.Start());
    ASSERT_TRUE(w.running.Wait(5000));
    w.Stop(50);  // the worker ignores its stop event
    // Left running, detached; it still ends once released.
    w.release.Set();
    for (int i = 0; i < 500 && w.ends == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(w.ends, 1);
}

TEST(LSignalObject, ManualAndAutoReset) {
    LSignalObject manual(true, false);
    EXPECT_FALSE(manual.Wait(0));
    manual.Set();
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0));  // stays set
    manual.Reset();
    EXPECT_FALSE(manual.IsSet());

    LSignalObject autoReset(false, true);
    EXPECT_TRUE(autoReset.Wait(0));
    EXPECT_FALSE(autoReset.Wait(0));  // consumed by the first waiter

    LSignalObject crossThread(true, false);
    std::thread setter([&] { crossThread.Set(); });
    EXPECT_TRUE(crossThread.Wait(-1));
    setter.join();
}

TEST(LLockObject, IsRecursive) {
    LLockObject lock;
    std::lock_guard<LLockObject> outer(lock);
    std::lock_guard<LLockObject> inner(lock);
    std::atomic<bool> taken{false};
    std::thread other([&] { taken = lock.TryLock(); });
    other.join();
    EXPECT_FALSE(taken);
}

TEST(Clock, FixedClockAndBreakDown) {
    {
        ScopedFixedClock clock(MakeLocalSeconds({2026, 12, 10, 23, 59, 58, 0}));
        const LocalFields f = BreakDown(LocalNow());
        EXPECT_EQ(f.year, 2026);
        EXPECT_EQ(f.month, 12);
        EXPECT_EQ(f.day, 10);
        EXPECT_EQ(f.hour, 23);
        EXPECT_EQ(f.weekday, 4);  // a Thursday
        clock.Advance(2);
        EXPECT_EQ(BreakDown(LocalNow()).day, 11);
    }
    // Back on the real clock: local time, so within a day of UTC.
    EXPECT_LT(std::abs(LocalNow() - static_cast<int64_t>(time(nullptr))), 26 * 3600);
}

}  // namespace
}  // namespace orvia
