#include "data/Options.h"

#include <sys/stat.h>

#include <optional>
#include <string>
#include <utility>

#include "core/AtomicFile.h"
#include "core/ErrorDisplay.h"
#include "core/Util.h"
#include "core/UtilFile.h"
#include "core/UtilProperty.h"
#include "data/ChosenTimeZones.h"
#include "data/FavouriteCities.h"

namespace {

constexpr const char* DefaultBackground = "Blue Marble.jpg";

bool IsRegularFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// One key on its own: absent or damaged, the field keeps its value and reading goes on.
template <class Apply>
void ReadKey(const std::string& content, const char* key, Apply apply) {
    try {
        const std::string value = UtilProperty::ReadPropertyValueAsString(content, key);
        // The parsers read C strings: a zero byte would hide the damage after it.
        if (value.find('\0') == std::string::npos) {
            apply(value.c_str());
        }
    } catch (...) {
    }
}

void ReadBool(const std::string& content, const char* key, bool& field) {
    ReadKey(content, key, [&](const char* value) { Util::Parse(value, field); });
}

void ReadColor(const std::string& content, const char* key, Color& field) {
    ReadKey(content, key, [&](const char* value) { Util::Parse(value, field); });
}

void ReadFont(const std::string& content, const char* key, FontValue& field) {
    ReadKey(content, key, [&](const char* value) { field = Util::ParseFont(value); });
}

}  // namespace

COptions::COptions(EnumAppKind kind, OptionsFiles files)
    : UpdateWallpaper(kind != EnumAppKind::TimeZones),
      ShowWeather(kind != EnumAppKind::TimeZones),
      HomeCity(new City(DefaultHomeCity())),
      Cities(new std::vector<City>(DefaultFavouriteCities())),
      TimeZones(LazyTimeZoneItems::Defaults()),
      Region(Regions::Default()),
      Background{DefaultBackground, files.EarthFolder + DefaultBackground},
      ShowTimeZonesOnWallpaper(kind == EnumAppKind::TimeZones),
      ShowTimeZonesOnScreenSaver(kind != EnumAppKind::Weather),
      files_(std::move(files)) {}

COptions::COptions(const COptions& other)
    : UpdateWallpaper(other.UpdateWallpaper),
      ShowWeather(other.ShowWeather),
      UseMetricSystem(other.UseMetricSystem),
      HomeCity(other.HomeCity ? new City(*other.HomeCity) : nullptr),
      Cities(new std::vector<City>(*other.Cities)),
      TimeZones(other.TimeZones.Copy()),
      Region(other.Region),
      Background(other.Background),
      ShowClouds(other.ShowClouds),
      DispalyCityName(other.DispalyCityName),
      DisplayCityTemprature(other.DisplayCityTemprature),
      WeatherIconScale(other.WeatherIconScale),
      FontCityName(other.FontCityName),
      FontCityTemprature(other.FontCityTemprature),
      ColorCityName(other.ColorCityName),
      ColorCityTemprature(other.ColorCityTemprature),
      ShowTimeZonesOnWallpaper(other.ShowTimeZonesOnWallpaper),
      ShowTimeZonesOnScreenSaver(other.ShowTimeZonesOnScreenSaver),
      TzShowDate(other.TzShowDate),
      TzShowDayOfWeek(other.TzShowDayOfWeek),
      TzHourFormat(other.TzHourFormat),
      FontTzMap(other.FontTzMap),
      ColorTzMap(other.ColorTzMap),
      files_(other.files_) {}

COptions& COptions::operator=(const COptions& other) {
    if (this != &other) {
        *this = COptions(other);
    }
    return *this;
}

void COptions::Load() {
    try {
        LoadOptions();
    } catch (...) {
    }
    try {
        if (!TimeZones) {
            TimeZones = new std::vector<TimeZoneItem>();
        }
        // The lines are read now and made into items when the clocks are first needed.
        if (std::optional<std::string> content = ReadTimeZonesFile(files_.TimeZones)) {
            TimeZones.ReplaceWithFileContent(std::move(*content));
        }
    } catch (...) {
    }
    try {
        if (!Cities) {
            Cities = new std::vector<City>();
        }
        LoadCities(files_.Cities, *Cities);
    } catch (...) {
    }
}

