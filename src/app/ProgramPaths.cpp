#include <filesystem>
#include <mutex>
#include <optional>

#include "app/AppLog.h"
#include "app/Program.h"
#include "app/ProgramState.h"
#include "core/Exceptions.h"
#include "core/Util.h"
#include "core/UtilFile.h"
#include "platform/Folders.h"
#include "platform/Registry.h"

namespace Program {
namespace {

using Detail::Values;

// The paths are filled on first use, which may come from the worker thread.
std::mutex pathLock;

// The installation data sits beside the executable in the build tree, and in
// ../share/skyvane/ when installed under a prefix.
std::optional<std::string> FindInstallationBesideExecutable() {
    const std::string& folder = Values().PathExeFolder;
    if (folder.empty()) {
        return std::nullopt;
    }
    if (UtilFile::IsRegularFile(folder + InstallationMarkerFileName)) {
        return folder;
    }
    const std::string shared =
        std::filesystem::path(folder + "../share/skyvane/").lexically_normal().string();
    if (UtilFile::IsRegularFile(shared + InstallationMarkerFileName)) {
        return shared;
    }
    return std::nullopt;
}

std::string ReadInstallationPath(RegistryRoot root) {
    try {
        return Util::RegGetKeyValue("Software\\" + AppFolderName(), root, "InstallationPath");
    } catch (...) {
        qCInfo(lcApp) << "no installation path in the registry:" << CurrentExceptionText().c_str();
        return {};
    }
}

const std::string& Cached(std::string& cache, const std::string& root, const char* name) {
    const std::lock_guard lock(pathLock);
    if (cache.empty()) {
        cache = root + name;
    }
    return cache;
}

const std::string& CachedFolder(std::string& cache, const std::string& root, const char* name) {
    const std::lock_guard lock(pathLock);
    if (cache.empty()) {
        const std::string folder = root + name;
        Util::EnsureDirectoryExists(folder);
        cache = folder;
    }
    return cache;
}

// A user root: the system's folder plus the edition's folder name, created when missing.
const std::string& UserFolder(std::string& cache, std::optional<std::string> (*systemFolder)(),
                              const char* location) {
    const std::lock_guard lock(pathLock);
    if (cache.empty()) {
        const std::optional<std::string> root = systemFolder();
        if (!root.has_value()) {
            RaiseError(location);
        }
        const std::string folder = Util::AppendBackslash(*root) + AppFolderName() + "/";
        Util::EnsureDirectoryExists(folder);
        cache = folder;
    }
    return cache;
}

}  // namespace

const std::string& PathInstallation() {
    const std::lock_guard lock(pathLock);
    std::string& cache = Values().Paths.Installation;
    if (!cache.empty()) {
        return cache;
    }
    if (Mode() == EnumAppMode::Desktop) {
        cache = FindInstallationBesideExecutable().value_or(Values().PathExeFolder);
        return cache;
    }
    // A screen-saver copy may run away from its data: the registry says where it is.
    std::string path = ReadInstallationPath(RegistryRoot::CurrentUser);
    if (path.empty()) {
        path = ReadInstallationPath(RegistryRoot::LocalMachine);
    }
    if (path.empty()) {
        path = FindInstallationBesideExecutable().value_or("");
    }
    if (path.empty()) {
        static constexpr const char* Location = "Program::PathInstallation (1283)";
        RaiseError(Location);
    }
    cache = Util::AppendBackslash(path);
    return cache;
}

const std::string& PathUserAppData() {
    static constexpr const char* Location = "Program::PathUserAppData (1312)";
    return UserFolder(Values().Paths.UserAppData, Folders::RoamingAppData, Location);
}

const std::string& PathLocalUserAppData() {
    static constexpr const char* Location = "Program::PathLocalUserAppData (1296)";
    return UserFolder(Values().Paths.LocalUserAppData, Folders::LocalAppData, Location);
}

const std::string& PathCloudsUrls() {
    return Cached(Values().Paths.CloudsUrls, PathInstallation(), "CloudsUrls.txt");
}

const std::string& PathCityRecords() {
    return Cached(Values().Paths.CityRecords, PathInstallation(), "CityRecords.txt");
}

const std::string& PathEarthFolder() {
    return Cached(Values().Paths.EarthFolder, PathInstallation(), "Earth/");
}

const std::string& PathWeatherBackgroundsFolder() {
    return Cached(Values().Paths.WeatherBackgroundsFolder, PathInstallation(),
                  "Weather Backgrounds/");
}

const std::string& PathUIFolder() {
    return Cached(Values().Paths.UIFolder, PathInstallation(), "UI/");
}

const std::string& PathOptions() {
    return Cached(Values().Paths.Options, PathUserAppData(), "Options.txt");
}

const std::string& PathSettings() {
    return Cached(Values().Paths.Settings, PathUserAppData(), "Settings.txt");
}

const std::string& PathCities() {
    return Cached(Values().Paths.Cities, PathUserAppData(), "Cities.txt");
}

const std::string& PathTimeZones() {
    return Cached(Values().Paths.TimeZones, PathUserAppData(), "TimeZones.txt");
}

const std::string& PathCloudsPng() {
    return Cached(Values().Paths.CloudsPng, PathLocalUserAppData(), "Clouds.png");
}

const std::string& PathWallpaperFolder() {
    return CachedFolder(Values().Paths.WallpaperFolder, PathLocalUserAppData(), "Wallpaper/");
}

const std::string& PathUserWeatherBackgroundsFolder() {
    return Cached(Values().Paths.UserWeatherBackgroundsFolder, PathLocalUserAppData(),
                  "Weather Backgrounds/");
}

const std::string& PathTempFolder() {
    return CachedFolder(Values().Paths.TempFolder, PathLocalUserAppData(), "Temp/");
}

}  // namespace Program
