#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QStringList>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitBadArguments = 2;

// A white disc of radius 16 in the middle of the 64-unit view box the weather drawings use.
constexpr char Disc[] =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 64 64\">"
    "<circle cx=\"32\" cy=\"32\" r=\"16\" fill=\"#ffffff\"/></svg>";

class AssetMakerTest : public ::testing::Test {
protected:
    // Runs the tool and returns its exit code.
    int Run(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral(SKYVANE_ASSET_MAKER), arguments);
        EXPECT_TRUE(process.waitForFinished(120000)) << arguments.join(' ').toStdString();
        errors_ = process.readAllStandardError().toStdString();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString PathOf(const std::string& name) const {
        return QString::fromStdString((folder_.Path() / name).string());
    }

    QString WriteDisc() {
        TestSupport::WriteWholeFile(folder_.Path() / "disc.svg", Disc);
        return PathOf("disc.svg");
    }

    TestSupport::TempFolder folder_;
    std::string errors_;
};

TEST_F(AssetMakerTest, Icon_IsAPngOfTheRequestedSizeOnATransparentGround) {
    ASSERT_EQ(Run({"icon", WriteDisc(), PathOf("disc.png"), "48"}), 0) << errors_;

    const QImage icon(PathOf("disc.png"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(48, 48));
    ASSERT_TRUE(icon.hasAlphaChannel());
    EXPECT_EQ(qAlpha(icon.pixel(24, 24)), 255);
    EXPECT_EQ(icon.pixelColor(24, 24), QColor(Qt::white));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(47, 47)), 0);
}

TEST_F(AssetMakerTest, Icon_OutlineDarkensTheRimJustOutsideTheDrawing) {
    const QString svg = WriteDisc();
    ASSERT_EQ(Run({"icon", svg, PathOf("plain.png"), "64"}), 0) << errors_;
    ASSERT_EQ(Run({"icon", svg, PathOf("outlined.png"), "64", "--outline"}), 0) << errors_;

    const QImage plain(PathOf("plain.png"));
    const QImage outlined(PathOf("outlined.png"));
    int beyondRim = 32;
    while (beyondRim < 63 && qAlpha(plain.pixel(beyondRim, 32)) > 0) {
        ++beyondRim;
    }
    ASSERT_LT(beyondRim, 60) << "the disc should not reach the picture's edge";
    const QColor rim = outlined.pixelColor(beyondRim, 32);
    EXPECT_GT(rim.alpha(), 40);
    EXPECT_LT(rim.value(), 60);
    EXPECT_EQ(outlined.pixelColor(32, 32), QColor(Qt::white));
    EXPECT_EQ(qAlpha(outlined.pixel(0, 0)), 0);
}

TEST_F(AssetMakerTest, Icon_UnreadableDrawingFailsAndWritesNothing) {
    TestSupport::WriteWholeFile(folder_.Path() / "broken.svg", "<svg><circle");

    EXPECT_EQ(Run({"icon", PathOf("broken.svg"), PathOf("broken.png"), "64"}), ExitFailure);

    EXPECT_NE(errors_.find("broken.svg"), std::string::npos) << errors_;
    EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "broken.png"));
}

TEST_F(AssetMakerTest, Icon_SizeMustBeAWholeNumberInRange) {
    const QString svg = WriteDisc();

    EXPECT_EQ(Run({"icon", svg, PathOf("a.png"), "48px"}), ExitBadArguments);
    EXPECT_EQ(Run({"icon", svg, PathOf("a.png"), "4"}), ExitBadArguments);
    EXPECT_EQ(Run({"icon", svg, PathOf("a.png")}), ExitBadArguments);
    EXPECT_EQ(Run({"icon", svg, PathOf("a.png"), "48", "--glow"}), ExitBadArguments);
    EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "a.png"));
}

