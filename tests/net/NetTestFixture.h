#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "net/TransferLimits.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestSupport.h"

// A loopback server, no proxy from the developer's environment, and limits
// small enough that stalls and size checks end within a second or two.
class NetTest : public ::testing::Test {
protected:
    static constexpr std::uint64_t TextLimit = 8 * 1024;
    static constexpr std::uint64_t BinaryLimit = 64 * 1024;

    NetTest() {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                 "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
            environment_.Unset(name);
        }
        TransferLimits limits;
        limits.ConnectTimeout = std::chrono::milliseconds(2000);
        limits.LowSpeedTime = std::chrono::seconds(1);
        limits.MaxTextBytes = TextLimit;
        limits.MaxBinaryBytes = BinaryLimit;
        previous_ = SetTransferLimitsForTesting(limits);
    }
    ~NetTest() override { SetTransferLimitsForTesting(previous_); }

    std::string Url(const std::string& target) const { return server_.BaseUrl() + target; }

    void Serve(const std::string& target, int status, const std::string& body) {
        TestSupport::ServerResponse response;
        response.Status = status;
        response.Body = body;
        server_.Route(target, response);
    }

    void Serve(const std::string& target, TestSupport::ServerResponse response) {
        server_.Route(target, response);
    }

    TestSupport::ScopedEnvironment environment_;
    TestSupport::LoopbackHttpServer server_;

private:
    TransferLimits previous_;
};

// A loopback port with nothing listening on it.
std::uint16_t ClosedPort();
