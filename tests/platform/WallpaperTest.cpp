#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "RecordingRunner.h"
#include "platform/CosmicWallpaper.h"
#include "platform/GSettingsWallpaper.h"
#include "platform/HyprpaperWallpaper.h"
#include "platform/LxqtWallpaper.h"
#include "platform/PlasmaWallpaper.h"
#include "platform/Wallpaper.h"
#include "platform/WlrootsWallpaper.h"
#include "platform/XfceWallpaper.h"
#include "support/TestSupport.h"

using namespace TestSupport;

namespace {

// A D-Bus call is written down with the first line of its script: the line that carries
// the data, ahead of the fixed part.
class RecordingCaller : public DBusCaller {
public:
    explicit RecordingCaller(Desk& desk) : desk_(desk) {}
    std::optional<QVariantList> Call(const DBusCall& call) override {
        const QString script = call.Arguments.value(0).toString();
        const ::Call written{call.Service.toStdString(), call.Path.toStdString(),
                             call.Interface.toStdString(), call.Method.toStdString(),
                             script.left(script.indexOf('\n')).toStdString()};
        desk_.Calls.push_back(written);
        const auto answer = desk_.Answers.find({call.Method.toStdString()});
        return QVariantList{answer != desk_.Answers.end()
                                ? QString::fromStdString(answer->second.Output)
                                : QString()};
    }

private:
    Desk& desk_;
};

enum class Operation { Record, Set, SetEach, Restore };

struct BackendCase {
    const char* Label;
    std::function<std::unique_ptr<WallpaperBackend>(Desk&, const std::string& folder)> Make;
    Operation Do;
    std::map<Call, CommandRunner::Result> Answers;
    std::string Picture;         // Set
    RecordedWallpaper Given;     // Restore
    RecordedWallpaper Recorded;  // Record's expected result
    std::vector<Call> Calls;
    bool Succeeds = true;
    std::vector<MonitorPicture> Pictures = {};  // SetEach
};

std::unique_ptr<WallpaperBackend> Cinnamon(Desk& desk, const std::string&) {
    return std::make_unique<GSettingsWallpaper>("Cinnamon", GSettingsWallpaper::Cinnamon,
                                                std::make_unique<RecordingRunner>(desk));
}
std::unique_ptr<WallpaperBackend> Gnome(Desk& desk, const std::string&) {
    return std::make_unique<GSettingsWallpaper>("GNOME", GSettingsWallpaper::Gnome,
                                                std::make_unique<RecordingRunner>(desk));
}
std::unique_ptr<WallpaperBackend> Mate(Desk& desk, const std::string&) {
    return std::make_unique<GSettingsWallpaper>("MATE", GSettingsWallpaper::Mate,
                                                std::make_unique<RecordingRunner>(desk));
}
std::unique_ptr<WallpaperBackend> Xfce(Desk& desk, const std::string&) {
    return std::make_unique<XfceWallpaper>(std::make_unique<RecordingRunner>(desk));
}
std::unique_ptr<WallpaperBackend> Hyprpaper(Desk& desk, const std::string&) {
    return std::make_unique<HyprpaperWallpaper>(std::make_unique<RecordingRunner>(desk));
}
std::unique_ptr<WallpaperBackend> Awww(Desk& desk, const std::string&) {
    return std::make_unique<SwwwWallpaper>("awww", std::make_unique<RecordingRunner>(desk));
}
std::unique_ptr<WallpaperBackend> Plasma(Desk& desk, const std::string&) {
    return std::make_unique<PlasmaWallpaper>(std::make_unique<RecordingCaller>(desk));
}
// pcmanfm-qt's own settings file, as it writes it.
std::unique_ptr<WallpaperBackend> LxqtIn(Desk& desk, const std::string& folder,
                                         const std::string& mode) {
    WriteWholeFile(folder + "settings.conf",
                   "[Desktop]\nBgColor=#000000\nWallpaper=\"/usr/share/lxqt/wallpapers/"
                   "Le quai, l'\xc3\xa9t\xc3\xa9.png\"\nWallpaperMode=" +
                       mode + "\n");
    return std::make_unique<LxqtWallpaper>(std::make_unique<RecordingRunner>(desk),
                                           folder + "settings.conf");
}
std::unique_ptr<WallpaperBackend> Lxqt(Desk& desk, const std::string& folder) {
    return LxqtIn(desk, folder, "zoom");
}
std::unique_ptr<WallpaperBackend> LxqtShowingNoPicture(Desk& desk, const std::string& folder) {
    return LxqtIn(desk, folder, "none");
}

const std::string Backdrop = "/backdrop/screen0/monitorHDMI-1/";
const Call XfceListing{"xfconf-query", "-c", "xfce4-desktop", "-p", "/backdrop", "-l"};
const CommandRunner::Result XfceProperties{
    true, "/backdrop/screen0/color-style\n" + Backdrop + "workspace1/last-image\n" + Backdrop +
              "workspace0/last-image\n" + Backdrop + "workspace0/image-style\n" + Backdrop +
              "workspace0/rgba1\n"};

Call Xfconf(const std::string& property, const char* type, const std::string& value) {
    return {"xfconf-query", "-c", "xfce4-desktop", "-p", Backdrop + property, "-n", "-t", type,
            "-s",           value};
}
Call PlasmaScript(const std::string& firstLine) {
    return {"org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell", "evaluateScript",
            firstLine};
}

const BackendCase BackendCases[] = {
    {"GnomeSetsBothPictureKeysToTheFileUriSpanned",
     Gnome,
     Operation::Set,
     {},
     "/home/u/My Pictures/it's/E0.bmp",
     {},
     {},
     {{"gsettings", "set", "org.gnome.desktop.background", "picture-options", "'spanned'"},
      {"gsettings", "set", "org.gnome.desktop.background", "picture-uri",
       "'file:///home/u/My%20Pictures/it\\'s/E0.bmp'"},
      {"gsettings", "set", "org.gnome.desktop.background", "picture-uri-dark",
       "'file:///home/u/My%20Pictures/it\\'s/E0.bmp'"}}},
    {"CinnamonSetFailsWhenThePictureKeyCannotBeSet",
     Cinnamon,
     Operation::Set,
     {{{"gsettings", "set", "org.cinnamon.desktop.background", "picture-uri", "'file:///w/E1.bmp'"},
       {false, ""}}},
     "/w/E1.bmp",
     {},
     {},
     {{"gsettings", "set", "org.cinnamon.desktop.background", "picture-options", "'spanned'"},
      {"gsettings", "set", "org.cinnamon.desktop.background", "picture-uri", "'file:///w/E1.bmp'"}},
     false},
    {"MateRecordsThePictureFileAndItsStyle",
     Mate,
     Operation::Record,
     {{{"gsettings", "get", "org.mate.background", "picture-filename"},
       {true, "\"/usr/share/backgrounds/Tom's \\u00e9t\\u00e9.png\"\n"}},
      {{"gsettings", "get", "org.mate.background", "picture-options"}, {true, "'zoom'\n"}}},
     "",
     {},
     {"/usr/share/backgrounds/Tom's \xc3\xa9t\xc3\xa9.png",
      {{"picture-filename", "\"/usr/share/backgrounds/Tom's \\u00e9t\\u00e9.png\""},
       {"picture-options", "'zoom'"}}},
     {{"gsettings", "get", "org.mate.background", "picture-filename"},
      {"gsettings", "get", "org.mate.background", "picture-options"}}},
    {"MateRestoreOfAStaleRecordClearsThePictureAndKeepsTheStyle",
     Mate,
     Operation::Restore,
     {},
     "",
     {"",
      {{"picture-filename", "'/home/u/.local/share/Terravue/Wallpaper/E0.bmp'"},
       {"picture-options", "'zoom'"}}},
     {},
     {{"gsettings", "set", "org.mate.background", "picture-filename", "''"},
      {"gsettings", "set", "org.mate.background", "picture-options", "'zoom'"}}},
    {"XfceSetsEveryMonitorsEveryWorkspace",
     Xfce,
     Operation::Set,
     {{XfceListing, XfceProperties}},
     "/w/E0.bmp",
     {},
     {},
     {XfceListing, Xfconf("workspace0/image-style", "int", "3"),
      Xfconf("workspace0/last-image", "string", "/w/E0.bmp"),
      Xfconf("workspace1/image-style", "int", "3"),
      Xfconf("workspace1/last-image", "string", "/w/E0.bmp")}},
    {"XfceGivesEachMonitorItsOwnPictureAndTheFirstToOneItDoesNotName",
     Xfce,
     Operation::SetEach,
     {{XfceListing,
       {true,
        Backdrop + "workspace0/last-image\n/backdrop/screen0/monitor0/workspace0/last-image\n"}}},
     "",
     {},
     {},
     {XfceListing,
      {"xfconf-query", "-c", "xfce4-desktop", "-p",
       "/backdrop/screen0/monitor0/workspace0/image-style", "-n", "-t", "int", "-s", "3"},
      {"xfconf-query", "-c", "xfce4-desktop", "-p",
       "/backdrop/screen0/monitor0/workspace0/last-image", "-n", "-t", "string", "-s", "/w/E0.bmp"},
      Xfconf("workspace0/image-style", "int", "3"),
      Xfconf("workspace0/last-image", "string", "/w/E1.bmp")},
     true,
     {{"DP-2", 0, 0, 800, 600, "/w/E0.bmp"}, {"HDMI-1", 800, 0, 640, 480, "/w/E1.bmp"}}},
    {"HyprpaperShowsEachMonitorItsOwnPicture",
     Hyprpaper,
     Operation::SetEach,
     {},
     "",
     {},
     {},
     {{"hyprctl", "hyprpaper", "wallpaper", "DP-1,/w/E0.bmp"},
      {"hyprctl", "hyprpaper", "wallpaper", "HDMI-A-1,/w/E1.bmp"}},
     true,
     {{"DP-1", 0, 0, 800, 600, "/w/E0.bmp"}, {"HDMI-A-1", 800, 0, 640, 480, "/w/E1.bmp"}}},
    {"HyprpaperRecordsEveryActiveMonitor",
     Hyprpaper,
     Operation::Record,
     {{{"hyprctl", "hyprpaper", "listactive"},
       {true, "DP-1 = /u/a.png\nHDMI-A-1 = /u/b = c.png\n"}}},
     "",
     {},
     {"/u/a.png", {{"DP-1", "/u/a.png"}, {"HDMI-A-1", "/u/b = c.png"}}},
     {{"hyprctl", "hyprpaper", "listactive"}}},
    {"HyprpaperCannotBeToldToShowNoPicture",
     Hyprpaper,
     Operation::Restore,
     {},
     "",
     {"", {{"DP-1", "/w/E0.bmp"}}},
     {},
     {},
     false},
    {"AwwwRecordsEachOutputsImageOrColour",
     Awww,
     Operation::Record,
     {{{"awww", "query"},
       {true,
        "DP-1: 1920x1080, scale: 1, currently displaying: image: /u/a b.png\n"
        "HDMI-A-1: 1280x1024, scale: 1, currently displaying: color: 102030\n"}}},
     "",
     {},
     {"/u/a b.png", {{"DP-1", "image: /u/a b.png"}, {"HDMI-A-1", "color: 102030"}}},
     {{"awww", "query"}}},
    {"AwwwPutsBackEachOutputsImageOrColour",
     Awww,
     Operation::Restore,
     {},
     "",
     {"/u/a b.png", {{"DP-1", "image: /u/a b.png"}, {"HDMI-A-1", "color: 102030"}}},
     {},
     {{"awww", "img", "-o", "DP-1", "--transition-type", "none", "/u/a b.png"},
      {"awww", "clear", "102030", "-o", "HDMI-A-1"}}},
    {"XfceRecordsEachBackdropsPictureAndStyle",
     Xfce,
     Operation::Record,
     {{XfceListing, XfceProperties},
      {{"xfconf-query", "-c", "xfce4-desktop", "-p", Backdrop + "workspace0/last-image"},
       {true, "/u/two\nlines.png\n"}},
      {{"xfconf-query", "-c", "xfce4-desktop", "-p", Backdrop + "workspace0/image-style"},
       {true, "5\n"}},
      {{"xfconf-query", "-c", "xfce4-desktop", "-p", Backdrop + "workspace1/last-image"},
       {true, "/u/b.png\n"}}},
     "",
     {},
     {"/u/two\nlines.png",
      {{Backdrop + "workspace0/image-style", "5"},
       {Backdrop + "workspace0/last-image", "/u/two\nlines.png"},
       {Backdrop + "workspace1/last-image", "/u/b.png"}}},
     {XfceListing,
      {"xfconf-query", "-c", "xfce4-desktop", "-p", Backdrop + "workspace0/image-style"},
      {"xfconf-query", "-c", "xfce4-desktop", "-p", Backdrop + "workspace0/last-image"},
      {"xfconf-query", "-c", "xfce4-desktop", "-p", Backdrop + "workspace1/last-image"}}},
    {"XfceRestoreWritesTheRecordAndResetsWhatWasNotThere",
     Xfce,
     Operation::Restore,
     {{XfceListing, XfceProperties}},
     "",
     {"/u/a.png",
      {{Backdrop + "workspace0/image-style", "5"},
       {Backdrop + "workspace0/last-image", "/u/a.png"}}},
     {},
     {XfceListing,
      Xfconf("workspace0/image-style", "int", "5"),
      Xfconf("workspace0/last-image", "string", "/u/a.png"),
      {"xfconf-query", "-c", "xfce4-desktop", "-p", Backdrop + "workspace1/last-image", "-r"}}},
    {"LxqtSetsThroughPcmanfmQtInTheUsersOwnMode",
     Lxqt,
     Operation::Set,
     {},
     "/a b/E0.bmp",
     {},
     {},
     {{"pcmanfm-qt", "--set-wallpaper", "/a b/E0.bmp"}}},
    {"LxqtStretchesWhereTheUsersModeShowsNoPicture",
     LxqtShowingNoPicture,
     Operation::Set,
     {},
     "/a b/E0.bmp",
     {},
     {},
     {{"pcmanfm-qt", "--set-wallpaper", "/a b/E0.bmp", "--wallpaper-mode", "stretch"}}},
    {"LxqtRestoresThePictureInTheModeItWasNeverTakenFrom",
     Lxqt,
     Operation::Restore,
     {},
     "",
     {"/u/a.png", {{"Wallpaper", "/u/a.png"}, {"WallpaperMode", "center"}}},
     {},
     {{"pcmanfm-qt", "--set-wallpaper", "/u/a.png"}}},
    {"LxqtRecordsFromItsSettingsFile",
     Lxqt,
     Operation::Record,
     {},
     "",
     {},
     {"/usr/share/lxqt/wallpapers/Le quai, l'\xc3\xa9t\xc3\xa9.png",
      {{"Wallpaper", "/usr/share/lxqt/wallpapers/Le quai, l'\xc3\xa9t\xc3\xa9.png"},
       {"WallpaperMode", "zoom"}}},
     {}},
    {"LxqtCannotBeToldToShowNoPicture",
     Lxqt,
     Operation::Restore,
     {},
     "",
     {"", {{"Wallpaper", "/w/E0.bmp"}, {"WallpaperMode", "fit"}}},
     {},
     {},
     false},
    {"PlasmaSetsEveryDesktopToTheStretchedImage",
     Plasma,
     Operation::Set,
     {},
     "/a \"b\"/E0.bmp",
     {},
     {},
     {PlasmaScript("var pictures = [[0,0,0,0,\"file:///a%20%22b%22/E0.bmp\"]], mode = 0;")}},
    {"PlasmaRecordsEveryDesktop",
     Plasma,
     Operation::Record,
     {{{"evaluateScript"},
       {true,
        "[[1,\"org.kde.image\",\"file:///u/a%20b.png\",2],[7,\"org.kde.slideshow\",\"\",1]]\n"}}},
     "",
     {},
     {"/u/a b.png",
      {{"1.wallpaperPlugin", "org.kde.image"},
       {"1.Image", "file:///u/a%20b.png"},
       {"1.FillMode", "2"},
       {"7.wallpaperPlugin", "org.kde.slideshow"},
       {"7.Image", ""},
       {"7.FillMode", "1"}}},
     {PlasmaScript("var all = desktops(), out = [];")}},
    {"PlasmaRestorePutsEachDesktopBack",
     Plasma,
     Operation::Restore,
     {},
     "",
     {"/u/a b.png",
      {{"1.wallpaperPlugin", "org.kde.image"},
       {"1.Image", "file:///u/a%20b.png"},
       {"1.FillMode", "6"},
       {"7.wallpaperPlugin", "org.kde.slideshow"},
       {"7.Image", ""},
       {"7.FillMode", "not a number"}}},
     {},
     {PlasmaScript("var saved = [[1,\"org.kde.image\",\"file:///u/a%20b.png\",6],"
                   "[7,\"org.kde.slideshow\",\"\",2]];")}},
};

void PrintTo(const BackendCase& test, std::ostream* out) {
    *out << test.Label;
}

class WallpaperBackendTest : public ::testing::TestWithParam<BackendCase> {};

TEST_P(WallpaperBackendTest, MakesTheDesktopsCalls) {
    const BackendCase& test = GetParam();
    const TempFolder folder;
    Desk desk;
    desk.Answers = test.Answers;
    const std::unique_ptr<WallpaperBackend> backend = test.Make(desk, folder.Folder());
    switch (test.Do) {
        case Operation::Record:
            EXPECT_EQ(backend->Record(), std::optional(test.Recorded));
            break;
        case Operation::Set:
            EXPECT_EQ(backend->Set(test.Picture), test.Succeeds);
            break;
        case Operation::SetEach:
            EXPECT_EQ(backend->SetEach(test.Pictures), test.Succeeds);
            break;
        case Operation::Restore:
            EXPECT_EQ(backend->Restore(test.Given), test.Succeeds);
            break;
    }
    EXPECT_EQ(desk.Calls, test.Calls);
}

INSTANTIATE_TEST_SUITE_P(Backends, WallpaperBackendTest, ::testing::ValuesIn(BackendCases),
                         [](const auto& tested) { return std::string(tested.param.Label); });

// cosmic-bg follows its files: each output an entry of its own with same-on-all off,
// and after a restore the user's files are exactly as they were.
TEST(CosmicWallpaperTest, EachOutputGetsItsOwnEntryAndTheUsersFilesComeBackAsTheyWere) {
    const TempFolder folder;
    const std::string config = folder.Folder() + "v1/";
    std::filesystem::create_directories(config);
    const std::string users =
        "(\n    output: \"all\",\n    source: Path(\"/usr/share/backgrounds/a \\\"b\\\".png\"),\n"
        "    filter_by_theme: true,\n    rotation_frequency: 300,\n)";
    WriteWholeFile(config + "all", users);
    WriteWholeFile(config + "same-on-all", "true");
    CosmicWallpaper cosmic(config);
    const std::optional<RecordedWallpaper> recorded = cosmic.Record();
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->Picture, "/usr/share/backgrounds/a \"b\".png");

