#include "app/startup/exit_signals_p.h"

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace orvia {
namespace {

TEST(ExitSignals, TermAndIntReachTheWatcherInsteadOfEndingTheProcess) {
    ASSERT_TRUE(BlockExitSignals());
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> received;
    {
        ExitSignalWatcher watcher([&](int signal) {
            std::lock_guard<std::mutex> guard(mutex);
            received.push_back(signal);
            changed.notify_all();
        });
        ASSERT_TRUE(watcher.IsWatching());
        for (int signal : {SIGTERM, SIGINT}) {
            ASSERT_EQ(::kill(::getpid(), signal), 0);
            std::unique_lock<std::mutex> lock(mutex);
            // A bound for a lost signal, not a speed check.
            EXPECT_TRUE(changed.wait_for(lock, std::chrono::seconds(30),
                                         [&] { return !received.empty(); }));
            ASSERT_EQ(received, std::vector<int>{signal});
            received.clear();
        }
    }  // the watcher's thread ends with it
}

}  // namespace
}  // namespace orvia
