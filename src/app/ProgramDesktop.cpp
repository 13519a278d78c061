#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <utility>

#include "app/AppLog.h"
#include "app/Application.h"
#include "app/FormHidden.h"
#include "app/Guarded.h"
#include "app/Program.h"
#include "app/ProgramOptions.h"
#include "app/UpdateCheck.h"
#include "app/WallpaperController.h"
#include "core/Exceptions.h"
#include "platform/DisplayChoice.h"
#include "platform/Folders.h"
#include "platform/InstanceChannel.h"
#include "platform/ScreenSaver.h"
#include "render/Background.h"
#include "render/Graphics.h"
#include "render/Screen.h"
#include "render/WeatherPicture.h"
#include "ui/FormAbout.h"
#include "ui/FormEarth.h"
#include "ui/FormLocalWeather.h"
#include "ui/FormOptions.h"
#include "ui/FormScreenSaver.h"
#include "ui/FormTimeZones.h"
#include "ui/Links.h"

namespace Program {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// A hack asked for a window of its own.
constexpr QSize OwnHackWindowSize(800, 450);

MonitorPicture PlaceOf(const Screen& screen) {
    return {screen.Name,           screen.Bounds.Left,     screen.Bounds.Top,
            screen.Bounds.Width(), screen.Bounds.Height(), {}};
}

// Draws each screen's picture (the screens at the origin, in device pixels), handed
// to take one at a time in the screens' order.
using DrawEachScreen = std::function<void(const std::vector<Screen>& screens,
                                          const std::function<void(QImage)>& take)>;

// Each monitor its own picture: one each where the desktop takes one per monitor,
// else one picture of the whole virtual screen with each monitor's picture where
// that monitor sits, made one monitor at a time. Empty when a picture failed.
std::vector<WallpaperPicture> ComposeWallpaper(std::vector<Screen> screens, bool perMonitor,
                                               const DrawEachScreen& draw) {
    // A desktop that shows one picture on a monitor the list does not name shows the
    // first: the primary's.
    std::stable_partition(screens.begin(), screens.end(),
                          [](const Screen& screen) { return screen.Primary; });
    std::vector<Screen> own;
    for (const Screen& screen : screens) {
        own.push_back(screen.AtOrigin());
    }
    std::vector<WallpaperPicture> pictures;
    bool complete = true;
    std::size_t index = 0;
    if (perMonitor || screens.size() == 1) {
        draw(own, [&](QImage picture) {
            complete = complete && !picture.isNull();
            pictures.push_back({PlaceOf(screens[index++]), std::move(picture)});
        });
        return complete ? pictures : std::vector<WallpaperPicture>{};
    }
    std::vector<Screen> devices = screens;
    for (Screen& screen : devices) {
        screen.Bounds = screen.DeviceBounds();
    }
    const ScreenRect virtualScreen = VirtualScreen(devices);
    QImage all(virtualScreen.Width(), virtualScreen.Height(), QImage::Format_RGB32);
    if (all.isNull()) {
        return {};
    }
    all.fill(Qt::black);
    QPainter painter(&all);
    draw(own, [&](QImage picture) {
        complete = complete && !picture.isNull();
        const ScreenRect& place = devices[index++].Bounds;
        painter.drawImage(place.Left - virtualScreen.Left, place.Top - virtualScreen.Top, picture);
    });
    painter.end();
    if (complete) {
        pictures.push_back({{}, std::move(all)});
    }
    return pictures;
}

// A refresh of the Earth that keeps nothing is composed on the background by a
// renderer of its own, with copies of the options and the weather pictures; only
// gathering the screens happens here. While the Earth window shows the maps, and
// for the weather edition (whose background choice lives with the windows' pictures),
// the pictures are made here and handed over. Nothing without a home city in the
// weather edition.
WallpaperJob MakeWallpaperJob(Application& application, bool perMonitor) {
    if (IsExiting() || (Kind() == EnumAppKind::Weather && !application.Options.HomeCity)) {
        return {};
    }
    const std::vector<Screen> screens = GetScreens();
    const DateTime utcNow = DateTime::UtcNow();
    const auto drawnHere = [&](const auto& drawScreen) -> WallpaperJob {
        std::vector<WallpaperPicture> pictures = ComposeWallpaper(
            screens, perMonitor, [&](const std::vector<Screen>& own, const auto& take) {
                for (const Screen& screen : own) {
                    take(drawScreen(screen));
                }
            });
        return {[pictures = std::move(pictures)] { return pictures; }, {}};
    };
    if (Kind() == EnumAppKind::Weather) {
        return drawnHere([&](const Screen& screen) {
            return ComposeWeatherPicture(application.Options, application.Pictures, {screen},
                                         utcNow);
        });
    }
    if (application.FormEarth && application.FormEarth->isVisible()) {
        return drawnHere([&](const Screen& screen) {
            return application.Renderer.ComposeEarth(application.Options, screen, utcNow);
        });
    }
    struct Copies {
        COptions Options;
        WeatherPictures Pictures;
        std::unique_ptr<EarthRenderer> Renderer;
    };
    auto copies = std::make_shared<Copies>(Copies{application.Options, application.Pictures, {}});
    copies->Renderer = application.Renderer.ForOneRefresh(copies->Pictures);
    // What the copy took along is not kept twice.
    application.Renderer.ReleasePictures();
    return {[copies, screens, perMonitor, utcNow] {
                return ComposeWallpaper(
                    screens, perMonitor, [&](const std::vector<Screen>& own, const auto& take) {
                        copies->Renderer->ComposeEarthEach(copies->Options, own, utcNow, take);
                    });
            },
            [&application, copies] { application.Renderer.TakeFindings(*copies->Renderer); }};
}

void ShowAbout(QWidget* owner) {
    const UpdateCheck::SiteAddresses& addresses = UpdateCheck::Addresses();
    CFormAbout about(Text(AppDisplayName()), Text(UpdateCheck::ProgramVersionText()),
                     Text("support@" + UpdateCheck::SiteHostName()), Text(UpdateCheck::SiteRoot()),
                     owner);
    QObject::connect(&about, &CFormAbout::webPageRequested, &about, [&about, &addresses] {
        OpenProductPage(&about, addresses.ProductPage, addresses.ProductPage, AppDisplayName());
    });
    about.exec();
}

// A window's command that the hidden window carries out, as its tray entry does.
auto TrayCommand(Application& application, void (CFormHidden::*command)()) {
    return [&application, command] {
        if (application.FormHidden) {
            (application.FormHidden.get()->*command)();
        }
    };
}

std::unique_ptr<CFormEarth> MakeFormEarth(Application& application) {
    auto form = std::make_unique<CFormEarth>(
        Text(AppDisplayName()), [&application](QPainter& painter, const QRect& rect) {
            application.Renderer.DrawEarth(painter, application.Options, rect, rect,
                                           DateTime::UtcNow());
        });
    CFormEarth* window = form.get();
    QObject::connect(window, &CFormEarth::exitRequested, window,
                     [&application] { Exit(application); });
    QObject::connect(window, &CFormEarth::optionsRequested, window,
                     TrayCommand(application, &CFormHidden::OpenOptions));
    QObject::connect(window, &CFormEarth::localWeatherRequested, window,
                     TrayCommand(application, &CFormHidden::ShowLocalWeather));
    QObject::connect(window, &CFormEarth::webPageRequested, window, [window] {
        const std::string& page = UpdateCheck::Addresses().ProductPage;
        OpenProductPage(window, page, page, AppDisplayName());
    });
    QObject::connect(window, &CFormEarth::feedbackRequested, window,
                     [window] { UpdateCheck::OpenFeedback(window); });
    QObject::connect(window, &CFormEarth::aboutRequested, window, [window] { ShowAbout(window); });
    return form;
}

std::unique_ptr<CFormLocalWeather> MakeFormLocalWeather(Application& application) {
    auto form = std::make_unique<CFormLocalWeather>(application.Options, application.Settings,
                                                    application.Pictures);
    CFormLocalWeather* window = form.get();
    QObject::connect(window, &CFormLocalWeather::changeLocationRequested, window,
                     TrayCommand(application, &CFormHidden::ChangeLocation));
    QObject::connect(window, &CFormLocalWeather::optionsRequested, window,
                     TrayCommand(application, &CFormHidden::OpenOptions));
    QObject::connect(window, &CFormLocalWeather::earthRequested, window,
                     TrayCommand(application, &CFormHidden::ShowEarth));
    return form;
}

std::unique_ptr<CFormTimeZones> MakeFormTimeZones(Application& application) {
    auto form = std::make_unique<CFormTimeZones>(application.Options, application.Settings);
    CFormTimeZones* window = form.get();
    // Both lead to the options on the time-zones page.
    QObject::connect(window, &CFormTimeZones::changeTimeZonesRequested, window,
                     TrayCommand(application, &CFormHidden::ChangeTimeZones));
    QObject::connect(window, &CFormTimeZones::optionsRequested, window,
                     TrayCommand(application, &CFormHidden::ChangeTimeZones));
    QObject::connect(window, &CFormTimeZones::earthRequested, window,
                     TrayCommand(application, &CFormHidden::ShowEarth));
    return form;
}

// The screen saver's picture in one monitor's rectangle.
void DrawScreenSaverPicture(Application& application, QPainter& painter, const QRect& rect) {
    const DateTime utcNow = DateTime::UtcNow();
    if (Kind() == EnumAppKind::Weather) {
        DrawWeatherPanel(painter, application.Options, application.Pictures, rect, rect, utcNow);
    } else {
        application.Renderer.DrawEarth(painter, application.Options, rect, rect, utcNow);
    }
}

// The preview shows what the screen saver is about, not the moment: the chosen
// background and view, or the sky with a fair-weather icon.
void DrawPreviewPicture(Application& application, QPainter& painter, const QRect& rect) {
    if (Kind() != EnumAppKind::Weather) {
        application.Renderer.DrawBackgroundRegion(painter, application.Options, rect);
        return;
    }
    const WeatherPictures& pictures = application.Pictures;
    painter.drawImage(rect, pictures.Sky());
    const QImage& fair = pictures.LargeIcon(EnumWeatherCode::Fair, true, QImage());
    if (fair.isNull()) {
        return;
    }
    const QSize fitted = fair.size().scaled(rect.size(), Qt::KeepAspectRatio);
    painter.drawImage(
        QRect(rect.center() - QPoint(fitted.width() / 2, fitted.height() / 2), fitted), fair);
}

// What a screen-saver host hears when the window it named is not there.
std::string NoSuchWindow(std::intptr_t window) {
    char id[32];
    std::snprintf(id, sizeof id, "0x%llx", static_cast<unsigned long long>(window));
    return std::string("there is no window ") + id + " to draw into";
}

// The data and pictures every screen-saver start needs first.
void LoadForScreenSaver(Application& application) {
    application.Renderer.LoadStartupPictures();
    application.Pictures.Load();
    application.LoadData();
}

}  // namespace

