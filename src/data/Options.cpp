#include "data/Options.h"

#include <optional>
#include <string>
#include <utility>

#include "core/AtomicFile.h"
#include "core/ErrorDisplay.h"
#include "core/Exceptions.h"
#include "core/Util.h"
#include "core/UtilFile.h"
#include "core/UtilProperty.h"
#include "data/ChosenTimeZones.h"
#include "data/DataLog.h"
#include "data/FavouriteCities.h"
#include "data/UserFiles.h"

namespace {

constexpr const char* DefaultBackground = "Blue Marble.jpg";

using UserFiles::KeyReader;
using UserFiles::ParsedInto;

// A size outside these points draws rows of empty boxes over the map or hides
// the clocks; it is as damaged as a size that is no number.
constexpr double SmallestFontSize = 1.0;
constexpr double LargestFontSize = 500.0;

void ReadFont(KeyReader& keys, const char* key, FontValue& field) {
    keys.Read(key, [&](const char* value) {
        const FontValue font = Util::ParseFont(value);
        if (font.Size < SmallestFontSize || font.Size > LargestFontSize) {
            return false;
        }
        field = font;
        return true;
    });
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
      files_(other.files_),
      optionsDamaged_(other.optionsDamaged_),
      timeZonesDamaged_(other.timeZonesDamaged_),
      citiesDamaged_(other.citiesDamaged_) {}

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
        // Its reader has said why.
    }
    try {
        if (!TimeZones) {
            TimeZones = new std::vector<TimeZoneItem>();
        }
        // The lines are read now and made into items when the clocks are first needed.
        if (std::optional<std::string> content = UserFiles::Read(files_.TimeZones)) {
            TimeZones.ReplaceWithFileContent(std::move(*content), files_.TimeZones);
        }
        timeZonesDamaged_ = false;
    } catch (...) {
        // Its reader has said why.
        timeZonesDamaged_ = true;
    }
    try {
        if (!Cities) {
            Cities = new std::vector<City>();
        }
        citiesDamaged_ = !LoadCities(files_.Cities, *Cities);
    } catch (...) {
        // Its reader has said why.
        citiesDamaged_ = true;
    }
}

void COptions::LoadOptions() {
    std::optional<std::string> file;
    try {
        file = UserFiles::Read(files_.Options);
    } catch (...) {
        optionsDamaged_ = true;
        throw;
    }
    optionsDamaged_ = false;
    if (!file) {
        return;
    }
    const std::string& content = *file;

    // An absent key, like an empty value, means no home city.
    const std::optional<std::string> homeCity =
        UtilProperty::FindPropertyValue(content, "HomeCity");
    bool homeCityDamaged = false;
    if (!homeCity || homeCity->empty()) {
        HomeCity = nullptr;
    } else {
        try {
            HomeCity = new City(ParseCityLine(*homeCity));
        } catch (...) {
            qCWarning(lcData) << "the home city is damaged:" << CurrentExceptionText().c_str();
            homeCityDamaged = true;
        }
    }

    KeyReader keys(content);
    keys.Read("UpdateWallpaper", ParsedInto(UpdateWallpaper));
    keys.Read("ShowWeather", ParsedInto(ShowWeather));
    keys.Read("UseMetricSystem", ParsedInto(UseMetricSystem));
    keys.Read("Region", [&](const char* value) {
        const auto region = Regions::Find(value);
        if (region) {
            Region = *region;
        }
        return region.has_value();
    });
    keys.Read("Background", [&](const char* value) {
        // A file name of the "Earth/" folder: a value that names a path elsewhere is refused.
        // The name in use is taken as it is, so a missing default picture is no damage.
        const std::string name = value;
        const std::string path = files_.EarthFolder + name;
        if (name == Background.FileName) {
            return true;
        }
        if (name.empty() || name.find('/') != std::string::npos || !UtilFile::IsRegularFile(path)) {
            return false;
        }
        Background = BackgroundRecord{name, path};
        return true;
    });
    keys.Read("ShowClouds", ParsedInto(ShowClouds));
    keys.Read("DispalyCityName", ParsedInto(DispalyCityName));
    keys.Read("DisplayCityTemprature", ParsedInto(DisplayCityTemprature));
    keys.Read("WeatherIconScale", [&](const char* value) {
        WeatherIconScale = Util::ParseInt(value);
        return true;
    });
    ReadFont(keys, "FontCityName", FontCityName);
    keys.Read("ColorCityName", ParsedInto(ColorCityName));
    ReadFont(keys, "FontCityTemprature", FontCityTemprature);
    keys.Read("ColorCityTemprature", ParsedInto(ColorCityTemprature));
    keys.Read("ShowTimeZonesOnWallpaper", ParsedInto(ShowTimeZonesOnWallpaper));
    keys.Read("ShowTimeZonesOnScreenSaver", ParsedInto(ShowTimeZonesOnScreenSaver));
    keys.Read("TzShowDate", ParsedInto(TzShowDate));
    keys.Read("TzShowDayOfWeek", ParsedInto(TzShowDayOfWeek));
    keys.Read("TzHourFormat", [&](const char* value) {
        const int format = Util::ParseInt(value);
        if (format != 1 && format != 2) {
            return false;
        }
        TzHourFormat = format;
        return true;
    });
    ReadFont(keys, "FontTzMap", FontTzMap);
    keys.Read("ColorTzMap", ParsedInto(ColorTzMap));

    optionsDamaged_ = homeCityDamaged || keys.Damaged();
    if (optionsDamaged_) {
        UserFiles::LogDamage(files_.Options, "holds values that do not parse");
    }
}

void COptions::Save(const std::string& caption) {
    try {
        SaveOptions();
        SaveTimeZones();
        SaveCities();
    } catch (...) {
        qCWarning(lcData).noquote()
            << "the options could not be saved:" << QString::fromStdString(CurrentExceptionText());
        ShowError(SaveFailedText, caption);
    }
}

void COptions::SaveOptions() {
    static constexpr const char* CreateLocation = "COptions::SaveOptions (384)";
    AtomicFileWriter file(files_.Options, CreateLocation,
                          UserFiles::PreviousFileAfter(optionsDamaged_));
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
    optionsDamaged_ = false;
}

void COptions::SaveTimeZones() {
    if (TimeZones) {
        // Made from the file now, if they were not yet, so what was lost is known.
        const bool damaged = TimeZones.LostLines() || timeZonesDamaged_;
        ::SaveTimeZones(files_.TimeZones, *TimeZones, UserFiles::PreviousFileAfter(damaged));
        timeZonesDamaged_ = false;
        TimeZones.ForgetLostLines();
    }
}

void COptions::SaveCities() {
    if (Cities) {
        ::SaveCities(files_.Cities, *Cities, UserFiles::PreviousFileAfter(citiesDamaged_));
        citiesDamaged_ = false;
    }
}