    ASSERT_TRUE(cosmic.SetEach(
        {{"DP-1", 0, 0, 800, 600, "/w/E0.bmp"}, {"HDMI-A-1", 800, 0, 640, 480, "/w/\"E1\".bmp"}}));
    EXPECT_EQ(ReadWholeFile(config + "same-on-all"), "false");
    EXPECT_EQ(ReadWholeFile(config + "backgrounds"), "[\"DP-1\", \"HDMI-A-1\"]");
    const std::string second = ReadWholeFile(config + "output.HDMI-A-1");
    for (const char* field :
         {"output: \"HDMI-A-1\"", "source: Path(\"/w/\\\"E1\\\".bmp\")", "scaling_mode: Stretch"}) {
        EXPECT_NE(second.find(field), std::string::npos) << field << " in " << second;
    }
    EXPECT_EQ(ReadWholeFile(config + "all"), users);

    ASSERT_TRUE(cosmic.Restore(*recorded));
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(config)) {
        files.push_back(entry.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"all", "same-on-all"}));
    EXPECT_EQ(ReadWholeFile(config + "all"), users);
    EXPECT_EQ(ReadWholeFile(config + "same-on-all"), "true");
}

struct DesktopCase {
    const char* Label;
    DesktopSession Session;
    WallpaperDesktop Chosen;
};