bool OnStartup(Application& application) {
    switch (Mode()) {
        case EnumAppMode::Desktop:
            return OnStartupDesktop(application);
        case EnumAppMode::ScreenSaver:
            return OnStartupSS_SS(application);
        case EnumAppMode::Configure:
            return OnStartupSS_Configure(application);
        case EnumAppMode::Preview:
            return OnStartupSS_Preview(application);
    }
    return false;
}

bool OnStartupDesktop(Application& application) {
    application.Pool.Initialise();
    std::error_code error;
    SetFirstRun(!std::filesystem::exists(PathSettings(), error));

    application.Wallpaper = std::make_unique<WallpaperController>(
        std::make_unique<WallpaperOutput>(MakeWallpaperBackend(), PathWallpaperFolder(),
                                          PathLocalUserAppData()),
        [&application](bool perMonitor) { return MakeWallpaperJob(application, perMonitor); });
    application.Wallpaper->Start();
    Folders::EmptyFolder(PathWallpaperFolder());

    application.Renderer.LoadStartupPictures();
    application.Pictures.Load();
    application.LoadData();
    // The day's mask, which every refresh of the day draws its night layer from.
    if (Kind() == EnumAppKind::Earth) {
        application.Renderer.BuildNightMask(DateTime::UtcNow());
    }

    application.FormEarth = MakeFormEarth(application);
    application.FormLocalWeather = MakeFormLocalWeather(application);
    application.FormTimeZones = MakeFormTimeZones(application);
    application.FormOptions = MakeFormOptions(application);
    application.FormHidden = std::make_unique<CFormHidden>(application);
    if (InstanceChannel* channel = Instance()) {
        QObject::connect(channel, &InstanceChannel::messageReceived, application.FormHidden.get(),
                         &CFormHidden::OnInstanceMessage);
        channel->Listen();
    }
    UpdateDisplays(application);
    application.FormHidden->AddNotifyIcon();
    if (Kind() == EnumAppKind::TimeZones) {
        application.FormTimeZones->ShowWindow();
    }
    if (IsFirstRun()) {
        // Where xscreensaver runs, the edition becomes its screen saver; a Wayland
        // session has none, and its ~/.xscreensaver is left alone.
        if (!IsWaylandSession()) {
            MakeScreenSaver();
        }
        application.FormHidden->ShowBalloonTip();
    }
    if (const int request = PendingRequest(); request != 0) {
        application.FormHidden->OnInstanceMessage(request);
    }
    return true;
}

