#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Backdrops.h"
#include "Images.h"
#include "ToolCommands.h"
#include "ToolFailure.h"
#include "WeatherIcons.h"
#include "WeatherScenes.h"

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitBadArguments = 2;

constexpr int SkyWidth = 1280;
constexpr int SkyHeight = 800;
constexpr int PanelSize = 200;
constexpr int BackgroundWidth = 1920;
constexpr int BackgroundHeight = 1080;

using Arguments = std::vector<std::string>;

struct Command {
    const char* Name;
    const char* Synopsis;
    const char* Description;
    int ArgumentCount;
    void (*Run)(const Arguments&, const Arguments& options);
};

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

void Report(const QStringList& paths) {
    for (const QString& path : paths) {
        std::printf("%s\n", path.toUtf8().constData());
    }
}

int ParseSize(const std::string& sizeText) {
    int size = 0;
    const auto [stop, error] =
        std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size);
    if (error != std::errc() || stop != sizeText.data() + sizeText.size() || size < 8 ||
        size > 4096) {
        throw BadArguments("SIZE must be a whole number from 8 to 4096: \"" + sizeText + "\"");
    }
    return size;
}

void RunIcon(const Arguments& arguments, const Arguments& options) {
    const int size = ParseSize(arguments[2]);
    IconEdge edge = IconEdge::None;
    for (const std::string& option : options) {
        if (option == "--outline") {
            edge = IconEdge::Outline;
        } else if (option == "--shadow") {
            edge = IconEdge::Shadow;
        } else {
            throw BadArguments("unknown option \"" + option + "\"");
        }
    }
    const QString svg = Text(arguments[0]);
    const std::string file = QFileInfo(svg).fileName().toStdString();
    const IconLayer layers[] = {{file.c_str()}};
    SaveImage(RenderIcon(layers, QFileInfo(svg).absolutePath(), size, edge), Text(arguments[1]));
    Report({Text(arguments[1])});
}

void NoOptions(const Arguments& options) {
    if (!options.empty()) {
        throw BadArguments("unknown option \"" + options.front() + "\"");
    }
}

void RunAppIcon(const Arguments& arguments, const Arguments& options) {
    NoOptions(options);
    const int size = ParseSize(arguments[2]);
    SaveImage(RenderDrawing(Text(arguments[0]), size), Text(arguments[1]));
    Report({Text(arguments[1])});
}

void RunIcons(const Arguments& arguments, const Arguments& options) {
    NoOptions(options);
    Report(WriteWeatherIcons(Text(arguments[0]), Text(arguments[1])));
}

void RunSky(const Arguments& arguments, const Arguments& options) {
    NoOptions(options);
    SaveImage(PaintSkyBackdrop(SkyWidth, SkyHeight), Text(arguments[0]));
    Report({Text(arguments[0])});
}

void RunPanel(const Arguments& arguments, const Arguments& options) {
    NoOptions(options);
    SaveImage(PaintPanel(PanelSize, PanelSize), Text(arguments[0]));
    Report({Text(arguments[0])});
}

void RunBackground(const Arguments& arguments, const Arguments& options) {
    NoOptions(options);
    const std::string& time = arguments[1];
    if (time != "day" && time != "night") {
        throw BadArguments("the time of day is \"day\" or \"night\", not \"" + time + "\"");
    }
    SaveImage(RenderWeatherBackground(Text(arguments[0]), time == "day", BackgroundWidth,
                                      BackgroundHeight),
              Text(arguments[2]));
    Report({Text(arguments[2])});
}

void RunBackgrounds(const Arguments& arguments, const Arguments& options) {
    NoOptions(options);
    Report(WriteWeatherBackgrounds(Text(arguments[0]), BackgroundWidth, BackgroundHeight));
}

constexpr Command Commands[] = {
    {"icon", "SVG PNG SIZE [--outline|--shadow]",
     "one drawing as a SIZE x SIZE transparent PNG, framed like the weather icons", 3, RunIcon},
    {"app-icon", "SVG PNG SIZE",
     "a whole drawing as a SIZE x SIZE transparent PNG, such as an edition's menu icon", 3,
     RunAppIcon},
    {"icons", "SVG_FOLDER ASSETS_FOLDER",
     "every weather icon, small (64 x 64, outlined) and large (256 x 256), from the Meteocons "
     "drawings",
     2, RunIcons},
    {"sky", "PNG", "the sky backdrop of the weather pictures", 1, RunSky},
    {"panel", "PNG", "the local-weather panel, whose alpha the program keeps", 1, RunPanel},
    {"background", "NAME day|night OUTPUT",
     "one weather background (NAME is a short text such as \"Partly Cloudy\"), PNG or JPEG", 3,
     RunBackground},
    {"backgrounds", "ASSETS_FOLDER",
     "every weather background as JPEG under \"Weather Backgrounds/\"", 1, RunBackgrounds},
};

}  // namespace

int main(int argc, char** argv) {
    const Command* command = argc >= 2 ? ToolCommands::Find(Commands, argv[1]) : nullptr;
    if (command == nullptr) {
        if (argc >= 2) {
            std::fprintf(stderr, "skyvane-asset-maker: unknown command \"%s\"\n", argv[1]);
        }
        ToolCommands::PrintUsage("skyvane-asset-maker", Commands);
        return ExitBadArguments;
    }
    Arguments arguments;
    Arguments options;
    for (int index = 2; index < argc; ++index) {
        (std::strncmp(argv[index], "--", 2) == 0 ? options : arguments).emplace_back(argv[index]);
    }
    // Pictures only: no display is needed, wherever the tool runs.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);
    try {
        if (static_cast<int>(arguments.size()) != command->ArgumentCount) {
            throw BadArguments("expected " + std::string(command->Synopsis));
        }
        command->Run(arguments, options);
        return 0;
    } catch (const BadArguments& error) {
        std::fprintf(stderr, "skyvane-asset-maker %s: %s\n", command->Name, error.what());
        return ExitBadArguments;
    } catch (const ToolFailure& error) {
        std::fprintf(stderr, "skyvane-asset-maker %s: %s\n", command->Name, error.what());
        return ExitFailure;
    }
}
