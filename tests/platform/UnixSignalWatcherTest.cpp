#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <vector>

#include "support/EventLoopWait.h"
#include "platform/UnixSignalWatcher.h"
#include "support/TestSupport.h"

namespace {

TEST(UnixSignalWatcherTest, TerminationSignalsArriveThroughTheEventLoopAndOldHandlingComesBack) {
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &before), 0);
    {
        UnixSignalWatcher watcher;
        EXPECT_EQ(TestSupport::LocationOf([] { UnixSignalWatcher second; }),
                  "UnixSignalWatcher::UnixSignalWatcher (1)");
        std::vector<int> received;
        QObject::connect(&watcher, &UnixSignalWatcher::terminationRequested,
                         [&received](int number) { received.push_back(number); });
        for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
            const std::size_t earlier = received.size();
            ASSERT_EQ(::kill(::getpid(), number), 0);
            EXPECT_EQ(received.size(), earlier) << "emitted inside the handler";
            ASSERT_TRUE(WaitUntil([&] { return received.size() > earlier; }));
        }
        EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
    }
    struct sigaction after {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &after), 0);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    const UnixSignalWatcher again;
}

}  // namespace
