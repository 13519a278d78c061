#include "app/WorkPool.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "core/WorkStop.h"

namespace {

using namespace std::chrono_literals;

struct Journal {
    std::mutex Lock;
    std::condition_variable Changed;
    std::vector<int> Ran;
    std::vector<int> Destroyed;
    std::vector<int> NiceValues;
    std::vector<int> Stopped;

    template <class Predicate>
    bool WaitUntil(Predicate predicate) {
        std::unique_lock lock(Lock);
        return Changed.wait_for(lock, 10s, predicate);
    }
    bool WasDestroyed(int id) const {
        return std::find(Destroyed.begin(), Destroyed.end(), id) != Destroyed.end();
    }
};

enum class Behaviour { Record, Throw, WaitForStop };

class JournalItem : public IWork {
public:
    JournalItem(std::shared_ptr<Journal> journal, int id, Behaviour behaviour)
        : journal_(std::move(journal)), id_(id), behaviour_(behaviour) {}
    ~JournalItem() override {
        std::lock_guard lock(journal_->Lock);
        journal_->Destroyed.push_back(id_);
        journal_->Changed.notify_all();
    }

    void DoWork() override {
        {
            std::lock_guard lock(journal_->Lock);
            journal_->Ran.push_back(id_);
            journal_->NiceValues.push_back(getpriority(PRIO_PROCESS, gettid()));
            journal_->Changed.notify_all();
        }
        if (behaviour_ == Behaviour::Throw) {
            throw std::runtime_error("download failed");
        }
        if (behaviour_ == Behaviour::WaitForStop && !WorkStop::SleepFor(10s)) {
            std::lock_guard lock(journal_->Lock);
            journal_->Stopped.push_back(id_);
        }
    }

private:
    std::shared_ptr<Journal> journal_;
    int id_;
    Behaviour behaviour_;
};

class WorkPoolTest : public ::testing::Test {
protected:
    std::unique_ptr<IWork> Item(int id, Behaviour behaviour = Behaviour::Record) {
        return std::make_unique<JournalItem>(journal_, id, behaviour);
    }

    std::shared_ptr<Journal> journal_ = std::make_shared<Journal>();
};

TEST_F(WorkPoolTest, ItemsRunInQueueOrderBelowTheMainThreadsPriority) {
    const int mainNice = getpriority(PRIO_PROCESS, gettid());
    WorkPool pool;
    ASSERT_TRUE(pool.Initialise());
    ASSERT_TRUE(pool.Initialise());
    for (int id = 1; id <= 4; ++id) {
        ASSERT_TRUE(pool.Queue(Item(id)));
    }
    pool.Stop(0);
    EXPECT_EQ(journal_->Ran, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(journal_->Destroyed, (std::vector<int>{1, 2, 3, 4}));
    const int workerNice = std::min(mainNice + WorkPool::BelowNormalNiceIncrement, 19);
    EXPECT_EQ(journal_->NiceValues, std::vector<int>(4, workerNice));
}

TEST_F(WorkPoolTest, ThrowingItemIsDestroyedAndTheNextStillRuns) {
    WorkPool pool;
    ASSERT_TRUE(pool.Initialise());
    pool.Queue(Item(1, Behaviour::Throw));
    pool.Queue(Item(2));
    ASSERT_TRUE(journal_->WaitUntil([this] { return journal_->WasDestroyed(2); }));
    EXPECT_EQ(journal_->Ran, (std::vector<int>{1, 2}));
    EXPECT_TRUE(journal_->WasDestroyed(1));
}

TEST_F(WorkPoolTest, StopWaitsThenStopsTheRunningItemJoinsAndDropsQueuedItems) {
    WorkPool pool;
    ASSERT_TRUE(pool.Initialise());
    pool.Queue(Item(1, Behaviour::WaitForStop));
    pool.Queue(Item(2));
    ASSERT_TRUE(journal_->WaitUntil([this] { return !journal_->Ran.empty(); }));

    const auto started = std::chrono::steady_clock::now();
    pool.Stop(100);
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_GE(elapsed, 100ms);
    EXPECT_LT(elapsed, 2s);
    // The worker has ended: the running item saw the stop and is gone, the
    // queued one never ran.
    EXPECT_EQ(journal_->Stopped, (std::vector<int>{1}));
    EXPECT_TRUE(journal_->WasDestroyed(1));
    EXPECT_TRUE(journal_->WasDestroyed(2));
    EXPECT_EQ(journal_->Ran, (std::vector<int>{1}));
    EXPECT_FALSE(pool.Queue(Item(3)));
}

TEST_F(WorkPoolTest, ItemsOutsideTheRunningLifetimeAreDestroyedUnrun) {
    {
        WorkPool pool;
        EXPECT_FALSE(pool.Queue(Item(1)));
        ASSERT_TRUE(pool.Initialise());
        pool.Stop(0);
        EXPECT_FALSE(pool.Queue(Item(2)));
        EXPECT_FALSE(pool.Initialise());
    }
    EXPECT_TRUE(journal_->Ran.empty());
    EXPECT_EQ(journal_->Destroyed, (std::vector<int>{1, 2}));
}

TEST_F(WorkPoolTest, DestroyingThePoolRunsWhatWasQueuedBeforeStopping) {
    {
        WorkPool pool;
        ASSERT_TRUE(pool.Initialise());
        pool.Queue(Item(1));
    }
    EXPECT_EQ(journal_->Ran, (std::vector<int>{1}));
}

}  // namespace
