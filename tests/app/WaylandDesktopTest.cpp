#include <gtest/gtest.h>

#include <unistd.h>

#include <QImage>
#include <QStandardPaths>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/ProgramRun.h"
#include "support/TestSupport.h"

namespace {

using namespace std::chrono_literals;
using namespace TestSupport;

constexpr QRgb UsersRed = 0xFFFF0000;

// A sway of its own without any hardware (headless outputs, software rendering), with
// two outputs of different sizes and the user's background from sway's configuration,
// drawn by the swaybg sway starts. sway refuses to run as root, so a test run as root
// runs sway, the program and grim as nobody.
class SwayDesktopTest : public ::testing::Test {
protected:
    struct Output {
        const char* Name;
        QSize Size;
    };
    static constexpr Output Outputs[] = {{"HEADLESS-1", {800, 600}}, {"HEADLESS-2", {640, 480}}};

    void SetUp() override {
        for (const char* tool : {"sway", "swaybg", "grim"}) {
            if (QStandardPaths::findExecutable(tool).isEmpty()) {
                GTEST_SKIP() << tool << " is not installed (scripts/setup installs it)";
            }
        }
        const std::string folder = home_.Folder();
        std::filesystem::create_directories(folder + "run");
        std::filesystem::permissions(folder + "run", std::filesystem::perms::owner_all);
        QImage users(64, 64, QImage::Format_RGB32);
        users.fill(UsersRed);
        ASSERT_TRUE(users.save(QString::fromStdString(folder + "users.png")));
        std::string config = "xwayland disable\n";
        int left = 0;
        for (const Output& output : Outputs) {
            config += std::string("output ") + output.Name + " mode " +
                      std::to_string(output.Size.width()) + "x" +
                      std::to_string(output.Size.height()) + " position " + std::to_string(left) +
                      " 0\n";
            left += output.Size.width();
        }
        config += "output * bg " + folder + "users.png stretch\n";
        WriteWholeFile(folder + "sway.config", config);
        if (::getuid() == 0) {
            ASSERT_EQ(std::system(("chown -R nobody:nogroup " + folder).c_str()), 0);
            asUser_ = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"};
        }
        sway_ = Start("sway", {"-c", folder + "sway.config"},
                      {{"WLR_BACKENDS", "headless"},
                       {"WLR_HEADLESS_OUTPUTS", std::to_string(std::size(Outputs))},
                       {"WLR_RENDERER", "pixman"},
                       {"WLR_LIBINPUT_NO_DEVICES", "1"},
                       {"WAYLAND_DISPLAY", std::nullopt},
                       {"SWAYSOCK", std::nullopt}},
                      folder + "sway.log");
        ASSERT_TRUE(Eventually([&] {
            for (const auto& entry : std::filesystem::directory_iterator(folder + "run")) {
                const std::string name = entry.path().filename().string();
                if (name.rfind("sway-ipc.", 0) == 0) {
                    swaySocket_ = entry.path().string();
                }
            }
            return !swaySocket_.empty() && std::filesystem::exists(folder + "run/wayland-1");
        })) << ReadWholeFile(folder + "sway.log");
        ASSERT_TRUE(Eventually([&] { return Shot(Outputs[0].Name).pixel(10, 10) == UsersRed; }))
            << "sway's swaybg drew nothing";
    }