bool OnStartupSS_SS(Application& application) {
    application.Pool.Initialise();
    LoadForScreenSaver(application);
    if (Kind() != EnumAppKind::Weather) {
        const DateTime utcNow = DateTime::UtcNow();
        application.Renderer.BuildNightMask(utcNow);
        application.Renderer.UpdateNightLayer(utcNow);
    }
    try {
        // Full screen, each monitor gets its picture; xscreensaver gives each
        // monitor a window of its own.
        const bool perMonitor = Hack() != HackDrawing::IntoWindow;
        application.FormScreenSaver = std::make_unique<CFormScreenSaver>(
            [&application](QPainter& painter, const QRect& rect) {
                DrawScreenSaverPicture(application, painter, rect);
            },
            perMonitor, application.Options.ShowTimeZonesOnScreenSaver);
    } catch (...) {
        static constexpr const char* Location = "Program::OnStartupSS_SS (1720)";
        RaiseError(Location);
    }
    CFormScreenSaver& window = *application.FormScreenSaver;
    QObject::connect(&window, &CFormScreenSaver::closeRequested, &window,
                     [&application] { Exit(application); });
    QObject::connect(&window, &CFormScreenSaver::windowGone, &window,
                     [&application] { Exit(application); });
    try {
        application.FormHidden = std::make_unique<CFormHidden>(application);
    } catch (...) {
        static constexpr const char* Location = "Program::OnStartupSS_SS (1724)";
        RaiseError(Location);
    }
    switch (Hack()) {
        case HackDrawing::None:
            window.ShowFullScreen(true);
            break;
        case HackDrawing::OverRoot:
            window.ShowFullScreen(false);
            break;
        case HackDrawing::OwnWindow:
            window.setWindowTitle(Text(AppDisplayName()));
            window.resize(OwnHackWindowSize);
            window.show();
            break;
        case HackDrawing::IntoWindow:
            if (!window.ShowInside(static_cast<WId>(ParentWindow()))) {
                static constexpr const char* Location = "Program::OnStartupSS_SS (1)";
                RaiseError(Location, NoSuchWindow(ParentWindow()).c_str());
            }
            break;
    }
    return true;
}

