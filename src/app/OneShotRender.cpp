#include "app/OneShotRender.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QMessageLogContext>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "app/Application.h"
#include "app/Program.h"
#include "core/Exceptions.h"
#include "core/UtilText.h"
#include "render/Graphics.h"
#include "render/Screen.h"
#include "render/WeatherPicture.h"

namespace OneShotRender {
namespace {

// Pictures larger than this would not fit in memory as a 32-bit image.
constexpr int MaximumSide = 16384;
// A picture without a screen to measure.
constexpr int DefaultWidth = 1920;
constexpr int DefaultHeight = 1080;

[[noreturn]] void Fail(const std::string& message) {
    throw ArgumentException("OneShotRender", message.c_str());
}

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

void ParseSize(const std::string& text, Request& request) {
    const auto x = text.find_first_of("xX");
    const std::string width = x == std::string::npos ? std::string() : text.substr(0, x);
    const std::string height = x == std::string::npos ? std::string() : text.substr(x + 1);
    if (!AllDigits(width) || !AllDigits(height) || width.size() > 5 || height.size() > 5) {
        Fail("--size expects WIDTHxHEIGHT, for example 1920x1080, not \"" + text + "\"");
    }
    request.Width = std::stoi(width);
    request.Height = std::stoi(height);
    if (request.Width < 1 || request.Height < 1 || request.Width > MaximumSide ||
        request.Height > MaximumSide) {
        Fail("--size: each side must be between 1 and " + std::to_string(MaximumSide) + " pixels");
    }
}

void ParseTime(const std::string& text, Request& request) {
    // YYYY-MM-DDTHH:MM:SSZ, exactly.
    static constexpr const char* Shape = "dddd-dd-ddTdd:dd:ddZ";
    bool matches = text.size() == std::char_traits<char>::length(Shape);
    for (std::size_t i = 0; matches && i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        matches =
            Shape[i] == 'd' ? std::isdigit(c) != 0 : c == static_cast<unsigned char>(Shape[i]);
    }
    const auto field = [&text](std::size_t start, std::size_t count) {
        return std::stoi(text.substr(start, count));
    };
    if (matches) {
        const int year = field(0, 4);
        const int month = field(5, 2);
        const int day = field(8, 2);
        const int hour = field(11, 2);
        const int minute = field(14, 2);
        const int second = field(17, 2);
        try {
            request.Time =
                DateTime(year, month, day, hour, minute, second).WithKind(DateTime::Kind::Utc);
            return;
        } catch (const ApplicationException&) {
            // Reported below with the expected shape.
        }
    }
    Fail("--time expects a UTC instant as YYYY-MM-DDTHH:MM:SSZ, not \"" + text + "\"");
}

// The screens the picture is made for: the display's, or one of the requested
// size (or the default size when there is no real display).
std::vector<Screen> TargetScreens(const Request& request, bool wholeDisplay) {
    if (request.Width > 0) {
        return {Screen::OfSize(request.Width, request.Height)};
    }
    if (QGuiApplication::platformName() == QStringLiteral("offscreen")) {
        return {Screen::OfSize(DefaultWidth, DefaultHeight)};
    }
    if (wholeDisplay) {
        return GetScreens();
    }
    Screen primary = Screen::PrimaryScreen();
    // The picture starts at its own origin whatever the screen's place on the display.
    const ScreenRect bounds = primary.Bounds;
    primary.Bounds = bounds.Translated(-bounds.Left, -bounds.Top);
    primary.WorkArea = primary.WorkArea.Translated(-bounds.Left, -bounds.Top);
    return {primary};
}

// The map shows a city's icon only for weather of the last 48 hours; without
// any, the icons need not be read at all.
bool HasRecentWeather(const COptions& options, const DateTime& utcNow) {
    auto recent = [&](const City& city) {
        return city.CurrentWeather.ReportDateTime.IsWithin48Hours(utcNow);
    };
    if (options.HomeCity && recent(*options.HomeCity)) {
        return true;
    }
    return options.Cities && std::any_of(options.Cities->begin(), options.Cities->end(), recent);
}

// The cities' weather through the program's own background work, bounded in
// time; a city whose download fails is drawn as one without recent weather.
void FetchWeather(Application& application) {
    if (!application.Pool.Initialise() || !application.QueueWeatherDownload(false)) {
        return;
    }
    QEventLoop loop;
    QObject::connect(&application.Results, &WorkResults::weatherDone, &loop, &QEventLoop::quit);
    QTimer::singleShot(WeatherFetchMilliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    // Ends a transfer still running and joins the worker before anything is drawn.
    application.Pool.Stop(1);
    application.TakeWeatherResults();
}

QImage Compose(const Request& request, const DateTime& utcNow) {
    Application application;
    EarthRenderer& renderer = application.Renderer;
    renderer.SetSinglePicture(true);
    // The night layer needs nothing of the options: it is made while they load.
    if (Program::Kind() != EnumAppKind::Weather) {
        renderer.PrepareNightLayer(utcNow);
    }
    COptions& options = application.Options;
    options.Load();
    if (request.Weather) {
        FetchWeather(application);
    }

    if (Program::Kind() == EnumAppKind::Weather) {
        application.Pictures.Load();
        return ComposeWeatherPicture(options, application.Pictures, TargetScreens(request, true),
                                     utcNow);
    }
    if (options.ShowWeather && HasRecentWeather(options, utcNow)) {
        application.Pictures.Load();
    }
    if (options.ShowClouds) {
        renderer.PrepareCloudLayer();
    }
    renderer.LoadStartupPictures();
    QImage picture = renderer.ComposeEarth(options, TargetScreens(request, false).front(), utcNow);
    // A layer left out still gives a picture, but the user should know why it looks so.
    for (const std::string& problem : renderer.Problems()) {
        std::fprintf(stderr, "%s --render: warning: %s\n", Program::AppDisplayName().c_str(),
                     problem.c_str());
    }
    return picture;
}

void Save(const QImage& picture, const std::string& file, const std::string& format) {
    if (picture.isNull()) {
        Fail("the picture could not be composed");
    }
    try {
        Graphics::SavePicture(picture, file, format.c_str(), format == "jpg" ? 90 : -1);
    } catch (const ApplicationException& error) {
        Fail("cannot write \"" + file + "\": " + FailureReason(error));
    }
}

// Without a display, or with one that cannot be reached, the picture is still made.
void ChoosePlatform() {
    if (std::getenv("QT_QPA_PLATFORM") != nullptr) {
        return;
    }
    const char* platforms = "offscreen";
    if (std::getenv("WAYLAND_DISPLAY") != nullptr) {
        platforms = "wayland;xcb;offscreen";
    } else if (std::getenv("DISPLAY") != nullptr) {
        platforms = "xcb;offscreen";
    }
    setenv("QT_QPA_PLATFORM", platforms, 1);
}

// The platform's notes on a missing display or runtime folder say nothing about
// the picture; everything else still reaches stderr.
void QuietPlatformMessages(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    const QByteArray category(context.category != nullptr ? context.category : "");
    if (type != QtFatalMsg && type != QtCriticalMsg &&
        (category.startsWith("qt.qpa") || message.startsWith(QStringLiteral("QStandardPaths")))) {
        return;
    }
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

}  // namespace

Request ParseArguments(const std::vector<std::string>& arguments) {
    Request request;
    bool haveSize = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--size" || argument == "--time") {
            if (!hasValue) {
                Fail(argument + " needs a value");
            }
            if (argument == "--size") {
                if (haveSize) {
                    Fail("--size is given twice");
                }
                haveSize = true;
                ParseSize(arguments[++i], request);
            } else {
                if (request.Time) {
                    Fail("--time is given twice");
                }
                ParseTime(arguments[++i], request);
            }
        } else if (argument == "--weather") {
            request.Weather = true;
        } else if (argument.rfind("--", 0) == 0 || !request.File.empty()) {
            Fail("unexpected argument \"" + argument + "\"");
        } else {
            request.File = argument;
        }
    }
    if (request.File.empty()) {
        Fail("--render needs the file to write, for example --render earth.png");
    }
    FormatOf(request.File);
    return request;
}

std::string FormatOf(const std::string& file) {
    const auto slash = file.find_last_of('/');
    const auto dot = file.find_last_of('.');
    std::string extension;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        extension = file.substr(dot + 1);
    }
    extension = UtilText::ToLowerAscii(extension);
    if (extension == "jpeg") {
        extension = "jpg";
    }
    if (extension != "png" && extension != "jpg" && extension != "bmp") {
        Fail("\"" + file + "\": the file name must end in .png, .jpg or .bmp");
    }
    return extension;
}

int Run(int argc, char** argv) {
    const std::string& name = Program::AppDisplayName();
    try {
        const Request request =
            ParseArguments(std::vector<std::string>(argv + 2, argv + std::max(argc, 2)));
        ChoosePlatform();
        qInstallMessageHandler(QuietPlatformMessages);
        const QGuiApplication application(argc, argv);
        const DateTime utcNow = request.Time ? *request.Time : DateTime::UtcNow();
        Save(Compose(request, utcNow), request.File, FormatOf(request.File));
        // The picture is safely written. Tearing the platform down would first
        // load the whole font configuration just to release it: a third of a
        // second's work for nothing on a large system, so the process ends here.
        std::fflush(nullptr);
        std::_Exit(0);
    } catch (const ApplicationException& error) {
        const std::string& text = error.Message.empty() ? error.Location : error.Message;
        std::fprintf(stderr, "%s --render: %s\n", name.c_str(), text.c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s --render: %s\n", name.c_str(), error.what());
    }
    return 1;
}

}  // namespace OneShotRender
