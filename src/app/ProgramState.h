#pragma once

#include <string>

#include "core/AppKind.h"
#include "core/Nullable.h"

// The process-wide values behind the Program operations; private to src/app.
namespace Program::Detail {

struct PathCache {
    std::string Installation;
    std::string UserAppData;
    std::string LocalUserAppData;
    std::string CloudsUrls, CityRecords, EarthFolder, EarthNightFolder, WeatherBackgroundsFolder,
        LargeWeatherIconsFolder, SmallWeatherIconsFolder, UIFolder, LocalWeatherBackground,
        CloudsFallback;
    std::string Options, Settings, Cities, TimeZones;
    std::string CloudsPng, WallpaperFolder, TempFolder;
};

struct ProcessValues {
    Nullable<EnumAppKind> Kind;
    Nullable<EnumAppMode> Mode;
    std::intptr_t ParentWindow = 0;
    std::string PathExe;
    std::string ExeFileName;
    std::string ScreenSaverFileName;
    std::string PathExeFolder;
    bool IsFirstRun = false;
    PathCache Paths;
};

ProcessValues& Values();

}  // namespace Program::Detail
