#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <zlib.h>
#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QLibraryInfo>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/ScreenSaver.h"
#include "support/LoopbackHttpServer.h"
#include "support/ProgramRun.h"
#include "support/TestPictures.h"
#include "support/TestSupport.h"
#include "support/WorldForecastAnswer.h"
#include "support/XServer.h"

namespace {

using namespace std::chrono_literals;
using namespace TestSupport;

constexpr int Width = 640;
constexpr int Height = 360;
constexpr std::uint32_t Red = 0xFF0000;

// The real program on a real X server of its own, with a home of its own and every
// download sent to a closed port.
class DesktopProgramTest : public ::testing::Test {
protected:
    DesktopProgramTest() {
        std::filesystem::create_directories(home_.Path() / "runtime");
        std::filesystem::permissions(home_.Path() / "runtime", std::filesystem::perms::owner_all);
    }

    // The fixture's environment for the program: a home of its own, no desktop, every
    // download to a closed port; the changes replace its own values.
    std::vector<std::string> Environment(
        const std::map<std::string, std::optional<std::string>>& changes = {}) const {
        const std::string folder = home_.Folder();
        std::map<std::string, std::optional<std::string>> environment{
            {"DISPLAY", server_.Display()},
            {"HOME", folder},
            {"XDG_CONFIG_HOME", folder + ".config"},
            {"XDG_DATA_HOME", folder + ".local/share"},
            {"XDG_RUNTIME_DIR", folder + "runtime"},
            {"http_proxy", "http://127.0.0.1:9"},
            {"https_proxy", "http://127.0.0.1:9"},
            {"QT_QPA_PLATFORM", std::nullopt},
            {"WAYLAND_DISPLAY", std::nullopt},
            {"XDG_CURRENT_DESKTOP", std::nullopt},
            {"XDG_SESSION_TYPE", std::nullopt},
            {"DESKTOP_SESSION", std::nullopt},
            {"DBUS_SESSION_BUS_ADDRESS", std::nullopt}};
        for (const auto& [variable, value] : changes) {
            environment[variable] = value;
        }
        return EnvironmentWith(environment);
    }
    // Standard error goes to errorFile when one is named.
    std::unique_ptr<ProgramRun> Start(
        const std::string& name, std::vector<std::string> arguments = {},
        const std::map<std::string, std::optional<std::string>>& changes = {},
        const std::string& errorFile = {}, const std::string& outputFile = {}) {
        return std::make_unique<ProgramRun>(binFolder_ + "/" + name, arguments,
                                            Environment(changes), errorFile, outputFile);
    }
    int Run(const std::string& name, std::vector<std::string> arguments) {
        return Start(name, std::move(arguments))->WaitForExit(10s).value_or(-1000);
    }

    std::string DataFolder(const std::string& edition) const {
        return home_.Folder() + ".local/share/" + edition + "/";
    }
    bool FolderEmpty(const std::string& folder) const { return std::filesystem::is_empty(folder); }
    bool HoldsFiles(const std::string& folder) const {
        std::error_code error;
        return !std::filesystem::is_empty(folder, error) && !error;
    }
    bool OursIsShown(Root& root, std::optional<xcb_pixmap_t> users) {
        const std::optional<xcb_pixmap_t> shown = root.Pixmap("_XROOTPMAP_ID");
        return shown.has_value() && shown != users &&
               std::filesystem::exists(DataFolder("Terravue") + "Wallpaper/E0.jpg");
    }

    static std::string CommandOutput(const std::string& command) {
        std::string output;
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
                output += buffer;
            }
            ::pclose(pipe);
        }
        return output;
    }

    // An installation of its own beside the built one: the same program and data, but
    // the cloud sources of the test.
    void InstallWithCloudSources(const std::string& sources) {
        if (binFolder_ == SKYVANE_RUNTIME_DIR) {
            binFolder_ = home_.Folder() + "installation";
            std::filesystem::create_directories(binFolder_);
        }
        for (const auto& entry : std::filesystem::directory_iterator(SKYVANE_RUNTIME_DIR)) {
            const std::filesystem::path link =
                std::filesystem::path(binFolder_) / entry.path().filename();
            if (entry.path().filename() != "CloudsUrls.txt" && !std::filesystem::exists(link)) {
                std::filesystem::create_symlink(entry.path(), link);
            }
        }
        WriteWholeFile(binFolder_ + "/CloudsUrls.txt", sources);
    }

    TempFolder home_;
    Xvfb server_{Width, Height};
    std::string binFolder_ = SKYVANE_RUNTIME_DIR;
};