void COptions::LoadOptions() {
    if (!IsRegularFile(files_.Options)) {
        return;
    }
    const std::string content = UtilFile::ReadFileAscii(files_.Options);

    std::string homeCity;
    try {
        homeCity = UtilProperty::ReadPropertyValueAsString(content, "HomeCity");
    } catch (...) {
        homeCity.clear();  // an absent key, like an empty value, means no home city
    }
    if (homeCity.empty()) {
        HomeCity = nullptr;
    } else {
        try {
            HomeCity = new City(ParseCityLine(homeCity));
        } catch (...) {
        }
    }

    ReadBool(content, "UpdateWallpaper", UpdateWallpaper);
    ReadBool(content, "ShowWeather", ShowWeather);
    ReadBool(content, "UseMetricSystem", UseMetricSystem);
    ReadKey(content, "Region", [&](const char* value) {
        if (const auto region = Regions::Find(value)) {
            Region = *region;
        }
    });
    ReadKey(content, "Background", [&](const char* value) {
        // A file name of the "Earth/" folder: a value that names a path elsewhere is refused.
        const std::string name = value;
        const std::string path = files_.EarthFolder + name;
        if (!name.empty() && name.find('/') == std::string::npos && IsRegularFile(path)) {
            Background = BackgroundRecord{name, path};
        }
    });
    ReadBool(content, "ShowClouds", ShowClouds);
    ReadBool(content, "DispalyCityName", DispalyCityName);
    ReadBool(content, "DisplayCityTemprature", DisplayCityTemprature);
    ReadKey(content, "WeatherIconScale",
            [&](const char* value) { WeatherIconScale = Util::ParseInt(value); });
    ReadFont(content, "FontCityName", FontCityName);
    ReadColor(content, "ColorCityName", ColorCityName);
    ReadFont(content, "FontCityTemprature", FontCityTemprature);
    ReadColor(content, "ColorCityTemprature", ColorCityTemprature);
    ReadBool(content, "ShowTimeZonesOnWallpaper", ShowTimeZonesOnWallpaper);
    ReadBool(content, "ShowTimeZonesOnScreenSaver", ShowTimeZonesOnScreenSaver);
    ReadBool(content, "TzShowDate", TzShowDate);
    ReadBool(content, "TzShowDayOfWeek", TzShowDayOfWeek);
    ReadKey(content, "TzHourFormat", [&](const char* value) {
        const int format = Util::ParseInt(value);
        if (format == 1 || format == 2) {
            TzHourFormat = format;
        }
    });
    ReadFont(content, "FontTzMap", FontTzMap);
    ReadColor(content, "ColorTzMap", ColorTzMap);
}

void COptions::Save(const std::string& caption) const {
    try {
        SaveOptions();
        SaveTimeZones();
        SaveCities();
    } catch (...) {
        ShowError(SaveFailedText, caption);
    }
}

void COptions::SaveOptions() const {
    static constexpr const char* CreateLocation = "COptions::SaveOptions (384)";
    AtomicFileWriter file(files_.Options, CreateLocation);
    const int fd = file.Descriptor();
    if (HomeCity) {
        Util::WriteToFileAscii(fd, "HomeCity", SerializeCityLine(*HomeCity));
    }
    Util::WriteToFileAscii(fd, "UpdateWallpaper", UpdateWallpaper);
    Util::WriteToFileAscii(fd, "ShowWeather", ShowWeather);
    Util::WriteToFileAscii(fd, "UseMetricSystem", UseMetricSystem);
    Util::WriteToFileAscii(fd, "Region", Region.Name);
    Util::WriteToFileAscii(fd, "Background", Background.FileName);
    Util::WriteToFileAscii(fd, "ShowClouds", ShowClouds);
    Util::WriteToFileAscii(fd, "DispalyCityName", DispalyCityName);
    Util::WriteToFileAscii(fd, "DisplayCityTemprature", DisplayCityTemprature);
    Util::WriteToFileAscii(fd, "WeatherIconScale", WeatherIconScale);
    Util::WriteToFileAscii(fd, "FontCityName", FontCityName);
    Util::WriteToFileAscii(fd, "ColorCityName", ColorCityName);
    Util::WriteToFileAscii(fd, "FontCityTemprature", FontCityTemprature);
    Util::WriteToFileAscii(fd, "ColorCityTemprature", ColorCityTemprature);
    Util::WriteToFileAscii(fd, "ShowTimeZonesOnWallpaper", ShowTimeZonesOnWallpaper);
    Util::WriteToFileAscii(fd, "ShowTimeZonesOnScreenSaver", ShowTimeZonesOnScreenSaver);
    Util::WriteToFileAscii(fd, "TzShowDate", TzShowDate);
    Util::WriteToFileAscii(fd, "TzShowDayOfWeek", TzShowDayOfWeek);
    Util::WriteToFileAscii(fd, "TzHourFormat", TzHourFormat);
    Util::WriteToFileAscii(fd, "FontTzMap", FontTzMap);
    Util::WriteToFileAscii(fd, "ColorTzMap", ColorTzMap);
    file.Commit();
}

void COptions::SaveTimeZones() const {
    if (TimeZones) {
        ::SaveTimeZones(files_.TimeZones, *TimeZones);
    }
}

void COptions::SaveCities() const {
    if (Cities) {
        ::SaveCities(files_.Cities, *Cities);
    }
}