bool OnStartupSS_Configure(Application& application) {
    application.Renderer.LoadStartupPictures();
    application.Pictures.Load();
    application.LoadData();
    try {
        application.FormOptions = MakeFormOptions(application);
    } catch (...) {
        static constexpr const char* Location = "Program::OnStartupSS_Configure (1741)";
        RaiseError(Location);
    }
    CFormOptions& dialog = *application.FormOptions;
    // The screen-saver settings that asked for the dialog keep it in front of them.
    if (ParentWindow() != 0) {
        dialog.winId();
        if (QWindow* owner = QWindow::fromWinId(static_cast<WId>(ParentWindow()))) {
            owner->QObject::setParent(&dialog);
            dialog.windowHandle()->setTransientParent(owner);
        }
    }
    dialog.Show(CFormOptions::General);
    return true;
}

bool OnStartupSS_Preview(Application& application) {
    if (ParentWindow() == 0) {
        static constexpr const char* Location = "Program::OnStartupSS_Preview (1751)";
        RaiseError(Location, "the preview needs the id of the window to draw into");
    }
    LoadForScreenSaver(application);
    application.FormScreenSaver = std::make_unique<CFormScreenSaver>(
        [&application](QPainter& painter, const QRect& rect) {
            DrawPreviewPicture(application, painter, rect);
        },
        false, false);
    CFormScreenSaver& window = *application.FormScreenSaver;
    // The box that shows the preview ends it by going away.
    QObject::connect(&window, &CFormScreenSaver::windowGone, &window,
                     [] { QCoreApplication::exit(0); });
    if (!window.ShowInside(static_cast<WId>(ParentWindow()))) {
        static constexpr const char* Location = "Program::OnStartupSS_Preview (1757)";
        RaiseError(Location, NoSuchWindow(ParentWindow()).c_str());
    }
    return true;
}

