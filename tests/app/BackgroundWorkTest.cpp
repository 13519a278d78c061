#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "app/BackgroundWork.h"
#include "app/Program.h"
#include "app/WorkPool.h"
#include "app/WorkResults.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestSupport.h"

namespace {

// Records what reaches the hidden window from the worker thread.
class WaitingWindow : public IHiddenWindowPoster {
public:
    bool Post(unsigned message, std::uintptr_t) override {
        const std::lock_guard lock(mutex_);
        messages_.push_back(message);
        posted_.notify_all();
        return true;
    }
    bool Exists() const override { return true; }

    bool WaitFor(unsigned message) {
        std::unique_lock lock(mutex_);
        return posted_.wait_for(lock, std::chrono::seconds(10), [&] {
            return std::find(messages_.begin(), messages_.end(), message) != messages_.end();
        });
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::vector<unsigned> messages_;
};

// The whole way of the update check: the edition's version file from the site,
// downloaded by the pool's worker, announces a newer version to the window.
TEST(BackgroundWork, TheUpdateCheckAnnouncesANewerVersionToTheWindow) {
    TestSupport::LoopbackHttpServer site;
    TestSupport::ServerResponse versionFile;
    versionFile.Body = "Name=Terravue\r\nVersion=7.5.0\r\n";
    site.Route("/custom/plovex/other/version/Earth-Version-Desktop.txt?version=7.4.3", versionFile);
    const TestSupport::ScopedEnvironment root("SKYVANE_SITE_ROOT", site.BaseUrl());
    Program::ResetForTesting();
    Program::InitPathInfo("/usr/bin/terravue");
    Program::DetermineAppMode("");
    WaitingWindow window;
    Program::SetHiddenWindowPoster(&window);
    ASSERT_TRUE(Program::Pool().Initialise());

    Program::QueueUpdateCheck();

    EXPECT_TRUE(window.WaitFor(WorkMessage::NewVersion));
    EXPECT_EQ(site.RequestsSeen().size(), 1U);
    // As the program's exit does: the worker ends before the libraries it used
    // clean up at process end.
    Program::Pool().Stop(0);
    Program::SetHiddenWindowPoster(nullptr);
    Program::ResetForTesting();
}

}  // namespace