TEST_F(AssetMakerTest, AppIcon_ScalesTheWholeViewBoxToTheSquare) {
    TestSupport::WriteWholeFile(folder_.Path() / "half.svg",
                                "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 10 10\">"
                                "<rect width=\"5\" height=\"10\" fill=\"#ffffff\"/></svg>");

    ASSERT_EQ(Run({"app-icon", PathOf("half.svg"), PathOf("half.png"), "16"}), 0) << errors_;

    const QImage icon(PathOf("half.png"));
    ASSERT_EQ(icon.size(), QSize(16, 16));
    for (const int y : {0, 8, 15}) {
        EXPECT_EQ(icon.pixelColor(0, y), QColor(Qt::white)) << y;
        EXPECT_EQ(icon.pixelColor(7, y), QColor(Qt::white)) << y;
        EXPECT_EQ(qAlpha(icon.pixel(8, y)), 0) << y;
        EXPECT_EQ(qAlpha(icon.pixel(15, y)), 0) << y;
    }
}

TEST_F(AssetMakerTest, Panel_AlphaRisesOverTheThirtyPixelBorderAndIsEvenInside) {
    ASSERT_EQ(Run({"panel", PathOf("panel.png")}), 0) << errors_;

    const QImage panel(PathOf("panel.png"));
    ASSERT_EQ(panel.size(), QSize(200, 200));
    const auto alpha = [&panel](int x, int y) { return qAlpha(panel.pixel(x, y)); };
    EXPECT_EQ(alpha(0, 100), 0);
    EXPECT_EQ(alpha(0, 0), 0);
    for (int x = 1; x < 30; ++x) {
        EXPECT_GE(alpha(x, 100), alpha(x - 1, 100)) << "x " << x;
    }
    const int inside = alpha(100, 100);
    EXPECT_GE(inside, 140);
    EXPECT_LE(inside, 166);
    EXPECT_GT(alpha(5, 100), 0);
    EXPECT_GT(alpha(15, 100), 40);
    EXPECT_LT(alpha(15, 100), inside - 40);
    EXPECT_EQ(alpha(30, 100), inside);
    // The nine-slice stretches the edges along one axis and the centre both ways, so outside
    // the 30 x 30 corners the alpha may depend on the distance to one edge only.
    for (int along = 30; along < 170; ++along) {
        for (int across = 0; across < 200; ++across) {
            ASSERT_EQ(alpha(along, across), alpha(100, across)) << along << "," << across;
            ASSERT_EQ(alpha(across, along), alpha(across, 100)) << across << "," << along;
        }
    }
}

TEST_F(AssetMakerTest, Sky_IsOpaqueAndLightensTowardsTheHorizon) {
    ASSERT_EQ(Run({"sky", PathOf("Sky.png")}), 0) << errors_;

    const QImage sky(PathOf("Sky.png"));
    ASSERT_EQ(sky.size(), QSize(1280, 800));
    EXPECT_FALSE(sky.hasAlphaChannel());
    const QColor top = sky.pixelColor(640, 2);
    const QColor bottom = sky.pixelColor(640, 797);
    EXPECT_GT(top.blue(), top.red());
    EXPECT_GT(bottom.lightness(), top.lightness());
}

TEST_F(AssetMakerTest, Background_UnknownNameOrTimeOfDayIsRefused) {
    EXPECT_EQ(Run({"background", "Drizzle", "day", PathOf("a.jpg")}), ExitFailure);
    EXPECT_NE(errors_.find("Drizzle"), std::string::npos) << errors_;
    EXPECT_EQ(Run({"background", "Clear", "noon", PathOf("a.jpg")}), ExitBadArguments);
    EXPECT_EQ(Run({"background", "Clear", "day", PathOf("a.jpg"), "--fast"}), ExitBadArguments);
    EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "a.jpg"));
}

TEST_F(AssetMakerTest, UnknownCommandPrintsTheUsage) {
    EXPECT_EQ(Run({"paint"}), ExitBadArguments);
    EXPECT_NE(errors_.find("usage: skyvane-asset-maker COMMAND"), std::string::npos) << errors_;
}

