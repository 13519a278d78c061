#include "net/ServiceAddress.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace {

TEST(ServiceAddressTest, NonEmptyEnvironmentValueWinsOverTheFallback) {
    TestSupport::ScopedEnvironment environment("SKYVANE_TEST_SERVICE", "http://127.0.0.1:9/");
    EXPECT_EQ(AddressFromEnvironment("SKYVANE_TEST_SERVICE", "https://fallback/"),
              "http://127.0.0.1:9/");
    environment.Set("SKYVANE_TEST_SERVICE", "");
    EXPECT_EQ(AddressFromEnvironment("SKYVANE_TEST_SERVICE", "https://fallback/"),
              "https://fallback/");
    environment.Unset("SKYVANE_TEST_SERVICE");
    EXPECT_EQ(AddressFromEnvironment("SKYVANE_TEST_SERVICE", "https://fallback/"),
              "https://fallback/");
}

TEST(ServiceAddressTest, SplitUrlFillsTheSchemesDefaultPortUnlessOneIsGiven) {
    const auto secure = SplitUrl("HTTPS://Example.Invalid/data/observations/metar/stations/");
    ASSERT_TRUE(secure);
    EXPECT_EQ(secure->Scheme, "https");
    EXPECT_EQ(secure->Host, "example.invalid");
    EXPECT_EQ(secure->Port, 443);
    EXPECT_EQ(secure->Path, "/data/observations/metar/stations/");
    EXPECT_TRUE(secure->IsSecure());

    const auto plain = SplitUrl("http://example.invalid");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->Port, 80);
    EXPECT_EQ(plain->Path, "/");
    EXPECT_FALSE(plain->IsSecure());

    const auto explicitPort = SplitUrl("http://127.0.0.1:8080/version.txt?edition=1");
    ASSERT_TRUE(explicitPort);
    EXPECT_EQ(explicitPort->Port, 8080);
    EXPECT_EQ(explicitPort->Path, "/version.txt?edition=1");
}

TEST(ServiceAddressTest, SplitUrlAcceptsOtherSchemesButNotRelativeText) {
    const auto file = SplitUrl("file:///etc/hostname");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Scheme, "file");
    EXPECT_FALSE(file->IsHttp());
    EXPECT_EQ(file->Host, "");
    EXPECT_FALSE(SplitUrl("stations/KXYZ.TXT"));
    EXPECT_FALSE(SplitUrl(""));
}

TEST(ServiceAddressTest, CanonicalUrlEncodesSpaces) {
    EXPECT_EQ(CanonicalUrl("http://example.invalid/a b.png"), "http://example.invalid/a%20b.png");
}

}  // namespace
