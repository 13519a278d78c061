#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/CommandRunner.h"
#include "support/ProgramRun.h"
#include "support/TestSupport.h"
#include "support/XServer.h"

namespace {

using namespace std::chrono_literals;
using namespace TestSupport;

// The real program on GNOME's and Xfce's own settings stores (gsettings on dconf,
// xfconfd), in the private D-Bus session and home of private-session.sh.
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

    const std::string Ours = "/Terravue/Wallpaper/E0.bmp";
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

}  // namespace