TEST_F(DesktopProgramTest, TheWallpaperIsSetAndTheUsersComesBackWhenTheProgramIsAskedToQuit) {
    Root root(server_.Display());
    const xcb_pixmap_t users = root.ShowUsersPixmap(Red, Width, Height);
    auto program = Start("terravue");
    ASSERT_TRUE(Eventually([&] { return OursIsShown(root, users); })) << "no wallpaper";

    // The root shows the very picture the program wrote.
    const QImage written(QString::fromStdString(DataFolder("Terravue") + "Wallpaper/E0.jpg"));
    ASSERT_EQ(written.size(), QSize(Width, Height));
    for (const auto& [x, y] : {std::pair{10, 10}, {320, 180}, {600, 300}}) {
        EXPECT_EQ(root.Pixel(x, y), written.pixel(x, y) & 0xFFFFFF) << x << "," << y;
    }

    // The first run makes the edition xscreensaver's screen saver where it is installed.
    const std::string screenSaverSettings = home_.Folder() + ".xscreensaver";
    if (XScreenSaverOnPath()) {
        EXPECT_NE(ReadWholeFile(screenSaverSettings).find("/terravue.scr' -root"),
                  std::string::npos);
    } else {
        EXPECT_FALSE(std::filesystem::exists(screenSaverSettings));
    }

    // A second start hands over to the first and ends.
    EXPECT_EQ(Run("terravue", {}), 0);
    EXPECT_TRUE(program->Running());

    EXPECT_EQ(Run("terravue", {"--quit"}), 0);
    EXPECT_EQ(program->WaitForExit(10s), 1);
    EXPECT_EQ(root.Pixmap("_XROOTPMAP_ID"), users);
    EXPECT_EQ(root.Pixel(320, 180), Red);
    EXPECT_TRUE(std::filesystem::exists(home_.Folder() + ".config/Terravue/Settings.txt"));
    EXPECT_TRUE(FolderEmpty(DataFolder("Terravue") + "Wallpaper"));
    EXPECT_TRUE(FolderEmpty(DataFolder("Terravue") + "Temp"));
    EXPECT_EQ(Run("terravue", {"--quit"}), 1);
}

TEST_F(DesktopProgramTest, ATerminationSignalEndsTheProgramTheOrderlyWay) {
    Root root(server_.Display());
    auto program = Start("terravue");
    ASSERT_TRUE(Eventually([&] { return OursIsShown(root, std::nullopt); })) << "no wallpaper";
    program->Signal(SIGTERM);
    EXPECT_EQ(program->WaitForExit(10s), 128 + SIGTERM);
    EXPECT_EQ(root.Pixmap("_XROOTPMAP_ID"), std::nullopt);
    EXPECT_TRUE(FolderEmpty(DataFolder("Terravue") + "Wallpaper"));
}

// The clocks edition leaves the wallpaper alone by default: neither its refreshes
// nor its exit touch what the user shows.
TEST_F(DesktopProgramTest, AnEditionThatSetsNoWallpaperRestoresNothing) {
    Root root(server_.Display());
    auto program = Start("meridio");
    ASSERT_TRUE(Eventually([&] {
        return std::filesystem::exists(home_.Folder() + "runtime/TimeZones_FormHidden-" +
                                       std::to_string(::getuid()));
    }));
    const xcb_pixmap_t users = root.ShowUsersPixmap(Red, Width, Height);
    EXPECT_EQ(Run("meridio", {"--quit"}), 0);
    EXPECT_EQ(program->WaitForExit(10s), 1);
    EXPECT_EQ(root.Pixmap("_XROOTPMAP_ID"), users);
    EXPECT_EQ(root.Pixel(320, 180), Red);
    EXPECT_TRUE(FolderEmpty(DataFolder("Meridio") + "Wallpaper"));
}

