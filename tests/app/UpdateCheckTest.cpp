#include "app/UpdateCheck.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/Program.h"
#include "app/WorkResults.h"
#include "data/Settings.h"
#include "support/TestSupport.h"

namespace {

struct VersionCase {
    std::string FileText;
    bool Announced;
};

void PrintTo(const VersionCase& value, std::ostream* out) {
    *out << '"' << value.FileText.substr(0, value.FileText.find('\r')) << '"';
}

class UpdateCheckVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(UpdateCheckVersionTest, OnlyANewerMajorOrMinorVersionIsAnnounced) {
    EXPECT_EQ(UpdateCheck::IsNewerVersionAnnounced(GetParam().FileText), GetParam().Announced)
        << GetParam().FileText;
}

INSTANTIATE_TEST_SUITE_P(
    VersionFiles, UpdateCheckVersionTest,
    ::testing::Values(VersionCase{"Version=7.4.3\r\n", false}, VersionCase{"Version=7.4.9", false},
                      VersionCase{"Version=6.9.9\r\n", false},
                      VersionCase{"Version=7.5.0\r\n", true}, VersionCase{"Version=8.0.0", true},
                      VersionCase{"Name=Terravue\r\nVersion=7.10.0\r\n", true},
                      VersionCase{"Version=7.5.0\nName=Terravue\n", true},
                      VersionCase{"Release=8.0.0\r\n", false}, VersionCase{"Version=7.5", false},
                      VersionCase{"Version=eight.0.0", false}, VersionCase{"", false}));

const DateTime FirstOfMarch(2024, 3, 1);

TEST(UpdateCheckPromptTest, UserIsAskedAtMostOnceInTenDays) {
    EXPECT_FALSE(UpdateCheck::ShouldPromptForUpdate(FirstOfMarch, FirstOfMarch));
    EXPECT_FALSE(UpdateCheck::ShouldPromptForUpdate(DateTime(2024, 3, 10), FirstOfMarch));
    EXPECT_TRUE(UpdateCheck::ShouldPromptForUpdate(DateTime(2024, 3, 11), FirstOfMarch));
    EXPECT_TRUE(UpdateCheck::ShouldPromptForUpdate(FirstOfMarch, DateTime(1990, 1, 1)));
}

TEST(UpdateCheckPromptTest, ClockSetBackMoreThanTwoDaysDoesNotHoldThePromptBack) {
    EXPECT_FALSE(UpdateCheck::ShouldPromptForUpdate(FirstOfMarch, DateTime(2024, 3, 3)));
    EXPECT_TRUE(UpdateCheck::ShouldPromptForUpdate(FirstOfMarch, DateTime(2024, 3, 3, 0, 0, 1)));
}

TEST(UpdateCheckPromptTest, TakingATurnStoresAndSavesTodayBeforeAsking) {
    const TestSupport::TempFolder folder;
    const std::string path = folder.Folder() + "Settings.txt";
    CSettings settings;
    ASSERT_TRUE(UpdateCheck::TakePromptTurn(settings, path, FirstOfMarch));
    EXPECT_EQ(settings.LastUpdateNotificationDate, FirstOfMarch);

    CSettings reloaded;
    reloaded.Load(path);
    EXPECT_EQ(reloaded.LastUpdateNotificationDate, FirstOfMarch);
    EXPECT_FALSE(UpdateCheck::TakePromptTurn(reloaded, path, DateTime(2024, 3, 5)));
    EXPECT_EQ(reloaded.LastUpdateNotificationDate, FirstOfMarch);
}

TEST(UpdateCheckAddressTest, EveryAddressCarriesTheEditionAndTheReferrer) {
    const UpdateCheck::SiteAddresses addresses =
        UpdateCheck::BuildSiteAddresses("https://site.test", "Earth", EnumAppMode::Desktop);
    EXPECT_EQ(addresses.FeedbackPage, "https://site.test/contact/?ref=app");
    EXPECT_EQ(addresses.ProductPage, "https://site.test/?product=Earth&ref=app");
    EXPECT_EQ(addresses.EarthEditionPage, "https://site.test/earth/?ref=app");
    EXPECT_EQ(addresses.ProductsPage, "https://site.test/products/?ref=app");
    EXPECT_EQ(addresses.UpdatePage, "https://site.test/custom/plovex/Earth-Update.htm?ref=app");
    EXPECT_EQ(addresses.VersionFile,
              "https://site.test/custom/plovex/other/version/Earth-Version-Desktop.txt"
              "?version=7.4.3");
}

TEST(UpdateCheckAddressTest, TimeZonesScreenSaverAsksForItsOwnFiles) {
    const UpdateCheck::SiteAddresses addresses =
        UpdateCheck::BuildSiteAddresses("http://h", "TimeZones", EnumAppMode::Preview);
    EXPECT_EQ(addresses.UpdatePage, "http://h/custom/plovex/TimeZones-Update.htm?ref=app");
    EXPECT_EQ(addresses.VersionFile,
              "http://h/custom/plovex/other/version/TimeZones-Version-ScreenSaver.txt"
              "?version=7.4.3");
}

TEST(UpdateCheckAddressTest, EnvironmentOverridesTheSiteRootWhenNotEmpty) {
    TestSupport::ScopedEnvironment environment(UpdateCheck::SiteRootVariable, std::nullopt);
    const std::string built = UpdateCheck::ResolveSiteRoot();
    EXPECT_FALSE(built.empty());
    EXPECT_NE(built.back(), '/');
    environment.Set(UpdateCheck::SiteRootVariable, "");
    EXPECT_EQ(UpdateCheck::ResolveSiteRoot(), built);
    environment.Set(UpdateCheck::SiteRootVariable, "http://127.0.0.1:8080/");
    EXPECT_EQ(UpdateCheck::ResolveSiteRoot(), "http://127.0.0.1:8080");
}

TEST(UpdateCheckAddressTest, HostNameDropsSchemePortAndPath) {
    EXPECT_EQ(UpdateCheck::HostNameOf("https://www.site.test"), "www.site.test");
    EXPECT_EQ(UpdateCheck::HostNameOf("http://127.0.0.1:8080/x"), "127.0.0.1");
}

TEST(UpdateCheckVersionPostTest, OnlyANewerVersionIsAnnouncedToTheMainThread) {
    Program::ResetForTesting();
    WorkResults results;
    int announced = 0;
    QObject::connect(&results, &WorkResults::newVersionAvailable, [&announced] { ++announced; });
    EXPECT_FALSE(UpdateCheck::CheckVersion("Version=7.4.9\r\n", results));
    EXPECT_TRUE(UpdateCheck::CheckVersion("Version=7.5.0\r\n", results));
    EXPECT_EQ(announced, 1);
}

}  // namespace
