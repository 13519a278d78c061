#pragma once

#include <string>
#include <vector>

#include "core/AppKind.h"
#include "core/CPtr.h"
#include "core/Color.h"
#include "core/FontValue.h"
#include "data/City.h"
#include "data/LazyTimeZoneItems.h"
#include "data/Regions.h"
#include "data/TimeZoneItem.h"

// The Earth day picture: a file of the installation's "Earth/" folder. The
// renderer loads the picture on first use and keeps it by path.
struct BackgroundRecord {
    std::string FileName;
    std::string Path;

    bool operator==(const BackgroundRecord&) const = default;
};

// Where the options live: the three user files and the installation's "Earth/" folder.
struct OptionsFiles {
    std::string Options;
    std::string TimeZones;
    std::string Cities;
    std::string EarthFolder;  // ends in "/"
};

// The user's options. Every value has an edition default, so a missing or
// damaged file never stops the program. Copies are deep: the options dialog
// edits a copy and puts it in place.
class COptions {
public:
    static constexpr const char* SaveFailedText = "Could not save options.";

    COptions(EnumAppKind kind, OptionsFiles files);
    COptions(const COptions& other);
    COptions& operator=(const COptions& other);
    COptions(COptions&&) noexcept = default;
    COptions& operator=(COptions&&) noexcept = default;
    ~COptions() = default;

    // The options, then the time zones, then the cities; each stops at its own failure.
    // A file that exists but cannot be read, or loses a value or a line to damage,
    // is remembered (copies too) until the next save of that file, which first
    // keeps it whole as "<name>.bad".
    void Load();
    // The three files in order; the first failure skips the rest and shows
    // SaveFailedText once under the caption (the edition's display name).
    void Save(const std::string& caption);

    void LoadOptions();
    void SaveOptions();
    void SaveTimeZones();
    void SaveCities();

    const OptionsFiles& Files() const { return files_; }

    bool UpdateWallpaper;
    bool ShowWeather;
    bool UseMetricSystem = true;
    CPtr<City> HomeCity;
    CPtr<std::vector<City>> Cities;
    LazyTimeZoneItems TimeZones;
    RegionRecord Region;
    BackgroundRecord Background;
    bool ShowClouds = true;
    bool DispalyCityName = true;
    bool DisplayCityTemprature = true;
    int WeatherIconScale = 70;
    FontValue FontCityName{"Arial", 6.0, 0};
    FontValue FontCityTemprature{"Arial", 8.0, FontValue::Bold};
    Color ColorCityName{0xFFFFFFFF};
    Color ColorCityTemprature{0xFFFF0000};
    bool ShowTimeZonesOnWallpaper;
    bool ShowTimeZonesOnScreenSaver;
    bool TzShowDate = false;
    bool TzShowDayOfWeek = true;
    int TzHourFormat = 1;
    FontValue FontTzMap{"Times New Roman", 9.0, 0};
    Color ColorTzMap{0xFFFF0000};

private:
    OptionsFiles files_;
    bool optionsDamaged_ = false;
    bool timeZonesDamaged_ = false;
    bool citiesDamaged_ = false;
};

template <>
struct CPtrLocations<COptions> {
    static constexpr const char* Arrow = "CPtr<class COptions>::operator -> (114)";
    static constexpr const char* Star = "CPtr<class COptions>::operator * (108)";
};
