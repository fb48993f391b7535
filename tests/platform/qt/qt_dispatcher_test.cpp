#include "platform/qt/qt_dispatcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/thread/thread_affinity.h"

namespace orvia {
namespace {

using ::testing::ElementsAre;

constexpr int kWaitMs = 10000;  // bound for each wait; never reached when correct

class QtDispatcherTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "qt_dispatcher_test";
        static char* argv[] = {name, nullptr};
        app_ = new QCoreApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete app_;
        app_ = nullptr;
    }

    // Runs the event loop until the predicate holds (checked after every
    // event), at most kWaitMs.
    bool RunUntil(const std::function<bool()>& predicate) {
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (predicate())
                loop.quit();
        });
        check.start(1);
        QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
        if (!predicate())
            loop.exec();
        return predicate();
    }

    static QCoreApplication* app_;
};

QCoreApplication* QtDispatcherTest::app_ = nullptr;

TEST_F(QtDispatcherTest, MarksTheMainThreadAndRunsPostsInOrder) {
    QtDispatcher dispatcher;
    EXPECT_TRUE(IsMainThread());
    std::vector<std::string> ran;
    dispatcher.Post([&] {
        ran.push_back("a");
        dispatcher.Post([&] { ran.push_back("c"); });
    });
    dispatcher.Post([&] { ran.push_back("b"); });
    EXPECT_TRUE(ran.empty());
    ASSERT_TRUE(RunUntil([&] { return ran.size() == 3; }));
    EXPECT_THAT(ran, ElementsAre("a", "b", "c"));
}

TEST_F(QtDispatcherTest, PostsAndSendsFromOtherThreadsRunOnTheMainThread) {
    QtDispatcher dispatcher;
    std::vector<int> fromWorker;
    std::atomic<bool> sent{false};
    bool sendOnMain = false;
    std::thread worker([&] {
        EXPECT_FALSE(dispatcher.IsDispatchThread());
        for (int i = 0; i < 100; ++i)
            dispatcher.Post([&, i] { fromWorker.push_back(i); });
        // Send waits until the main thread has run it, after the posts.
        sent = dispatcher.Send(
            [&] { sendOnMain = dispatcher.IsDispatchThread() && fromWorker.size() == 100; });
    });
    ASSERT_TRUE(RunUntil([&] { return sent.load(); }));
    worker.join();
    EXPECT_TRUE(sendOnMain);
    ASSERT_EQ(fromWorker.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(fromWorker[static_cast<size_t>(i)], i);

    bool ranAtOnce = false;
    EXPECT_TRUE(dispatcher.Send([&] { ranAtOnce = true; }));
    EXPECT_TRUE(ranAtOnce);
}

TEST_F(QtDispatcherTest, MessagesReachTheirHandler) {
    QtDispatcher dispatcher;
    std::vector<int64_t> received;
    dispatcher.SetMessageHandler(1044, [&](uint32_t id, int64_t w, int64_t l) {
        received.push_back(id);
        received.push_back(w);
        received.push_back(l);
    });
    std::thread worker([&] { dispatcher.PostMessage(1044, 5, -6); });
    worker.join();
    ASSERT_TRUE(RunUntil([&] { return !received.empty(); }));
    EXPECT_THAT(received, ElementsAre(1044, 5, -6));
}

TEST_F(QtDispatcherTest, TimersFireOnceInDueOrderAndCanBeRearmedOrKilled) {
    QtDispatcher dispatcher;
    std::vector<std::string> fired;
    dispatcher.SetTimer(1, 60, [&] { fired.push_back("late"); });
    dispatcher.SetTimer(2, 1, [&] { fired.push_back("early"); });
    dispatcher.SetTimer(3, 5, [&] { fired.push_back("killed"); });
    dispatcher.KillTimer(3);
    dispatcher.SetTimer(4, 500000, [&] { fired.push_back("old"); });
    dispatcher.SetTimer(4, 30, [&] {
        fired.push_back("rearmed");
        dispatcher.SetTimer(4, 200, [&] { fired.push_back("again"); });
    });
    ASSERT_TRUE(RunUntil([&] { return fired.size() == 4; }));
    EXPECT_THAT(fired, ElementsAre("early", "rearmed", "late", "again"));
}

}  // namespace
}  // namespace orvia
