#include "app/Application.h"

#include <QImage>
#include <algorithm>
#include <limits>
#include <utility>

#include "app/FormHidden.h"
#include "app/Program.h"
#include "app/UpdateCheck.h"
#include "app/WallpaperController.h"
#include "app/WeatherQueue.h"
#include "core/Exceptions.h"
#include "net/DownloadHttpWork.h"
#include "render/CloudLayer.h"
#include "render/Screen.h"
#include "ui/FormEarth.h"
#include "ui/FormLocalWeather.h"
#include "ui/FormOptions.h"
#include "ui/FormScreenSaver.h"
#include "ui/FormTimeZones.h"
#include "weather/WeatherServiceNoaa.h"

Application::Application()
    : Options(Program::Kind(), OptionsFiles{Program::PathOptions(), Program::PathTimeZones(),
                                            Program::PathCities(), Program::PathEarthFolder()}),
      CityRecords(Program::PathCityRecords()),
      Pictures(Program::PathInstallation(), Program::PathUserWeatherBackgroundsFolder()),
      Renderer({Program::PathInstallation(), Program::PathLocalUserAppData()}, Program::Mode(),
               Pictures) {}

Application::~Application() = default;

void Application::LoadData() {
    Settings.Load(Program::PathSettings());
    Options.Load();
}

bool Application::QueueWeatherDownload(bool postPartialResults) {
    if (Program::IsExiting()) {
        return false;
    }
    auto work =
        MakeWeatherDownloadWork(Options, Program::Kind(), Program::Mode(), DateTime::UtcNow(),
                                postPartialResults, Results, MakeWeatherServiceNoaa);
    return work && Pool.Queue(std::move(work));
}

void Application::QueueHomeWeatherDownload() {
    if (Program::IsExiting()) {
        return;
    }
    if (auto work = MakeHomeWeatherDownloadWork(Options, Results, MakeWeatherServiceNoaa)) {
        Pool.Queue(std::move(work));
    }
}

void Application::QueueCloudDownload() {
    // The weather edition shows clouds only on the desktop.
    if (Program::IsExiting() || !Options.ShowClouds ||
        (Program::Kind() == EnumAppKind::Weather && Program::Mode() != EnumAppMode::Desktop)) {
        return;
    }
    // The whole world at the scale the widest screen shows the chosen view.
    int widest = 0;
    for (const Screen& screen : GetScreens()) {
        widest = std::max(widest, screen.DeviceBounds().Width());
    }
    const int viewDegrees = std::max(1, Options.Region.East - Options.Region.West);
    Pool.Queue(std::make_unique<DownloadCloudsWork>(
        CloudDownloadFiles{Program::PathCloudsUrls(), Program::PathTempFolder() + "Clouds.jpg",
                           Program::PathCloudsPng()},
        [this](QImage layer) { Results.PostCloudImage(std::move(layer)); },
        static_cast<int>(
            std::min<long long>(std::numeric_limits<int>::max(), widest * 360LL / viewDegrees))));
}

void Application::QueueUpdateCheck() {
    if (Program::IsExiting()) {
        return;
    }
    auto work = std::make_unique<DownloadHttpWork>();
    work->Url = UpdateCheck::Addresses().VersionFile;
    work->CheckVersion = Program::Mode() == EnumAppMode::Desktop;
    work->VersionCheck = [this](const std::string& text) {
        UpdateCheck::CheckVersion(text, Results);
    };
    Pool.Queue(std::move(work));
}

bool Application::TakeWeatherResults() {
    return Results.TakeWeatherResults(Options);
}
