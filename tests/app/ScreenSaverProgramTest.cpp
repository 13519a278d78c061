#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/ProgramRun.h"
#include "support/TestSupport.h"
#include "support/XServer.h"

namespace {

using namespace std::chrono_literals;
using namespace TestSupport;

constexpr int Width = 640;
constexpr int Height = 360;

// The real program as a screen saver on a real X server of its own, driven with xdotool.
class ScreenSaverProgramTest : public ::testing::Test {
protected:
    ScreenSaverProgramTest() {
        std::filesystem::create_directories(home_.Path() / "runtime");
        std::filesystem::permissions(home_.Path() / "runtime", std::filesystem::perms::owner_all);
    }

    std::unique_ptr<ProgramRun> Start(std::vector<std::string> arguments,
                                      const std::string& errorFile = {}) {
        const std::string folder = home_.Folder();
        return std::make_unique<ProgramRun>(
            std::string(SKYVANE_RUNTIME_DIR) + "/terravue.scr", arguments,
            EnvironmentWith({{"DISPLAY", server_.Display()},
                             {"HOME", folder},
                             {"XDG_CONFIG_HOME", folder + ".config"},
                             {"XDG_DATA_HOME", folder + ".local/share"},
                             {"XDG_RUNTIME_DIR", folder + "runtime"},
                             {"http_proxy", "http://127.0.0.1:9"},
                             {"https_proxy", "http://127.0.0.1:9"},
                             {"QT_QPA_PLATFORM", std::nullopt},
                             {"XSCREENSAVER_WINDOW", std::nullopt}}),
            errorFile);
    }
    void Xdotool(const std::string& arguments) {
        const std::string command =
            "DISPLAY=" + server_.Display() + " timeout 30 xdotool " + arguments;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    // The map is drawn when the four corners of the area are no longer black.
    bool Drawn(xcb_window_t window, int width, int height) {
        for (const auto& [x, y] : {std::pair{2, 2},
                                   {width - 3, 2},
                                   {2, height - 3},
                                   {width - 3, height - 3},
                                   {width / 2, height / 2}}) {
            if (root_.PixelOf(window, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)) ==
                0) {
                return false;
            }
        }
        return true;
    }
    bool RootDrawn() { return Drawn(root_.Window(), Width, Height); }

    TempFolder home_;
    Xvfb server_{Width, Height};
    Root root_{server_.Display()};
};

TEST_F(ScreenSaverProgramTest, ItCoversTheScreenAndAKeyEndsIt) {
    auto program = Start({"/s"});
    ASSERT_TRUE(Eventually([&] { return RootDrawn(); }));
    Xdotool("key a");
    EXPECT_EQ(program->WaitForExit(10s), 0);
    EXPECT_TRUE(std::filesystem::is_empty(home_.Folder() + ".local/share/Terravue/Temp"));
}

TEST_F(ScreenSaverProgramTest, AMouseMoveOfAHundredPixelsKeepsItAndOneMoreEndsIt) {
    auto program = Start({"/s"});
    ASSERT_TRUE(Eventually([&] { return RootDrawn(); }));
    Xdotool("mousemove 100 100");
    Xdotool("mousemove 200 200");
    Xdotool("mousemove 0 0");
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(program->Running());
    Xdotool("mousemove 201 100");
    EXPECT_EQ(program->WaitForExit(10s), 0);
}

// The preview covers the box it is given and follows its size; closing the box ends it.
TEST_F(ScreenSaverProgramTest, ThePreviewFillsTheBoxItIsGivenAtEverySize) {
    const xcb_window_t box = root_.MakeWindow(160, 90);
    auto program = Start({"/p", std::to_string(box)});
    ASSERT_TRUE(Eventually([&] { return Drawn(box, 160, 90); }));
    root_.Resize(box, 320, 180);
    EXPECT_TRUE(Eventually([&] { return Drawn(box, 320, 180); }));
    root_.Destroy(box);
    EXPECT_EQ(program->WaitForExit(10s), 0);
}

// Under xscreensaver the hack draws into the window it is given, ignores input and
// ends promptly on SIGTERM.
TEST_F(ScreenSaverProgramTest, AsAHackItDrawsIntoTheGivenWindowAndEndsOnTermination) {
    const xcb_window_t window = root_.MakeWindow(Width, Height);
    char id[32];
    std::snprintf(id, sizeof id, "0x%x", window);
    auto program = Start({"-window-id", id});
    ASSERT_TRUE(Eventually([&] { return Drawn(window, Width, Height); }));
    Xdotool("key a");
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(program->Running());

    const auto signalled = std::chrono::steady_clock::now();
    program->Signal(SIGTERM);
    EXPECT_EQ(program->WaitForExit(10s), 128 + SIGTERM);
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, 1s);
}

// Configuring from the screen-saver form: Escape ends the run without saving,
// Return saves the options and ends it.
TEST_F(ScreenSaverProgramTest, ConfiguringSavesOnOkAndNothingOnCancel) {
    const std::string options = home_.Folder() + ".config/Terravue/Options.txt";
    // A search can trip over a window that goes while it looks (BadWindow): look again.
    const auto focusDialog = [&] {
        const std::string command = "DISPLAY=" + server_.Display() +
                                    " timeout 30 xdotool search --sync --onlyvisible --name "
                                    "'Terravue 7.4.3' windowfocus --sync";
        return Eventually([&] { return std::system(command.c_str()) == 0; });
    };
    auto cancelled = Start({"/c"});
    ASSERT_TRUE(focusDialog());
    Xdotool("key Escape");
    EXPECT_EQ(cancelled->WaitForExit(10s), 0);
    EXPECT_FALSE(std::filesystem::exists(options));

    auto confirmed = Start({"/c"});
    ASSERT_TRUE(focusDialog());
    Xdotool("key Return");
    EXPECT_EQ(confirmed->WaitForExit(10s), 0);
    EXPECT_TRUE(std::filesystem::exists(options));
}

// A host that names no window, or one that is not there, or passes something that is
// no window id at all, hears why on standard error and from the exit code.
TEST_F(ScreenSaverProgramTest, AHostThatNamesNoUsableWindowHearsWhy) {
    const std::string errors = home_.Folder() + "errors.txt";
    const std::vector<std::pair<std::vector<std::string>, std::string>> starts{
        {{"/p", "0"}, "the preview needs the id of the window to draw into"},
        {{"/p", "0x7ffffff"}, "there is no window 0x7ffffff to draw into"},
        {{"/p", "box"}, "the window id \"box\" is not a number"},
        {{"/c", "notanumber"}, "the window id \"notanumber\" is not a number"},
        {{"-window-id", "0x7ffffff"}, "there is no window 0x7ffffff to draw into"},
    };
    for (const auto& [arguments, said] : starts) {
        EXPECT_EQ(Start(arguments, errors)->WaitForExit(10s), 1) << arguments.at(0);
        const std::string written = ReadWholeFile(errors);
        EXPECT_EQ(written.substr(0, written.find('\n')), "terravue.scr: " + said);
    }
}

}  // namespace
