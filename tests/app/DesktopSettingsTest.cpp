#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/CommandRunner.h"
#include "support/FakeTrayHost.h"
#include "support/ProgramRun.h"
#include "support/TestPictures.h"
#include "support/TestSupport.h"
#include "support/XServer.h"

namespace {

using namespace std::chrono_literals;
using namespace TestSupport;

// The real program on GNOME's and Xfce's own settings stores (gsettings on dconf,
// xfconfd) and on LXQt's real desktop (pcmanfm-qt), in the private D-Bus session and
// home of private-session.sh.
class DesktopSettingsTest : public ::testing::Test {
protected:
    std::string Query(const std::string& program, const std::vector<std::string>& arguments) {
        const CommandRunner::Result result = runner_.Run(program, arguments);
        EXPECT_TRUE(result.Succeeded) << program << " " << arguments.at(0);
        return result.Output;
    }

    std::unique_ptr<ProgramRun> Start(const std::string& desktop, const std::string& argument) {
        return std::make_unique<ProgramRun>(
            std::string(SKYVANE_RUNTIME_DIR) + "/terravue",
            argument.empty() ? std::vector<std::string>{} : std::vector<std::string>{argument},
            EnvironmentWith({{"DISPLAY", server_.Display()},
                             {"XDG_CURRENT_DESKTOP", desktop},
                             {"http_proxy", "http://127.0.0.1:9"},
                             {"https_proxy", "http://127.0.0.1:9"},
                             {"QT_QPA_PLATFORM", std::nullopt}}));
    }

    // Runs the program until the store names its picture, then asks it to quit.
    void RunUntilShown(const std::string& desktop, const std::function<std::string()>& shown) {
        auto program = Start(desktop, "");
        EXPECT_TRUE(Eventually([&] { return shown().find(Ours) != std::string::npos; })) << shown();
        EXPECT_EQ(Start(desktop, "--quit")->WaitForExit(10s), 0);
        EXPECT_EQ(program->WaitForExit(10s), 1);
    }

    const std::string Ours = "/Terravue/Wallpaper/E0.jpg";
    Xvfb server_{320, 180};
    ProcessCommandRunner runner_;
};

TEST_F(DesktopSettingsTest, GnomeShowsOurPictureWhileRunningAndTheUsersAfterwards) {
    const std::vector<std::string> schema{"org.gnome.desktop.background"};
    Query("gsettings", {"set", schema[0], "picture-uri", "'file:///home/user/beach.jpg'"});
    const auto picture = [&] { return Query("gsettings", {"get", schema[0], "picture-uri"}); };
    RunUntilShown("GNOME", picture);
    EXPECT_EQ(picture(), "'file:///home/user/beach.jpg'\n");
}

TEST_F(DesktopSettingsTest, XfceShowsOurPictureWhileRunningAndTheUsersAfterwards) {
    const std::string property = "/backdrop/screen0/monitorVirtual-1/workspace0/last-image";
    Query("xfconf-query", {"-c", "xfce4-desktop", "-p", property, "-n", "-t", "string", "-s",
                           "/home/user/shore.png"});
    const auto picture = [&] {
        return Query("xfconf-query", {"-c", "xfce4-desktop", "-p", property});
    };
    RunUntilShown("XFCE", picture);
    EXPECT_EQ(picture(), "/home/user/shore.png\n");
}

// A fresh LXQt profile: the user has no settings of pcmanfm-qt's yet, so it shows the
// system-wide profile's picture, here centred on a blue ground. After the program, the
// desktop shows that picture again, still centred, and the settings pcmanfm-qt keeps
// for the user name it rather than a picture the program deleted.
TEST_F(DesktopSettingsTest, LxqtGetsItsOwnPictureBackInItsOwnModeOnAFreshProfile) {
    if (!std::filesystem::exists("/usr/bin/pcmanfm-qt")) {
        GTEST_SKIP() << "pcmanfm-qt is not installed (scripts/setup installs it)";
    }
    const std::string session = std::getenv("SKYVANE_PRIVATE_SESSION");
    const std::string picture = session + "/lxqt-default.png";
    SavePicture(picture, SolidPicture(80, 40, Qt::green, QImage::Format_RGB32));
    WriteWholeFile(session + "/xdg/pcmanfm-qt/lxqt/settings.conf",
                   "[Desktop]\nWallpaper=" + picture + "\nWallpaperMode=center\nBgColor=#0000ff\n");
    const ScopedEnvironment systemFolders("XDG_CONFIG_DIRS", session + "/xdg");
    ProgramRun desktop(
        "/usr/bin/pcmanfm-qt", {"--desktop", "--profile=lxqt"},
        EnvironmentWith({{"DISPLAY", server_.Display()}, {"QT_QPA_PLATFORM", std::nullopt}}));
    Root root(server_.Display());
    const auto showsItsOwnCentred = [&] {
        return root.Pixel(160, 90) == 0x00FF00 && root.Pixel(5, 5) == 0x0000FF;
    };
    ASSERT_TRUE(Eventually(showsItsOwnCentred)) << "pcmanfm-qt shows no desktop";

    const std::string users =
        std::string(std::getenv("HOME")) + "/.config/pcmanfm-qt/lxqt/settings.conf";
    RunUntilShown("LXQt", [&] { return ReadWholeFile(users); });
    EXPECT_TRUE(Eventually(showsItsOwnCentred))
        << std::hex << root.Pixel(160, 90) << " " << root.Pixel(5, 5);
    EXPECT_NE(ReadWholeFile(users).find("Wallpaper=" + picture), std::string::npos)
        << ReadWholeFile(users);
}

// On a status-notifier tray (KDE, Xfce's panel) the first run's welcome comes as a
// desktop notification, the item shows the program's own icon all along instead of an
// attention icon for as long as the welcome lasts, and the welcome goes with the program.
TEST_F(DesktopSettingsTest, OnAStatusNotifierTrayTheWelcomeGoesWithTheProgram) {
    FakeTrayHost tray;
    auto program = Start("", "");
    ASSERT_TRUE(
        Eventually(Serving([&] { return !tray.Items.empty() && !tray.Notifications.empty(); })));
    EXPECT_EQ(tray.Notifications[0].Summary.toStdString(), "Terravue");
    EXPECT_EQ(tray.Notifications[0].Body.toStdString(),
              "To access Terravue menu, right click on this icon.");
    EXPECT_EQ(tray.ItemProperty(tray.Items[0], "Status").toString().toStdString(), "Active");

    auto quitting = Start("", "--quit");
    EXPECT_TRUE(Eventually(Serving([&] { return !quitting->Running() && !program->Running(); })));
    EXPECT_EQ(quitting->WaitForExit(0s), 0);
    EXPECT_EQ(program->WaitForExit(0s), 1);
    EXPECT_EQ(tray.Closed, std::vector<uint>{tray.Notifications[0].Id});
}

}  // namespace
