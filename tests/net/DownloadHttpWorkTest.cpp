#include "net/DownloadHttpWork.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "NetTestFixture.h"

namespace {

class DownloadHttpWorkTest : public NetTest {
protected:
    DownloadHttpWork Work(const std::string& target, bool checkVersion) {
        DownloadHttpWork work;
        work.Url = Url(target);
        work.CheckVersion = checkVersion;
        work.VersionCheck = [this](const std::string& text) { checked_.push_back(text); };
        return work;
    }

    std::vector<std::string> checked_;
};

TEST_F(DownloadHttpWorkTest, VersionCheckReceivesTheTextOnlyWhenAsked) {
    Serve("/version.txt", 200, "2.1.0");
    Work("/version.txt", false).DoWork();
    EXPECT_TRUE(checked_.empty());
    EXPECT_EQ(server_.RequestsSeen().size(), 1u);
    Work("/version.txt", true).DoWork();
    EXPECT_EQ(checked_, std::vector<std::string>{"2.1.0"});
}

TEST_F(DownloadHttpWorkTest, FailuresAreSwallowed) {
    Work("/missing", true).DoWork();
    EXPECT_TRUE(checked_.empty());

    Serve("/version.txt", 200, "2.1.0");
    DownloadHttpWork throwing = Work("/version.txt", true);
    throwing.VersionCheck = [](const std::string&) { throw std::runtime_error("bad version"); };
    EXPECT_NO_THROW(throwing.DoWork());

    DownloadHttpWork unchecked = Work("/version.txt", true);
    unchecked.VersionCheck = nullptr;
    EXPECT_NO_THROW(unchecked.DoWork());
}

}  // namespace
