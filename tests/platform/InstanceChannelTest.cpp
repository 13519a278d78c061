#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/EventLoopWait.h"
#include "platform/InstanceChannel.h"
#include "support/TestSupport.h"

using namespace TestSupport;

namespace {

namespace fs = std::filesystem;

constexpr const char* Earth = "Earth_FormHidden";
constexpr const char* Weather = "Weather_FormHidden";

class InstanceChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment_.Set("XDG_RUNTIME_DIR", runtime_.Path().string());
        environment_.Set("XDG_CACHE_HOME", cache_.Path().string());
    }

    // Collects what the channel hands on, in order.
    static void Collect(InstanceChannel& channel, std::vector<int>& messages) {
        QObject::connect(&channel, &InstanceChannel::messageReceived,
                         [&messages](int message) { messages.push_back(message); });
    }

    static std::unique_ptr<QLocalSocket> Client(const QString& path, const QByteArray& text) {
        auto client = std::make_unique<QLocalSocket>();
        client->connectToServer(path);
        EXPECT_TRUE(client->waitForConnected(1000));
        if (!text.isEmpty()) {
            client->write(text);
            EXPECT_TRUE(client->waitForBytesWritten(1000));
        }
        return client;
    }

    static mode_t ModeOf(const std::string& path) {
        struct stat status {};
        EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
        return status.st_mode;
    }

    TempFolder runtime_;
    TempFolder cache_;
    ScopedEnvironment environment_;
};

TEST_F(InstanceChannelTest, SecondStartOfAnEditionReachesTheFirstAndOtherEditionsAreUnaffected) {
    std::vector<int> earthMessages;
    std::vector<int> weatherMessages;
    auto first = std::make_unique<InstanceChannel>(Earth);
    InstanceChannel weather(Weather);
    Collect(*first, earthMessages);
    Collect(weather, weatherMessages);
    ASSERT_TRUE(first->HoldLock());
    ASSERT_TRUE(first->Listen());
    EXPECT_FALSE(weather.AnotherInstanceRuns());
    ASSERT_TRUE(weather.HoldLock());
    ASSERT_TRUE(weather.Listen());

    InstanceChannel second(Earth);
    EXPECT_TRUE(second.AnotherInstanceRuns());
    EXPECT_FALSE(second.HoldLock());
    EXPECT_FALSE(second.Listen());
    for (const InstanceChannel::Message message :
         {InstanceChannel::SecondDesktopStart, InstanceChannel::ConfigureStart,
          InstanceChannel::QuitRequest}) {
        const std::size_t earlier = earthMessages.size();
        EXPECT_TRUE(second.Send(message));
        ASSERT_TRUE(WaitUntil([&] { return earthMessages.size() > earlier; }));
    }
    EXPECT_EQ(earthMessages, (std::vector<int>{1154, 1155, 1164}));
    EXPECT_TRUE(weatherMessages.empty());

    // An instance that ends takes its lock and socket with it.
    const std::string socket = first->SocketPath().toStdString();
    first.reset();
    EXPECT_FALSE(fs::exists(socket));
    EXPECT_FALSE(second.AnotherInstanceRuns());
    EXPECT_FALSE(second.Send(InstanceChannel::SecondDesktopStart));
}

TEST_F(InstanceChannelTest, WhatACrashedInstanceLeftBehindDoesNotBlockTheNextStart) {
    InstanceChannel channel(Earth);
    const std::string socket = channel.SocketPath().toStdString();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Ends without letting anything go, as a crash would.
        QLockFile lock(channel.LockPath());
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool left =
            lock.tryLock(0) &&
            ::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(server, 1) == 0;
        ::_exit(left ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(fs::exists(channel.LockPath().toStdString()));
    ASSERT_TRUE(fs::is_socket(socket));

    std::vector<int> messages;
    Collect(channel, messages);
    EXPECT_FALSE(channel.AnotherInstanceRuns());
    ASSERT_TRUE(channel.HoldLock());
    ASSERT_TRUE(channel.Listen());
    EXPECT_TRUE(InstanceChannel(Earth).Send(InstanceChannel::ConfigureStart));
    ASSERT_TRUE(WaitUntil([&] { return !messages.empty(); }));
    EXPECT_EQ(messages, std::vector<int>{1155});
}

TEST_F(InstanceChannelTest, ASocketThatALiveInstanceServesIsNeverTakenOver) {
    InstanceChannel channel(Earth);
    ASSERT_TRUE(channel.HoldLock());
    QLocalServer live;
    ASSERT_TRUE(live.listen(channel.SocketPath()));
    EXPECT_FALSE(channel.Listen());
    EXPECT_TRUE(InstanceChannel(Earth).Send(InstanceChannel::SecondDesktopStart));
    ASSERT_TRUE(WaitUntil([&] {
        while (live.hasPendingConnections()) {
            QLocalSocket* client = live.nextPendingConnection();
            if (client->bytesAvailable() > 0 || client->waitForReadyRead(1000)) {
                return client->readAll() == "1154\n";
            }
        }
        return false;
    }));
}

TEST_F(InstanceChannelTest, MalformedMessagesAndSilentClientsAreDroppedWithoutBlockingOthers) {
    InstanceChannel channel(Earth);
    std::vector<int> messages;
    Collect(channel, messages);
    ASSERT_TRUE(channel.HoldLock());
    ASSERT_TRUE(channel.Listen());

    std::vector<std::unique_ptr<QLocalSocket>> dropped;
    dropped.push_back(Client(channel.SocketPath(), {}));
    const QLocalSocket* silent = dropped.front().get();
    for (const QByteArray& text : {QByteArray("hello\n"), QByteArray("1153\n"),
                                   QByteArray("1154 \n"), QByteArray(1000, '1')}) {
        dropped.push_back(Client(channel.SocketPath(), text));
    }
    Client(channel.SocketPath(), "1154")->disconnectFromServer();

    EXPECT_TRUE(InstanceChannel(Earth).Send(InstanceChannel::ConfigureStart));
    ASSERT_TRUE(WaitUntil([&] { return !messages.empty(); }));
    EXPECT_EQ(silent->state(), QLocalSocket::ConnectedState);
    ASSERT_TRUE(WaitUntil([&] {
        for (const auto& client : dropped) {
            if (client->state() != QLocalSocket::UnconnectedState) {
                return false;
            }
        }
        return true;
    }));
    EXPECT_EQ(messages, std::vector<int>{1155});
}

TEST_F(InstanceChannelTest, SocketAndItsFolderAreTheUsersAlone) {
    environment_.Unset("XDG_RUNTIME_DIR");
    InstanceChannel channel(Earth);
    ASSERT_TRUE(channel.HoldLock());
    ASSERT_TRUE(channel.Listen());
    const std::string uid = std::to_string(::getuid());
    const std::string folder = cache_.Folder() + "skyvane";
    EXPECT_EQ(channel.SocketPath().toStdString(), folder + "/Earth_FormHidden-" + uid);
    EXPECT_EQ(ModeOf(folder) & 07777, 0700);
    const mode_t socket = ModeOf(channel.SocketPath().toStdString());
    EXPECT_TRUE(S_ISSOCK(socket));
    EXPECT_EQ(socket & 0077, 0);
    EXPECT_EQ(socket & 0600, 0600);
}

}  // namespace
