#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <string>
#include <vector>

#include "core/Exceptions.h"
#include "render/Background.h"
#include "support/EventLoopWait.h"

namespace {

TEST(BackgroundTest, WorkGivesItsResultOrWhatItThrewAsItWasThrown) {
    QFuture<std::string> made = RunInBackground([] { return std::string("picture"); });
    EXPECT_EQ(TakeResult(made), "picture");

    QFuture<int> failed =
        RunInBackground([]() -> int { throw ArgumentException("BackgroundTest (1)"); });
    try {
        TakeResult(failed);
        ADD_FAILURE() << "nothing was thrown";
    } catch (const ArgumentException& error) {
        EXPECT_EQ(error.Location, "BackgroundTest (1)");
    }
    QFuture<void> failedWithout =
        RunInBackground([] { throw ArgumentException("BackgroundTest (2)"); });
    EXPECT_THROW(WaitFor(failedWithout), ArgumentException);
}

// Every thread of the pool waits for work queued behind it: each runs its own.
TEST(BackgroundTest, WorkWaitingForWorkWithoutAThreadToSpareRunsItItself) {
    const int threads = BackgroundThreads().maxThreadCount();
    std::vector<QFuture<int>> outer;
    for (int i = 0; i < threads * 2; ++i) {
        outer.push_back(RunInBackground([i] {
            QFuture<int> inner = RunInBackground([i] { return i * 10; });
            return TakeResult(inner) + 1;
        }));
    }
    for (int i = 0; i < threads * 2; ++i) {
        EXPECT_EQ(TakeResult(outer[static_cast<std::size_t>(i)]), i * 10 + 1);
    }
}

TEST(BackgroundTest, TheContinuationRunsOnItsContextsThreadWithTheResult) {
    QObject context;
    QThread* ranOn = nullptr;
    int result = 0;
    RunInBackgroundThen([] { return 42; }, &context,
                        [&](QFuture<int> done) {
                            ranOn = QThread::currentThread();
                            result = TakeResult(done);
                        });
    ASSERT_TRUE(WaitUntil([&] { return ranOn != nullptr; }));
    EXPECT_EQ(ranOn, QCoreApplication::instance()->thread());
    EXPECT_EQ(result, 42);
}

#if defined(__SANITIZE_THREAD__)
// Run on its own under ThreadSanitizer, which must report it: a race between the
// pool and the thread that started the work is not hidden from it.
TEST(BackgroundTsanCanary, ARaceWithThePoolIsReported) {
    int shared = 0;
    QFuture<void> other = RunInBackground([&shared] {
        for (int i = 0; i < 100000; ++i) {
            shared = shared + 1;
        }
    });
    for (int i = 0; i < 100000; ++i) {
        shared = shared + 2;
    }
    WaitFor(other);
    EXPECT_GT(shared, 0);
}
#endif

}  // namespace