// A tray that appears after the program (a panel often starts after the programs of
// the log-in) gets the icon at once, without a restart.
TEST_F(DesktopProgramTest, ATrayThatAppearsLaterGetsTheIcon) {
    if (!std::filesystem::exists("/usr/bin/trayer")) {
        GTEST_SKIP() << "trayer is not installed (scripts/setup installs it)";
    }
    Root root(server_.Display());
    auto program = Start("terravue");
    ASSERT_TRUE(Eventually([&] { return OursIsShown(root, std::nullopt); })) << "no wallpaper";
    ProgramRun tray("/usr/bin/trayer", {"--edge", "bottom"},
                    EnvironmentWith({{"DISPLAY", server_.Display()}}));
    // The icon's window ends up inside the panel's.
    const auto docked = [&] {
        const std::string tree =
            CommandOutput("DISPLAY=" + server_.Display() + " xwininfo -root -tree 2>/dev/null");
        const std::size_t panel = tree.find("(\"panel\" \"trayer\")");
        if (panel == std::string::npos) {
            return false;
        }
        const std::size_t next = tree.find("\n     0x", panel);
        return tree.substr(panel, next - panel).find("(\"terravue\" \"terravue\")") !=
               std::string::npos;
    };
    EXPECT_TRUE(Eventually(docked));
    EXPECT_EQ(Run("terravue", {"--quit"}), 0);
    EXPECT_EQ(program->WaitForExit(10s), 1);
}

// The clocks edition shows its clocks at start where they were left; a drag moves
// them and the next start finds them there.
TEST_F(DesktopProgramTest, TheClocksComeBackWhereTheyWereDragged) {
    WriteWholeFile(home_.Folder() + ".config/Meridio/Settings.txt",
                   "FormTimeZones_Location=40,200\r\n");
    auto program = Start("meridio");
    const std::string xdotool = "DISPLAY=" + server_.Display() + " xdotool ";
    std::string position;
    ASSERT_TRUE(Eventually([&] {
        position =
            CommandOutput(xdotool + "search --onlyvisible --class meridio getwindowgeometry %@");
        return position.find("Position: 40,200") != std::string::npos;
    })) << position;
    ASSERT_EQ(std::system((xdotool + "mousemove 45 205 mousedown 1 mousemove 95 225 "
                                     "mousemove 145 245 mouseup 1")
                              .c_str()),
              0);
    EXPECT_EQ(Run("meridio", {"--quit"}), 0);
    EXPECT_EQ(program->WaitForExit(10s), 1);
    // Dropped where its right edge would leave the screen, it is fitted back onto it.
    const int width = std::stoi(position.substr(position.find("Geometry: ") + 10));
    const std::string stored =
        "FormTimeZones_Location=" + std::to_string(std::min(140, Width - width)) + ",240\r\n";
    const std::string settings = ReadWholeFile(home_.Folder() + ".config/Meridio/Settings.txt");
    EXPECT_NE(settings.find(stored), std::string::npos) << settings;
}

// A screen scaled to 200 % (as GNOME, KDE and Xfce tell X11 programs, through Xft.dpi)
// gets a wallpaper of its device pixels, shown on the root pixel for pixel.
TEST_F(DesktopProgramTest, AScaledScreenGetsAWallpaperOfItsDevicePixels) {
    Xvfb large(3840, 2160);
    ASSERT_EQ(std::system(("DISPLAY=" + large.Display() +
                           " xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "
                           "'Xft.dpi:\t192\n'")
                              .c_str()),
              0);
    Root root(large.Display());
    auto program = Start("terravue", {}, {{"DISPLAY", large.Display()}});
    const std::string folder = DataFolder("Terravue") + "Wallpaper/";
    ASSERT_TRUE(Eventually([&] {
        return root.Pixmap("_XROOTPMAP_ID").has_value() && HoldsFiles(folder);
    })) << "no wallpaper";
    const QImage written(
        QString::fromStdString(std::filesystem::directory_iterator(folder)->path().string()));
    ASSERT_EQ(written.size(), QSize(3840, 2160));
    for (const auto& [x, y] : {std::pair{10, 10}, {1919, 1079}, {2500, 1500}, {3830, 2150}}) {
        EXPECT_EQ(root.Pixel(x, y), written.pixel(x, y) & 0xFFFFFF) << x << "," << y;
    }
    EXPECT_EQ(Run("terravue", {"--quit"}), 0);
    EXPECT_EQ(program->WaitForExit(10s), 1);
}