// The committed installation data: every picture the program loads by name is there, in the
// size the map and the local-weather window expect.
class InstalledWeatherIconTest : public ::testing::TestWithParam<const char*> {};

TEST_P(InstalledWeatherIconTest, SmallAndLargeIconExistWithTransparentCorners) {
    const std::filesystem::path assets(SKYVANE_ASSETS_DIR);
    for (const auto& [folder, size] :
         {std::pair{"SmallWeatherIcons", 64}, {"LargeWeatherIcons", 256}}) {
        const QImage icon(QString::fromStdString((assets / folder / GetParam()).string()));
        ASSERT_FALSE(icon.isNull()) << folder << "/" << GetParam();
        EXPECT_EQ(icon.size(), QSize(size, size)) << folder;
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << folder;
        EXPECT_EQ(qAlpha(icon.pixel(size - 1, size - 1)), 0) << folder;
    }
}

// Test names allow letters and digits only: "Night Partly Cloudy.png" becomes NightPartlyCloudy.
std::string LettersOf(const ::testing::TestParamInfo<const char*>& info) {
    std::string name;
    for (const char* character = info.param; *character != '\0' && *character != '.'; ++character) {
        if (std::isalnum(static_cast<unsigned char>(*character))) {
            name += *character;
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryIconName, InstalledWeatherIconTest,
                         ::testing::Values("Clear.png", "Night Clear.png", "Fair.png",
                                           "Night Fair.png", "Fog.png", "Haze.png",
                                           "Partly Cloudy.png", "Night Partly Cloudy.png",
                                           "Mostly Cloudy.png", "Night Mostly Cloudy.png",
                                           "Cloudy.png", "Cold.png", "Windy.png",
                                           "Rain Showers.png", "Snow.png", "Hail.png", "Rain.png",
                                           "Rain and Snow.png", "Thunderstorms.png", "NA.png"),
                         LettersOf);

class InstalledBackgroundTest : public ::testing::TestWithParam<const char*> {};

TEST_P(InstalledBackgroundTest, DayAndNightFolderHoldOneFullScreenPicture) {
    const std::filesystem::path folder =
        std::filesystem::path(SKYVANE_ASSETS_DIR) / "Weather Backgrounds" / GetParam();
    for (const char* time : {"Day", "Night"}) {
        std::vector<std::filesystem::path> pictures;
        for (const auto& entry : std::filesystem::directory_iterator(folder / time)) {
            pictures.push_back(entry.path());
        }
        ASSERT_EQ(pictures.size(), 1u) << time;
        const QImage picture(QString::fromStdString(pictures.front().string()));
        EXPECT_EQ(picture.size(), QSize(1920, 1080)) << pictures.front();
    }
}

INSTANTIATE_TEST_SUITE_P(EveryShortText, InstalledBackgroundTest,
                         ::testing::Values("Clear", "Fair", "Fog", "Haze", "Partly Cloudy",
                                           "Mostly Cloudy", "Cloudy", "Cold", "Hot", "Windy",
                                           "Rain", "Snow", "Hail", "Thunderstorms", "Tornado"),
                         LettersOf);

TEST(InstalledPictures, SkyAndPanelAreThere) {
    const std::filesystem::path assets(SKYVANE_ASSETS_DIR);
    const QImage sky(QString::fromStdString((assets / "LargeWeatherIcons" / "Sky.png").string()));
    EXPECT_FALSE(sky.isNull());
    const QImage panel(
        QString::fromStdString((assets / "UI" / "LocalWeatherBackground.png").string()));
    ASSERT_FALSE(panel.isNull());
    EXPECT_TRUE(panel.hasAlphaChannel());
    EXPECT_GT(panel.width(), 60);
    EXPECT_GT(panel.height(), 60);
}

}  // namespace
