#pragma once

#include <memory>

#include "app/WorkPool.h"
#include "app/WorkResults.h"
#include "data/CityDatabase.h"
#include "data/Options.h"
#include "data/Settings.h"
#include "render/EarthRenderer.h"
#include "render/WeatherPictures.h"

class CFormEarth;
class CFormHidden;
class CFormLocalWeather;
class CFormOptions;
class CFormScreenSaver;
class CFormTimeZones;
class OptionsDialogHost;
class WallpaperController;

// Everything of the running edition that owns resources, in one object on the
// stack of main. Members are built in the order written and torn down in
// reverse: the pool joins its worker before the results receiver goes, the
// renderer goes before the pictures it draws. Main thread only, but for what
// the worker reaches through the pool and the receiver.
// Needs the edition, mode and paths decided by Program::Initialize; Program's
// operations act on the one they are handed.
class Application {
public:
    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application();

    // "Settings.txt", then the options with their cities and time zones.
    void LoadData();

    // The background jobs, handed to the pool; each returns at once and
    // queues nothing once the program is exiting.
    // The due cities' weather; false when none is due.
    bool QueueWeatherDownload(bool postPartialResults);
    // The home city's current conditions, whatever their age.
    void QueueHomeWeatherDownload();
    // A fresh cloud layer from the sources of "CloudsUrls.txt", while clouds
    // are shown (the weather edition: on the desktop only).
    void QueueCloudDownload();
    // The version file; only the desktop mode looks at what it says.
    void QueueUpdateCheck();

    // The weather the worker has handed back, applied to the options' cities.
    bool TakeWeatherResults();

    CSettings Settings;
    COptions Options;
    // The weather stations the city pickers list, read when first asked for.
    Data::CityDatabase CityRecords;
    WeatherPictures Pictures;
    EarthRenderer Renderer;
    WorkResults Results;
    WorkPool Pool;

    // The parts of the desktop and screen-saver modes, made by their start-ups
    // and let go by Program::OnShutdown in the order the windows are destroyed.
    std::unique_ptr<WallpaperController> Wallpaper;
    std::unique_ptr<CFormEarth> FormEarth;
    std::unique_ptr<CFormLocalWeather> FormLocalWeather;
    std::unique_ptr<CFormTimeZones> FormTimeZones;
    // The options dialog and what it asks of the program.
    std::unique_ptr<OptionsDialogHost> OptionsHost;
    std::unique_ptr<CFormOptions> FormOptions;
    // The screen saver's window, full screen or as the preview.
    std::unique_ptr<CFormScreenSaver> FormScreenSaver;
    std::unique_ptr<CFormHidden> FormHidden;
};