const DesktopCase DesktopCases[] = {
    {"UbuntuSessionIsGnome", {"ubuntu:GNOME", "ubuntu", true, true}, WallpaperDesktop::Gnome},
    {"BudgieComesBeforeGnome", {"Budgie:GNOME", "", false, true}, WallpaperDesktop::Budgie},
    {"CinnamonsXName", {"X-Cinnamon", "", false, true}, WallpaperDesktop::Cinnamon},
    {"PlasmaOnWayland", {"KDE", "plasmawayland", true, false}, WallpaperDesktop::Plasma},
    {"XfceCaseIgnored", {"xfce", "", false, true}, WallpaperDesktop::Xfce},
    {"SessionNameWhenTheDesktopIsUnknown", {"", "mate", false, true}, WallpaperDesktop::Mate},
    {"AnyOtherXSessionIsPlainX11", {"i3", "i3", false, true}, WallpaperDesktop::X11},
    {"SwayIsWlroots", {"sway", "sway", true, true}, WallpaperDesktop::Wlroots},
    {"LabwcNamesItselfWithWlroots", {"labwc:wlroots", "", true, false}, WallpaperDesktop::Wlroots},
    {"HyprlandCaseIgnored", {"Hyprland", "hyprland", true, true}, WallpaperDesktop::Hyprland},
    {"CosmicOnWayland", {"COSMIC", "cosmic", true, false}, WallpaperDesktop::Cosmic},
    {"SwaysOwnSocketWhateverTheSessionIsCalled",
     {"", "", true, false, true, false},
     WallpaperDesktop::Wlroots},
    {"UnknownWaylandIsUnsupported", {"weston", "weston", true, true}, WallpaperDesktop::None},
    {"NoDisplayIsUnsupported", {"", "", false, false}, WallpaperDesktop::None},
};

void PrintTo(const DesktopCase& test, std::ostream* out) {
    *out << test.Label;
}

class ChooseWallpaperDesktopTest : public ::testing::TestWithParam<DesktopCase> {};

TEST_P(ChooseWallpaperDesktopTest, ChoosesTheBackend) {
    EXPECT_EQ(ChooseWallpaperDesktop(GetParam().Session), GetParam().Chosen);
}

INSTANTIATE_TEST_SUITE_P(Sessions, ChooseWallpaperDesktopTest, ::testing::ValuesIn(DesktopCases),
                         [](const auto& tested) { return std::string(tested.param.Label); });

}  // namespace
