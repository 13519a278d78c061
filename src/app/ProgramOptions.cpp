#include "app/ProgramOptions.h"

#include <QCoreApplication>
#include <QString>
#include <filesystem>
#include <utility>

#include "app/AppLog.h"
#include "app/Application.h"
#include "app/Guarded.h"
#include "app/Program.h"
#include "app/UpdateCheck.h"
#include "data/FavouriteCities.h"
#include "platform/Autostart.h"
#include "platform/FileUri.h"
#include "ui/FormLocalWeather.h"
#include "ui/FormTimeZones.h"
#include "ui/Links.h"

namespace {

// The user's folder of weather backgrounds gets the installation's condition
// folders, with their "Day" and "Night", so that it is clear where pictures go.
void MirrorFolders(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    std::filesystem::create_directories(to, error);
    for (const auto& entry : std::filesystem::directory_iterator(from, error)) {
        if (entry.is_directory(error) && !entry.is_symlink(error)) {
            MirrorFolders(entry.path(), to / entry.path().filename());
        }
    }
}

// Weather received for the live cities, given to the same cities of the new options.
void CarryWeatherOver(const COptions& from, COptions& to) {
    City* home = to.HomeCity.Get();
    std::vector<City>* favourites = to.Cities.Get();
    if (from.HomeCity) {
        MergeWeather(*from.HomeCity, home, favourites);
    }
    if (from.Cities) {
        for (const City& city : *from.Cities) {
            MergeWeather(city, home, favourites);
        }
    }
}

}  // namespace

const COptions* ProgramOptionsHost::LiveOptions() const {
    return &application_.Options;
}

bool ProgramOptionsHost::RunsAtLogin() const {
    const std::optional<std::string> started = StartupItemPath(StartupItemName);
    return started && QString::fromStdString(*started).compare(
                          QString::fromStdString(Program::PathExe()), Qt::CaseInsensitive) == 0;
}

void ProgramOptionsHost::Commit(COptions workingCopy, bool runAtLogin) {
    if (Program::Mode() == EnumAppMode::Desktop) {
        Program::ApplyOptions(application_, std::move(workingCopy), runAtLogin);
        return;
    }
    // A configuration run only saves; the program that shows them reads them at its start.
    workingCopy.Save(Program::AppDisplayName());
    application_.Options = std::move(workingCopy);
}

void ProgramOptionsHost::EndConfiguration() {
    QCoreApplication::exit(0);
}

bool ProgramOptionsHost::MakeScreenSaver() {
    return Program::MakeScreenSaver();
}

void ProgramOptionsHost::OpenWeatherBackgrounds(QWidget* owner) {
    const std::string& folder = Program::PathUserWeatherBackgroundsFolder();
    MirrorFolders(Program::PathWeatherBackgroundsFolder(), folder);
    Util::OpenUrl(owner, FileUri::FromPath(folder));
}

void ProgramOptionsHost::OpenWebSite(QWidget* owner) {
    UpdateCheck::OpenWebSite(owner);
}

void ProgramOptionsHost::OpenFeedback(QWidget* owner) {
    UpdateCheck::OpenFeedback(owner);
}

namespace Program {

void ApplyOptions(Application& application, COptions options, bool runAtLogin) {
    if (runAtLogin) {
        AddStartupItem(ProgramOptionsHost::StartupItemName, PathExe());
    } else if (StartupItemPath(ProgramOptionsHost::StartupItemName)) {
        Util::RemoveStartupItem(ProgramOptionsHost::StartupItemName);
    }
    // Weather that arrived while the dialog was open belongs to the new cities too.
    application.TakeWeatherResults();
    CarryWeatherOver(application.Options, options);
    const bool cloudsSwitchedOn = options.ShowClouds && !application.Options.ShowClouds;
    application.Options = std::move(options);
    application.Options.Save(AppDisplayName());

    UpdateDisplays(application);
    Guarded("the clocks", [&application] {
        if (application.FormTimeZones) {
            application.FormTimeZones->Refresh();
        }
    });
    application.QueueWeatherDownload(false);
    if (cloudsSwitchedOn) {
        application.QueueCloudDownload();
    }
}

std::unique_ptr<CFormOptions> MakeFormOptions(Application& application) {
    application.OptionsHost = std::make_unique<ProgramOptionsHost>(application);
    const OptionsDialogSetup setup{Kind(),
                                   Mode() == EnumAppMode::Configure,
                                   QString::fromStdString(AppDisplayName()),
                                   QString::fromStdString(UpdateCheck::ProgramVersionText()),
                                   PathEarthFolder(),
                                   application.Renderer,
                                   application.Pictures,
                                   application.CityRecords};
    return std::make_unique<CFormOptions>(*application.OptionsHost, setup);
}

}  // namespace Program