// Two monitors side by side on a desktop that takes one picture for all (the X11 root):
// each shows a whole map of its own shape where it sits, not half of a stretched one.
TEST_F(DesktopProgramTest, EachOfTwoMonitorsShowsAWholeMapOfItsOwn) {
    Xvfb wide(1280, 480);
    const std::string xrandr = "DISPLAY=" + wide.Display() + " xrandr --setmonitor ";
    ASSERT_EQ(std::system((xrandr + "left 640/160x480/120+0+0 screen").c_str()), 0);
    ASSERT_EQ(std::system((xrandr + "right 640/160x480/120+640+0 none").c_str()), 0);
    Root root(wide.Display());
    auto program = Start("terravue", {}, {{"DISPLAY", wide.Display()}});
    ASSERT_TRUE(Eventually([&] {
        return root.Pixmap("_XROOTPMAP_ID").has_value() &&
               HoldsFiles(DataFolder("Terravue") + "Wallpaper/");
    })) << "no wallpaper";
    int differences = 0;
    for (int y = 10; y < 480; y += 47) {
        for (int x = 10; x < 640; x += 53) {
            differences += root.Pixel(x, y) != root.Pixel(x + 640, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(differences, 0);
    EXPECT_NE(root.Pixel(320, 20), root.Pixel(320, 240)) << "a plain colour, not a map";
    EXPECT_EQ(Run("terravue", {"--quit"}), 0);
    EXPECT_EQ(program->WaitForExit(10s), 1);
}

// Without a tray the launcher is the way in: a second start shows the Earth, and each
// of the launcher's actions opens its window in the running program.
TEST_F(DesktopProgramTest, WithoutATrayTheLauncherReachesTheRunningProgramsWindows) {
    auto program = Start("terravue");
    const std::string xdotool = "DISPLAY=" + server_.Display() + " xdotool ";
    const auto visible = [&](const std::string& title) {
        return !CommandOutput(xdotool + "search --onlyvisible --name '^" + title + "$'").empty();
    };
    const auto shown = [&](const std::string& title) {
        return Eventually([&] { return visible(title); });
    };
    ASSERT_TRUE(Eventually([&] { return HoldsFiles(DataFolder("Terravue") + "Wallpaper"); }));
    ASSERT_FALSE(visible("Terravue"));

    EXPECT_EQ(Run("terravue", {}), 0);
    EXPECT_TRUE(shown("Terravue")) << "the second start showed no Earth window";
    EXPECT_EQ(Run("terravue", {"--options"}), 0);
    EXPECT_TRUE(shown("Terravue .*")) << "no options dialog";
    EXPECT_EQ(Run("terravue", {"--time-zones"}), 0);
    EXPECT_EQ(Run("terravue", {"--quit"}), 0);
    EXPECT_EQ(program->WaitForExit(10s), 1);

    // With none running, an action starts the program and carries itself out.
    auto started = Start("terravue", {"--earth"});
    EXPECT_TRUE(shown("Terravue")) << "a first start from the launcher showed nothing";
    EXPECT_EQ(Run("terravue", {"--quit"}), 0);
    EXPECT_EQ(started->WaitForExit(10s), 1);
}

// An RGB PNG of one colour: under three megabytes of file for gigabytes of pixels.
std::string OneColourPng(int width, int height) {
    std::string png("\x89PNG\r\n\x1a\n", 8);
    const auto chunk = [&png](const char* type, const std::string& data) {
        const std::string typed = std::string(type, 4) + data;
        const auto big = [](std::uint32_t value) {
            return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                               static_cast<char>(value >> 8), static_cast<char>(value)};
        };
        png += big(static_cast<std::uint32_t>(data.size())) + typed +
               big(static_cast<std::uint32_t>(
                   ::crc32(0, reinterpret_cast<const Bytef*>(typed.data()), typed.size())));
    };
    std::string header(13, '\0');
    for (int shift = 0; shift < 4; ++shift) {
        header[3 - shift] = static_cast<char>(width >> (8 * shift));
        header[7 - shift] = static_cast<char>(height >> (8 * shift));
    }
    header[8] = 8;  // bits per sample
    header[9] = 2;  // RGB
    chunk("IHDR", header);
    // Each row repeats the one above ("up" filter): nothing but zeros to compress.
    std::string row(1 + static_cast<std::size_t>(width) * 3, '\0');
    row[0] = 2;
    z_stream stream{};
    deflateInit(&stream, Z_BEST_SPEED);
    std::string compressed;
    std::string block(1 << 20, '\0');
    for (int y = 0; y < height; ++y) {
        stream.next_in = reinterpret_cast<Bytef*>(row.data());
        stream.avail_in = static_cast<uInt>(row.size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(block.data());
            stream.avail_out = static_cast<uInt>(block.size());
            deflate(&stream, y == height - 1 ? Z_FINISH : Z_NO_FLUSH);
            compressed.append(block.data(), block.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    chunk("IDAT", compressed);
    chunk("IEND", "");
    return png;
}

std::uint64_t PeakResidentBytes(pid_t pid) {
    const std::string status = ReadWholeFile("/proc/" + std::to_string(pid) + "/status");
    const std::size_t line = status.find("VmHWM:");
    return line == std::string::npos ? 0 : std::stoull(status.substr(line + 6)) * 1024;
}

// A cloud source may answer with a picture of any size: the program reads it no larger
// than its layer needs, or refuses it unread, and its memory stays far below what the
// picture's pixels would take.
TEST_F(DesktopProgramTest, AHugePictureFromACloudSourceNeverTakesTheMemoryOfItsPixels) {
    LoopbackHttpServer site;
    site.Route("/flat.png", Answer(200, OneColourPng(21600, 10800)));
    site.Route("/large.jpg", Answer(200, EncodedPicture(NoisePicture(8192, 4096), "jpeg")));
    const std::string errors = home_.Folder() + "errors.txt";
    const std::string kept = DataFolder("Terravue") + "Clouds.png";
    // Without the weather of the cities on the map the worker comes to the clouds at once.
    WriteWholeFile(home_.Folder() + ".config/Terravue/Options.txt", "ShowWeather=false\r\n");

    for (const char* route : {"/flat.png", "/large.jpg"}) {
        InstallWithCloudSources(site.BaseUrl() + route + "\n");
        auto program = Start(
            "terravue", {},
            {{"no_proxy", "127.0.0.1"}, {"QT_LOGGING_RULES", "skyvane.render.info=true"}}, errors);
        ASSERT_TRUE(Eventually(
            [&] {
                return ReadWholeFile(errors).find("cloud source") != std::string::npos ||
                       std::filesystem::exists(kept);
            },
            60s))
            << route;
        EXPECT_LT(PeakResidentBytes(program->Pid()), 400ULL << 20) << route;
        EXPECT_EQ(Run("terravue", {"--quit"}), 0);
        EXPECT_EQ(program->WaitForExit(10s), 1);
    }
    EXPECT_EQ(QImageReader(QString::fromStdString(kept)).size(), QSize(4096, 2048));
}

// A display that cannot be opened (a server that is not, or not yet, there; a
// compositor without Qt's Wayland platform) is named on standard error and the start
// ends with 1, where Qt itself would abort the process.
TEST_F(DesktopProgramTest, AStartWhoseDisplayCannotBeOpenedSaysWhichAndEnds) {
    const std::string errors = home_.Folder() + "errors.txt";
    std::vector<std::pair<std::map<std::string, std::optional<std::string>>, std::string>> starts{
        {{{"DISPLAY", ":9876"}}, "cannot open the X display \":9876\": no X server answers there"},
        {{{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", "wayland-absent"}},
         "cannot reach the Wayland display \"wayland-absent\": no compositor answers there"},
    };
    // A socket that takes connections as a compositor's would.
    const std::string compositor = home_.Folder() + "runtime/wayland-test";
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, compositor.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listening, 4), 0);
    if (QDir(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms")
            .entryList({"libqwayland*.so"})
            .isEmpty()) {
        starts.push_back({{{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", "wayland-test"}},
                          "the Wayland display \"wayland-test\" needs Qt's Wayland platform "
                          "plugin (Debian: qt6-wayland), which is not installed"});
    }
    for (const auto& [changes, said] : starts) {
        EXPECT_EQ(Start("terravue", {}, changes, errors)->WaitForExit(10s), 1) << said;
        const std::string written = ReadWholeFile(errors);
        EXPECT_EQ(written.substr(0, written.find('\n')), "Terravue: " + said);
    }
    ::close(listening);

    // A switch the desktop start does not know is named, and the start goes on.
    EXPECT_EQ(Start("terravue", {"--bogus"}, starts.front().first, errors)->WaitForExit(10s), 1);
    EXPECT_EQ(ReadWholeFile(errors).substr(0, ReadWholeFile(errors).find('\n')),
              "terravue: ignoring \"--bogus\", which a desktop start does not know "
              "(terravue --help)");
}

// --help and --version answer under every name, with no display at all.
TEST_F(DesktopProgramTest, HelpAndVersionAnswerWithoutADisplay) {
    const std::string output = home_.Folder() + "output.txt";
    const std::map<std::string, std::optional<std::string>> noDisplay{
        {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}};
    for (const auto& [name, product] : {std::pair{"terravue", "Terravue"},
                                        {"nimbara", "Nimbara"},
                                        {"meridio", "Meridio"},
                                        {"terravue.scr", "Terravue"},
                                        {"skyvane-inspect", "skyvane-inspect"}}) {
        EXPECT_EQ(Start(name, {"--version"}, noDisplay, {}, output)->WaitForExit(10s), 0) << name;
        EXPECT_EQ(ReadWholeFile(output), std::string(product) + " 7.4.3\n") << name;
        EXPECT_EQ(Start(name, {"--help"}, noDisplay, {}, output)->WaitForExit(10s), 0) << name;
        const std::string help = ReadWholeFile(output);
        const std::vector<std::string> switches =
            name == std::string("skyvane-inspect")
                ? std::vector<std::string>{"sun", "dwml", "--help", "--version"}
                : std::vector<std::string>{
                      "--options", "--earth",  "--local-weather", "--time-zones",
                      "--quit",    "--render", "--size",          "--time",
                      "--weather", "--help",   "--version",       "/s",
                      "/c",        "/p",       "-root",           "-window-id"};
        for (const std::string& option : switches) {
            EXPECT_NE(help.find("  " + option + " "), std::string::npos) << name << " " << option;
        }
    }
}

// A flood of clients that connect and hold the instance socket, against a program with
// the usual limit of open files, neither takes the socket down nor lets a second start
// become a second resident instance; once the flood is gone the program answers again.
TEST_F(DesktopProgramTest, AFloodOfSilentClientsNeitherSilencesTheProgramNorDoublesIt) {
    const std::string socketPath =
        home_.Folder() + "runtime/Earth_FormHidden-" + std::to_string(::getuid());
    auto program = std::make_unique<ProgramRun>(
        "/usr/bin/prlimit",
        std::vector<std::string>{"--nofile=256", "--", binFolder_ + "/terravue"}, Environment());
    ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(socketPath); }));

    rlimit files{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &files), 0);
    const rlimit ours = files;
    files.rlim_cur = std::min<rlim_t>(files.rlim_max, 4096);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &files), 0);
    ASSERT_GE(files.rlim_cur, 1200U) << "the test needs more open files than it may have";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    std::vector<int> flood;
    for (int client = 0; client < 1100; ++client) {
        const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ASSERT_GE(socket, 0);
        ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        flood.push_back(socket);
        if (client % 100 == 99) {
            std::this_thread::sleep_for(100ms);
        }
    }

    const std::string errors = home_.Folder() + "errors.txt";
    const std::optional<int> second = Start("terravue", {}, {}, errors)->WaitForExit(15s);
    ASSERT_TRUE(second.has_value()) << "a second start runs beside the first";
    if (*second != 0) {
        EXPECT_EQ(*second, 1);
        EXPECT_EQ(ReadWholeFile(errors),
                  "terravue: Terravue already runs but did not answer; no second one is "
                  "started\n");
    }
    EXPECT_TRUE(std::filesystem::is_socket(socketPath));
    EXPECT_TRUE(program->Running());

    for (const int socket : flood) {
        ::close(socket);
    }
    ::setrlimit(RLIMIT_NOFILE, &ours);
    EXPECT_TRUE(Eventually([&] { return Run("terravue", {"--quit"}) == 0; }, 30s));
    EXPECT_EQ(program->WaitForExit(10s), 1);
}

// The window's own pixels as the X server holds them (with its alpha, when it has one).
QImage WindowPicture(const std::string& display, xcb_window_t window) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    QImage picture;
    auto* geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
    if (geometry != nullptr) {
        auto* image =
            xcb_get_image_reply(connection,
                                xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                              geometry->width, geometry->height, ~0U),
                                nullptr);
        if (image != nullptr) {
            picture = QImage(xcb_get_image_data(image), geometry->width, geometry->height,
                             image->depth == 32 ? QImage::Format_ARGB32_Premultiplied
                                                : QImage::Format_RGB32)
                          .copy();
            std::free(image);
        }
        std::free(geometry);
    }
    xcb_disconnect(connection);
    return picture;
}

