#include <gtest/gtest.h>

#include <string>

#include "NetTestFixture.h"
#include "net/Internet.h"

using TestSupport::LocationOf;
using TestSupport::ServerBehaviour;
using TestSupport::ServerResponse;

namespace {

constexpr const char* InternetFailure = "AfxThrowInternetException (11)";
constexpr const char* NotSupported = "AfxThrowNotSupportedException (9)";

class InternetFileTest : public NetTest {
protected:
    std::unique_ptr<InternetFile> Open(const std::string& target) {
        return session_.OpenUrl(Url(target));
    }

    InternetSession session_;
};

TEST_F(InternetFileTest, OpenUrlGivesHttpFilesForWebAddressesAndNothingForOtherSchemes) {
    Serve("/image.png", 200, "png");
    const auto file = Open("/image.png");
    ASSERT_NE(dynamic_cast<HttpFile*>(file.get()), nullptr);
    EXPECT_EQ(file->ObjectName(), "/image.png");
    EXPECT_EQ(file->ServerName(), "127.0.0.1");
    EXPECT_EQ(session_.OpenUrl("file:///etc/hostname"), nullptr);
    EXPECT_EQ(session_.OpenUrl("mailto:someone@example.invalid"), nullptr);
    EXPECT_EQ(LocationOf([&] { session_.OpenUrl("no scheme at all"); }), InternetFailure);
}

TEST_F(InternetFileTest, OpenUrlOnClosedSessionOrRefusedPortRaises) {
    EXPECT_EQ(LocationOf([&] {
                  session_.OpenUrl("ftp://127.0.0.1:" + std::to_string(ClosedPort()) + "/x");
              }),
              InternetFailure);
    session_.Close();
    EXPECT_EQ(session_.Close(), 0);
    EXPECT_EQ(LocationOf([&] { session_.OpenUrl(Url("/x")); }), InternetFailure);
}

TEST_F(InternetFileTest, LargeBodyIsStreamedNotHeldWhole) {
    ServerResponse huge;
    huge.Behaviour = ServerBehaviour::Huge;
    huge.HugeSize = 32ull * 1024 * 1024;
    Serve("/huge", huge);
    const auto file = session_.OpenUrl(Url("/huge"), huge.HugeSize);
    std::uint64_t total = 0;
    char buffer[65536];
    for (std::size_t count; (count = file->Read(buffer, sizeof(buffer))) > 0;) {
        total += count;
        EXPECT_LE(file->BytesAvailable(), 2u * 1024 * 1024);
    }
    EXPECT_EQ(total, huge.HugeSize);
}

TEST_F(InternetFileTest, BinaryBodyOverTheLimitRaises) {
    ServerResponse huge;
    huge.Behaviour = ServerBehaviour::Huge;
    huge.HugeSize = BinaryLimit * 4;
    huge.SendLength = false;
    Serve("/huge", huge);
    char buffer[4096];
    EXPECT_EQ(LocationOf([&] {
                  const auto file = Open("/huge");
                  while (file->Read(buffer, sizeof(buffer)) > 0) {
                  }
              }),
              InternetFailure);
}

TEST_F(InternetFileTest, ReadLineDropsCarriageReturnsAndSplitsAtLineFeeds) {
    Serve("/lines", 200, "first\r\nsecond\nlast");
    const auto file = Open("/lines");
    std::string line;
    ASSERT_TRUE(file->ReadLine(line));
    EXPECT_EQ(line, "first");
    ASSERT_TRUE(file->ReadLine(line));
    EXPECT_EQ(line, "second");
    ASSERT_TRUE(file->ReadLine(line));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(file->ReadLine(line));
}

TEST_F(InternetFileTest, ReadLineIntoBufferKeepsLineFeedAndStopsAtTheBufferSize) {
    Serve("/lines", 200, "ab\r\ncdefgh\n");
    const auto file = Open("/lines");
    char buffer[5];
    ASSERT_NE(file->ReadLine(buffer, sizeof(buffer)), nullptr);
    EXPECT_STREQ(buffer, "ab\n");
    ASSERT_NE(file->ReadLine(buffer, sizeof(buffer)), nullptr);
    EXPECT_STREQ(buffer, "cdef");
    char rest[4];
    EXPECT_EQ(file->Read(rest, sizeof(rest)), 3u);
    EXPECT_EQ(std::string(rest, 3), "gh\n");
    EXPECT_EQ(file->ReadLine(buffer, sizeof(buffer)), nullptr);
}

TEST_F(InternetFileTest, WritingAndRepositioningAreNotSupported) {
    Serve("/file", 200, "content");
    const auto file = Open("/file");
    EXPECT_TRUE(file->IsReadMode());
    EXPECT_EQ(LocationOf([&] { file->Write("x", 1); }), NotSupported);
    EXPECT_EQ(LocationOf([&] { file->WriteLine("x"); }), NotSupported);
    EXPECT_EQ(LocationOf([&] { file->SetPosition(0, 0); }), NotSupported);
    EXPECT_EQ(LocationOf([&] { file->SetLength(0); }), NotSupported);
    EXPECT_EQ(LocationOf([&] { file->LockRange(0, 1); }), NotSupported);
}

TEST_F(InternetFileTest, ClosedOrDiscardedFileCannotBeRead) {
    Serve("/file", 200, "content");
    const auto closed = Open("/file");
    closed->Close();
    char buffer[16];
    EXPECT_EQ(closed->BytesAvailable(), 0u);
    EXPECT_EQ(LocationOf([&] { closed->Read(buffer, sizeof(buffer)); }), InternetFailure);
    const auto discarded = Open("/file");
    discarded->Discard();
    EXPECT_EQ(discarded->ObjectName(), "");
    EXPECT_FALSE(discarded->IsOpen());
}

TEST_F(InternetFileTest, StatusIsUnknownUntilTheRequestIsSent) {
    Serve("/file", 206, "part");
    HttpConnection connection(session_, "127.0.0.1", server_.Port());
    const auto file = connection.OpenGetRequest("/file");
    unsigned status = 0;
    EXPECT_FALSE(ReadStatusCode(*file, status));
    EXPECT_EQ(server_.RequestsSeen().size(), 0u);
    file->SendRequest();
    ASSERT_TRUE(ReadStatusCode(*file, status));
    EXPECT_EQ(status, 206u);
}

TEST_F(InternetFileTest, FileUrlNamesTheObjectOnItsServer) {
    HttpConnection connection(session_, "127.0.0.1", server_.Port());
    const std::string base = "http://127.0.0.1:" + std::to_string(server_.Port());
    EXPECT_EQ(connection.OpenGetRequest("stations/K.TXT")->FileUrl(), base + "/stations/K.TXT");
    EXPECT_EQ(connection.OpenGetRequest("/K.TXT")->FileUrl(), base + "/K.TXT");
    HttpConnection secure(session_, "example.invalid", 443, true);
    EXPECT_EQ(secure.OpenGetRequest("/K.TXT")->FileUrl(), "https://example.invalid/K.TXT");
    Serve("/K.TXT", 200, "k");
    const auto opened = Open("/K.TXT");
    EXPECT_EQ(dynamic_cast<HttpFile&>(*opened).FileUrl(), "http://");
}

TEST_F(InternetFileTest, ServerNamesThatWouldChangeTheAddressAreRefused) {
    for (const char* server : {"", "evil.invalid/path", "user@host", "host name"}) {
        EXPECT_EQ(LocationOf([&] { HttpConnection(session_, server, 80); }), InternetFailure)
            << server;
    }
}

}  // namespace