    // The session's environment, for anything started in it.
    std::vector<std::string> Session(
        const std::map<std::string, std::optional<std::string>>& changes) const {
        const std::string folder = home_.Folder();
        std::map<std::string, std::optional<std::string>> environment{
            {"HOME", folder},
            {"XDG_CONFIG_HOME", std::nullopt},
            {"XDG_DATA_HOME", std::nullopt},
            {"XDG_CACHE_HOME", std::nullopt},
            {"XDG_RUNTIME_DIR", folder + "run"},
            {"WAYLAND_DISPLAY", "wayland-1"},
            {"SWAYSOCK", swaySocket_},
            {"XDG_CURRENT_DESKTOP", "sway"},
            {"XDG_SESSION_TYPE", "wayland"},
            {"DISPLAY", std::nullopt},
            {"QT_QPA_PLATFORM", std::nullopt},
            {"DBUS_SESSION_BUS_ADDRESS", std::nullopt},
            {"http_proxy", "http://127.0.0.1:9"},
            {"https_proxy", "http://127.0.0.1:9"}};
        for (const auto& [variable, value] : changes) {
            environment[variable] = value;
        }
        return EnvironmentWith(environment);
    }
    std::unique_ptr<ProgramRun> Start(
        const std::string& program, const std::vector<std::string>& arguments,
        const std::map<std::string, std::optional<std::string>>& changes = {},
        const std::string& errorFile = {}) {
        std::vector<std::string> command = asUser_;
        command.push_back(program);
        command.insert(command.end(), arguments.begin(), arguments.end());
        const std::string path =
            QStandardPaths::findExecutable(QString::fromStdString(command.front())).toStdString();
        return std::make_unique<ProgramRun>(
            path.empty() ? command.front() : path,
            std::vector<std::string>(command.begin() + 1, command.end()), Session(changes),
            errorFile);
    }
    // What the output shows now.
    QImage Shot(const std::string& output) {
        const std::string file = home_.Folder() + "shot.png";
        std::filesystem::remove(file);
        if (Start("grim", {"-o", output, file})->WaitForExit(10s) != 0) {
            return {};
        }
        return QImage(QString::fromStdString(file));
    }
    std::string Wallpaper() const { return home_.Folder() + ".local/share/Terravue/Wallpaper/"; }
    // The wallpaper file of the output's size that the output shows pixel for pixel.
    bool ShowsItsOwnPicture(const Output& output) {
        const QImage shot = Shot(output.Name);
        if (shot.size() != output.Size) {
            return false;
        }
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(Wallpaper(), error)) {
            const QImage picture(QString::fromStdString(entry.path().string()));
            if (picture.size() != output.Size) {
                continue;
            }
            const int w = output.Size.width();
            const int h = output.Size.height();
            bool same = true;
            for (const QPoint point : {QPoint(5, 5), QPoint(w / 2, h / 2), QPoint(w - 5, h - 5),
                                       QPoint(w / 3, 2 * h / 3)}) {
                same = same && shot.pixel(point) == picture.pixel(point);
            }
            if (same) {
                return true;
            }
        }
        return false;
    }

    TempFolder home_;
    std::vector<std::string> asUser_;
    std::string swaySocket_;
    std::unique_ptr<ProgramRun> sway_;
};

TEST_F(SwayDesktopTest, EachOutputShowsThePictureOfItsSizeAndTheUsersComesBackAtQuit) {
    const std::string terravue = std::string(SKYVANE_RUNTIME_DIR) + "/terravue";
    auto program = Start(terravue, {}, {}, home_.Folder() + "terravue.log");
    for (const Output& output : Outputs) {
        EXPECT_TRUE(Eventually([&] { return ShowsItsOwnPicture(output); }, 30s))
            << output.Name << " does not show a picture of its own\n"
            << ReadWholeFile(home_.Folder() + "terravue.log");
    }

    // A Wayland session has no xscreensaver to choose, even where one is installed.
    EXPECT_FALSE(std::filesystem::exists(home_.Folder() + ".xscreensaver"));

    EXPECT_EQ(Start(terravue, {"--quit"})->WaitForExit(10s), 0);
    EXPECT_EQ(program->WaitForExit(15s), 1);
    for (const Output& output : Outputs) {
        EXPECT_TRUE(Eventually([&] {
            const QImage shot = Shot(output.Name);
            return shot.size() == output.Size && shot.pixel(10, 10) == UsersRed &&
                   shot.pixel(output.Size.width() - 10, output.Size.height() - 10) == UsersRed;
        })) << output.Name
            << " did not get the user's background back";
    }
}

}  // namespace