// A home city in Europe gets the worldwide forecast: the Large local-weather window
// shows it in seven columns, with the service's credit under them.
TEST_F(DesktopProgramTest, TheLocalWeatherWindowShowsTheWorldwideForecastOfAHomeCityInEurope) {
    LoopbackHttpServer services;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    services.Route(
        "/metar/LFPO.TXT",
        Answer(200, now.toString("yyyy/MM/dd HH:mm").toStdString() + "\nLFPO " +
                        now.toString("ddHHmm").toStdString() + "Z 00000KT CAVOK 21/12 Q1015\n"));
    services.Route(
        "/v1/forecast?latitude=48.733&longitude=2.400"
        "&hourly=temperature_2m,weather_code&timezone=auto&forecast_days=8",
        Answer(200, WorldForecastAnswer(7200)));
    WriteWholeFile(home_.Folder() + ".config/Nimbara/Options.txt",
                   "HomeCity=113600;LFPO;France;Paris;Orly;48.733;2.4\r\n");
    auto program = Start("nimbara", {},
                         {{"no_proxy", "127.0.0.1"},
                          {"SKYVANE_METAR_URL", services.BaseUrl() + "/metar"},
                          {"SKYVANE_WORLD_FORECAST_URL", services.BaseUrl() + "/v1/forecast"}});
    ASSERT_TRUE(Eventually([&] { return HoldsFiles(DataFolder("Nimbara") + "Wallpaper"); }));
    ASSERT_EQ(Run("nimbara", {"--local-weather"}), 0);

    // Small until the forecast is there, then seven columns wide.
    const std::string xdotool = "DISPLAY=" + server_.Display() + " xdotool ";
    std::string found;
    ASSERT_TRUE(Eventually([&] {
        found = CommandOutput(xdotool +
                              "search --onlyvisible --name '^Local Weather$' getwindowgeometry %@");
        return found.find("Geometry: 521x") != std::string::npos;
    })) << found;
    const auto window = static_cast<xcb_window_t>(std::stoul(found.substr(found.find(' ') + 1)));
    const QImage shown = WindowPicture(server_.Display(), window);
    ASSERT_EQ(shown.width(), 521);

    // The credit is white text right under the night row, which the panel's bottom
    // edge follows by 20 pixels.
    int white = 0;
    for (int y = shown.height() - 32; y < shown.height() - 20; ++y) {
        for (int x = 30; x < 30 + 7 * 68; ++x) {
            const QColor colour = shown.pixelColor(x, y);
            white += std::min({colour.red(), colour.green(), colour.blue()}) >= 200 ? 1 : 0;
        }
    }
    EXPECT_GT(white, 100);
    const auto requests = services.RequestsSeen();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                            [](const SeenRequest& request) {
                                return request.Target.starts_with("/v1/forecast");
                            }),
              1);
    if (const char* file = std::getenv("SKYVANE_LOCAL_WEATHER_PICTURE")) {
        // As the README shows the window: over a plain backdrop.
        QImage framed(shown.size() + QSize(40, 40), QImage::Format_RGB32);
        framed.fill(QColor(138, 155, 168));
        QPainter painter(&framed);
        painter.drawImage(20, 20, shown);
        painter.end();
        framed.save(QString::fromUtf8(file));
    }
    EXPECT_EQ(Run("nimbara", {"--quit"}), 0);
    EXPECT_EQ(program->WaitForExit(10s), 1);
}

}  // namespace
