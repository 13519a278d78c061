#pragma once

#include <memory>
#include <string>

#include "app/Program.h"
#include "core/AppKind.h"
#include "core/Nullable.h"
#include "platform/InstanceChannel.h"

// The process-wide values behind the Program operations; private to src/app.
namespace Program::Detail {

struct PathCache {
    std::string Installation;
    std::string UserAppData;
    std::string LocalUserAppData;
    std::string CloudsUrls, CityRecords, EarthFolder, WeatherBackgroundsFolder, UIFolder;
    std::string Options, Settings, Cities, TimeZones;
    std::string CloudsPng, WallpaperFolder, TempFolder, UserWeatherBackgroundsFolder;
};

struct ProcessValues {
    Nullable<EnumAppKind> Kind;
    Nullable<EnumAppMode> Mode;
    std::intptr_t ParentWindow = 0;
    HackDrawing Hack = HackDrawing::None;
    std::string PathExe;
    std::string ExeFileName;
    std::string ScreenSaverFileName;
    std::string PathExeFolder;
    bool IsFirstRun = false;
    // Why Initialize ended the start, for the command line; empty when it ended as it should.
    std::string StartProblem;
    // A launcher's request this start carries out once it runs; 0 when none.
    int PendingRequest = 0;
    // The edition's lock, held by a desktop start, and the channel other starts reach it by.
    std::unique_ptr<InstanceChannel> Instance;
    PathCache Paths;
};

ProcessValues& Values();

}  // namespace Program::Detail
