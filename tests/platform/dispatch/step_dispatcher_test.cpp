#include "platform/dispatch/step_dispatcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace orvia {
namespace {

using ::testing::ElementsAre;

constexpr int kWaitMs = 10000;  // bound for waits on other threads; never reached when correct

// Waits (bounded) until another thread has queued work, without running it.
bool WaitForPending(const StepDispatcher& dispatcher) {
    for (int i = 0; i < kWaitMs && dispatcher.PendingCount() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return dispatcher.PendingCount() > 0;
}

TEST(StepDispatcherTest, RunsPostedWorkInOrderIncludingWorkPostedWhileRunning) {
    StepDispatcher dispatcher;
    std::vector<std::string> ran;
    dispatcher.Post([&] {
        ran.push_back("a");
        dispatcher.Post([&] { ran.push_back("c"); });
    });
    dispatcher.Post([&] { ran.push_back("b"); });
    EXPECT_TRUE(ran.empty());  // nothing runs before the test steps it

    EXPECT_EQ(dispatcher.RunPending(), 3u);
    EXPECT_THAT(ran, ElementsAre("a", "b", "c"));
    EXPECT_EQ(dispatcher.RunPending(), 0u);
}

TEST(StepDispatcherTest, PostsFromOtherThreadsAllRunKeepingEachThreadsOrder) {
    StepDispatcher dispatcher;
    constexpr int kThreads = 4;
    constexpr int kPosts = 200;
    std::vector<std::vector<int>> seen(kThreads);
    int total = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPosts; ++i) {
                dispatcher.Post([&, t, i] {
                    EXPECT_TRUE(dispatcher.IsDispatchThread());
                    seen[t].push_back(i);
                    ++total;
                });
            }
        });
    }
    EXPECT_TRUE(dispatcher.RunUntil([&] { return total == kThreads * kPosts; }, kWaitMs));
    for (auto& thread : threads)
        thread.join();
    for (const auto& sequence : seen) {
        ASSERT_EQ(sequence.size(), static_cast<size_t>(kPosts));
        for (int i = 0; i < kPosts; ++i)
            EXPECT_EQ(sequence[static_cast<size_t>(i)], i);
    }
}

TEST(StepDispatcherTest, SendOnTheDispatchThreadRunsAtOnceAheadOfQueuedWork) {
    StepDispatcher dispatcher;
    std::vector<std::string> ran;
    dispatcher.Post([&] { ran.push_back("posted"); });
    EXPECT_TRUE(dispatcher.Send([&] { ran.push_back("sent"); }));
    EXPECT_THAT(ran, ElementsAre("sent"));
    dispatcher.RunPending();
    EXPECT_THAT(ran, ElementsAre("sent", "posted"));
}

TEST(StepDispatcherTest, SendFromAnotherThreadWaitsForTheDispatchThreadToRunIt) {
    StepDispatcher dispatcher;
    std::atomic<bool> returned{false};
    bool ranOnDispatchThread = false;
    bool sendResult = false;
    std::thread sender([&] {
        sendResult = dispatcher.Send([&] { ranOnDispatchThread = dispatcher.IsDispatchThread(); });
        returned = true;
    });
    // The call is queued, and the sender is still waiting for it.
    ASSERT_TRUE(WaitForPending(dispatcher));
    EXPECT_FALSE(returned.load());
    EXPECT_TRUE(dispatcher.RunUntil([&] { return returned.load(); }, kWaitMs));
    sender.join();
    EXPECT_TRUE(sendResult);
    EXPECT_TRUE(ranOnDispatchThread);
}

TEST(StepDispatcherTest, SendIsReleasedWithFalseWhenTheDispatcherGoesAwayFirst) {
    auto dispatcher = std::make_unique<StepDispatcher>();
    std::atomic<bool> ran{false};
    bool sendResult = true;
    std::thread sender([&] { sendResult = dispatcher->Send([&] { ran = true; }); });
    ASSERT_TRUE(WaitForPending(*dispatcher));
    dispatcher.reset();
    sender.join();
    EXPECT_FALSE(sendResult);
    EXPECT_FALSE(ran.load());
}