void Exit(Application& application) {
    if (IsExiting()) {
        QCoreApplication::exit(0);
        return;
    }
    SetExiting();
    if (Mode() == EnumAppMode::Desktop) {
        if (application.FormHidden) {
            application.FormHidden->RemoveNotifyIcon();
        }
        if (application.FormEarth) {
            application.FormEarth->hide();
        }
        if (application.FormLocalWeather) {
            application.FormLocalWeather->hide();
        }
        if (application.FormTimeZones) {
            application.FormTimeZones->hide();
        }
        if (application.FormOptions) {
            application.FormOptions->hide();
        }
        application.Settings.Save(PathSettings());
        application.Pool.Stop(100);
        if (application.Wallpaper) {
            application.Wallpaper->RestoreUserWallpaper();
        }
    } else if (Mode() == EnumAppMode::ScreenSaver) {
        if (application.FormScreenSaver) {
            application.FormScreenSaver->hide();
        }
        application.Pool.Stop(100);
    }
    QCoreApplication::exit(0);
}

void OnShutdown(Application& application) {
    // What the background still draws goes before what it draws with.
    if (!JoinBackgroundWork(1000)) {
        qCWarning(lcApp) << "background work was still running at exit";
    }
    if (Mode() == EnumAppMode::Desktop) {
        if (application.Wallpaper) {
            application.Wallpaper->RestoreUserWallpaper();
        }
        Folders::EmptyFolder(PathWallpaperFolder());
    }
    Folders::EmptyFolder(PathTempFolder());
    application.FormHidden.reset();
    application.FormScreenSaver.reset();
    application.FormLocalWeather.reset();
    application.FormTimeZones.reset();
    application.FormEarth.reset();
    application.FormOptions.reset();
    application.OptionsHost.reset();
    application.Wallpaper.reset();
}

void RefreshWindows(Application& application) {
    if (Mode() == EnumAppMode::Desktop) {
        if (application.FormEarth) {
            application.FormEarth->Refresh();
        }
        if (application.FormLocalWeather) {
            application.FormLocalWeather->Refresh();
        }
    }
    if (Mode() == EnumAppMode::ScreenSaver && application.FormScreenSaver) {
        application.FormScreenSaver->Refresh();
    }
}

void UpdateWallpaper(Application& application) {
    if (!IsExiting() && Mode() == EnumAppMode::Desktop && application.Wallpaper) {
        application.Wallpaper->Refresh(application.Options.UpdateWallpaper);
    }
}

bool MakeScreenSaver() {
    // The copy in the folder of the desktop's programs, else the one beside this program.
    std::string path;
    try {
        path = Util::GetSystemDirectoryW() + ScreenSaverFileName();
    } catch (...) {
        qCInfo(lcApp) << "no folder of the desktop's programs:" << CurrentExceptionText().c_str();
    }
    std::error_code error;
    if (path.empty() || !std::filesystem::exists(path, error)) {
        path = PathExeFolder() + ScreenSaverFileName();
    }
    return Util::SetScreenSaver(path);
}

void UpdateDisplays(Application& application) {
    Guarded("the wallpaper", [&application] { UpdateWallpaper(application); });
    Guarded("the windows", [&application] { RefreshWindows(application); });
}

void OnWeatherDone(Application& application) {
    if (IsExiting()) {
        return;
    }
    application.TakeWeatherResults();
    RefreshWindows(application);
    if (Kind() == EnumAppKind::Weather || application.Options.ShowWeather) {
        UpdateWallpaper(application);
    }
}

void OnNewCloudImage(Application& application, const QImage& layer) {
    if (IsExiting()) {
        return;
    }
    application.Renderer.ReplaceCloudLayer(layer);
    UpdateDisplays(application);
}

}  // namespace Program
