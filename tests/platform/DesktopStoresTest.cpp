#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/GSettingsWallpaper.h"
#include "platform/XfceWallpaper.h"

namespace {

// The real gsettings on dconf and the real xfconf-query on xfconfd, in the session of
// private-session.sh.
class DesktopStoresTest : public ::testing::Test {
protected:
    std::string Run(const std::string& program, const std::vector<std::string>& arguments) {
        const CommandRunner::Result result = runner_.Run(program, arguments);
        EXPECT_TRUE(result.Succeeded) << program << " " << arguments.at(0);
        return result.Output;
    }
    std::string Gnome(const char* key) {
        return Run("gsettings", {"get", "org.gnome.desktop.background", key});
    }
    void SetGnome(const char* key, const std::string& value) {
        Run("gsettings", {"set", "org.gnome.desktop.background", key, value});
    }
    std::string Xfce(const std::string& property) {
        return Run("xfconf-query", {"-c", "xfce4-desktop", "-p", Backdrop + property});
    }

    const std::string Backdrop = "/backdrop/screen0/monitorVirtual-1/";
    const std::string Picture =
        std::string(std::getenv("HOME")) + "/Terra vue/it's \xc3\xa9t\xc3\xa9.bmp";
    ProcessCommandRunner runner_;
};

TEST_F(DesktopStoresTest, GnomeSetPointsAtThePictureAndRestoreBringsTheUsersBack) {
    SetGnome("picture-uri", "'file:///home/user/Pictures/my%20pic.jpg'");
    SetGnome("picture-options", "'zoom'");
    const std::string usersPicture = Gnome("picture-uri");
    const std::string usersDarkPicture = Gnome("picture-uri-dark");
    GSettingsWallpaper backend("GNOME", GSettingsWallpaper::Gnome,
                               std::make_unique<ProcessCommandRunner>());

    const std::optional<RecordedWallpaper> recorded = backend.Record();
    ASSERT_TRUE(recorded.has_value());
    EXPECT_EQ(recorded->Picture, "/home/user/Pictures/my pic.jpg");

    ASSERT_TRUE(backend.Set(Picture));
    const std::string uri = Gnome("picture-uri");
    EXPECT_NE(uri.find("file:///"), std::string::npos) << uri;
    EXPECT_NE(uri.find("/Terra%20vue/"), std::string::npos) << uri;
    EXPECT_EQ(Gnome("picture-uri-dark"), uri);
    EXPECT_EQ(Gnome("picture-options"), "'spanned'\n");
    EXPECT_EQ(backend.Record()->Picture, Picture);

    ASSERT_TRUE(backend.Restore(*recorded));
    EXPECT_EQ(Gnome("picture-uri"), usersPicture);
    EXPECT_EQ(Gnome("picture-uri-dark"), usersDarkPicture);
    EXPECT_EQ(Gnome("picture-options"), "'zoom'\n");
}

TEST_F(DesktopStoresTest, XfceSetChangesEveryWorkspaceAndRestoreBringsTheUsersBack) {
    // What a running xfdesktop leaves for one monitor with two workspaces.
    Run("xfconf-query", {"-c", "xfce4-desktop", "-p", Backdrop + "workspace0/last-image", "-n",
                         "-t", "string", "-s", "/usr/share/backgrounds/xfce/xfce-blue.jpg"});
    Run("xfconf-query", {"-c", "xfce4-desktop", "-p", Backdrop + "workspace0/image-style", "-n",
                         "-t", "int", "-s", "5"});
    Run("xfconf-query", {"-c", "xfce4-desktop", "-p", Backdrop + "workspace1/last-image", "-n",
                         "-t", "string", "-s", "/home/user/shore.png"});
    XfceWallpaper backend(std::make_unique<ProcessCommandRunner>());

    const std::optional<RecordedWallpaper> recorded = backend.Record();
    ASSERT_TRUE(recorded.has_value());
    EXPECT_EQ(recorded->Picture, "/usr/share/backgrounds/xfce/xfce-blue.jpg");

    ASSERT_TRUE(backend.Set(Picture));
    for (const char* workspace : {"workspace0/", "workspace1/"}) {
        EXPECT_EQ(Xfce(workspace + std::string("last-image")), Picture + "\n");
        EXPECT_EQ(Xfce(workspace + std::string("image-style")), "3\n");
    }

    ASSERT_TRUE(backend.Restore(*recorded));
    EXPECT_EQ(Xfce("workspace0/last-image"), "/usr/share/backgrounds/xfce/xfce-blue.jpg\n");
    EXPECT_EQ(Xfce("workspace0/image-style"), "5\n");
    EXPECT_EQ(Xfce("workspace1/last-image"), "/home/user/shore.png\n");
    // The style Set had to create for workspace 1 is gone again.
    EXPECT_FALSE(
        runner_
            .Run("xfconf-query", {"-c", "xfce4-desktop", "-p", Backdrop + "workspace1/image-style"})
            .Succeeded);
}

}  // namespace