TEST(StepDispatcherTest, MessagesReachTheHandlerOfTheirIdWithBothParameters) {
    StepDispatcher dispatcher;
    struct Received {
        uint32_t id;
        int64_t w;
        int64_t l;
    };
    std::vector<Received> received;
    auto record = [&](uint32_t id, int64_t w, int64_t l) { received.push_back({id, w, l}); };
    dispatcher.SetMessageHandler(1027, record);
    dispatcher.SetMessageHandler(1044, record);

    dispatcher.PostMessage(1027, 7, -9000000000LL);
    dispatcher.PostMessage(1030, 1, 2);  // no handler: dropped
    dispatcher.PostMessage(1044, -1, 3);
    dispatcher.PostMessage(1044, 5, 6);
    dispatcher.SetMessageHandler(1044, nullptr);  // removed before delivery: dropped
    dispatcher.RunPending();

    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].id, 1027u);
    EXPECT_EQ(received[0].w, 7);
    EXPECT_EQ(received[0].l, -9000000000LL);
}

TEST(StepDispatcherTest, TimersFireInDueOrderOnTheFakeClock) {
    StepDispatcher dispatcher;
    std::vector<std::string> fired;
    dispatcher.SetTimer(1, 300, [&] { fired.push_back("t1@" + std::to_string(dispatcher.Now())); });
    dispatcher.SetTimer(2, 100, [&] { fired.push_back("t2@" + std::to_string(dispatcher.Now())); });
    dispatcher.SetTimer(3, 100, [&] { fired.push_back("t3@" + std::to_string(dispatcher.Now())); });
    dispatcher.SetTimer(4, 1000, [&] { fired.push_back("t4"); });

    dispatcher.AdvanceTime(99);
    EXPECT_TRUE(fired.empty());
    dispatcher.AdvanceTime(401);
    // Same due time: the order they were set in.
    EXPECT_THAT(fired, ElementsAre("t2@100", "t3@100", "t1@300"));
    EXPECT_EQ(dispatcher.Now(), 500);
    EXPECT_FALSE(dispatcher.IsTimerSet(1));  // one-shot
    EXPECT_TRUE(dispatcher.IsTimerSet(4));
}

TEST(StepDispatcherTest, ResettingATimerRearmsItAndKillingItCancelsIt) {
    StepDispatcher dispatcher;
    std::vector<std::string> fired;
    dispatcher.SetTimer(5, 100, [&] { fired.push_back("old"); });
    dispatcher.SetTimer(6, 150, [&] { fired.push_back("killed"); });
    dispatcher.AdvanceTime(80);
    dispatcher.SetTimer(5, 100,
                        [&] { fired.push_back("new@" + std::to_string(dispatcher.Now())); });
    dispatcher.KillTimer(6);
    dispatcher.KillTimer(99);  // not set: nothing happens
    dispatcher.AdvanceTime(1000);
    EXPECT_THAT(fired, ElementsAre("new@180"));
}

TEST(StepDispatcherTest, TimerCallbacksMayRearmThemselvesAndTheirPostsRunBeforeLaterTimers) {
    StepDispatcher dispatcher;
    std::vector<std::string> events;
    int ticks = 0;
    std::function<void()> tick = [&] {
        events.push_back("tick@" + std::to_string(dispatcher.Now()));
        dispatcher.Post([&] { events.push_back("posted"); });
        if (++ticks < 3)
            dispatcher.SetTimer(1, 100, tick);
    };
    dispatcher.SetTimer(1, 100, tick);
    dispatcher.SetTimer(2, 250,
                        [&] { events.push_back("other@" + std::to_string(dispatcher.Now())); });
    dispatcher.AdvanceTime(1000);
    EXPECT_THAT(events, ElementsAre("tick@100", "posted", "tick@200", "posted", "other@250",
                                    "tick@300", "posted"));
}

TEST(StepDispatcherTest, ScopedCurrentDispatcherInstallsAndRestores) {
    StepDispatcher outer;
    StepDispatcher inner;
    Dispatcher* before = CurrentDispatcher();
    {
        ScopedCurrentDispatcher a(&outer);
        EXPECT_EQ(CurrentDispatcher(), &outer);
        {
            ScopedCurrentDispatcher b(&inner);
            EXPECT_EQ(CurrentDispatcher(), &inner);
        }
        EXPECT_EQ(CurrentDispatcher(), &outer);
    }
    EXPECT_EQ(CurrentDispatcher(), before);
}

}  // namespace
}  // namespace orvia
