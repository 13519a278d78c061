#include "data/FavouriteCities.h"

#include "core/AtomicFile.h"
#include "core/Exceptions.h"
#include "data/DataLog.h"
#include "data/UserFiles.h"

std::vector<City> DefaultFavouriteCities() {
    return {
        City(358900, "USA", "", "Miami International Airport", "Miami", 25.791F, -80.316F, "KMIA"),
        City(370800, "USA", "", "Kennedy International Airport", "New York", 40.639F, -73.762F,
             "KJFK"),
        City(113600, "France", "", "Orly", "Paris", 48.733F, 2.4F, "LFPO"),
        City(221800, "Spain", "", "Barajas", "Madrid", 40.45F, -3.55F, "LEMD"),
        City(152100, "Italy", "", "Fiumicino", "Roma", 41.8F, 12.233F, "LIRF"),
        City(163300, "Japan", "", "New Tokyo International Airport", "Tokyo", 35.767F, 140.383F,
             "RJAA"),
        City(213600, "Singapore", "", "Changi Airport", "Singapore", 1.367F, 103.983F, "WSSS"),
        City(216100, "South Africa", "", "", "Johannesburg", -26.133F, 28.233F, "FAJS"),
        City(227400, "Sweden", "", "Arlanda", "Stockholm", 59.65F, 17.95F, "ESSA"),
        City(79800, "Canada", "", "International Airport", "Vancouver", 49.183F, -123.167F, "CYVR"),
        City(12100, "Australia", "", "", "Sydney", -33.95F, 151.183F, "YSSY"),
        City(86600, "China", "", "", "Beijing", 39.933F, 116.283F, "ZBAA"),
        City(133400, "Hong Kong", "", "", "Hong Kong", 22.333F, 114.183F, "VHHH"),
        City(136800, "India", "", "Palam", "New Delhi", 28.567F, 77.117F, "VIDP"),
        City(23000, "Brazil", "", "", "Brasilia", -15.867F, -47.933F, "SBBR"),
        City(175100, "Mexico", "", "Licenci", "Mexico City", 19.433F, -99.1F, "MMMX"),
    };
}

City DefaultHomeCity() {
    return City(348400, "USA", "", "Los Angeles International Airport", "Los Angeles", 33.938F,
                -118.389F, "KLAX");
}

bool LoadCities(const std::string& path, std::vector<City>& favourites) {
    const std::optional<std::string> file = UserFiles::Read(path);
    if (!file) {
        return true;
    }
    const std::string& content = *file;
    std::vector<City> cities;
    std::size_t skipped = 0;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t end = content.find_first_of("\r\n", start);
        const std::size_t length = (end == std::string::npos ? content.size() : end) - start;
        if (length > 0) {
            try {
                cities.emplace_back(ParseCityLine(std::string_view(content).substr(start, length)));
            } catch (...) {
                qCInfo(lcData) << "a city line is skipped:" << CurrentExceptionText().c_str();
                ++skipped;  // a damaged line costs only itself
            }
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    favourites = std::move(cities);
    if (skipped > 0) {
        UserFiles::LogDamage(path, "lost " + std::to_string(skipped) + " damaged line(s)");
    }
    return skipped == 0;
}

void SaveCities(const std::string& path, const std::vector<City>& favourites,
                PreviousFile previous) {
    static constexpr const char* CreateLocation = "COptions::SaveCities (368)";
    static constexpr const char* LineLocation = "COptions::SaveCities (372)";
    static constexpr const char* LineEndLocation = "COptions::SaveCities (373)";
    AtomicFileWriter writer(path, CreateLocation, previous);
    for (const City& city : favourites) {
        writer.Write(SerializeCityLine(city), LineLocation);
        writer.Write("\r\n", LineEndLocation);
    }
    writer.Commit();
}

namespace {

City* FindWeatherTarget(int cityId, City* homeCity, std::vector<City>* favourites) {
    if (homeCity != nullptr && homeCity->Id == cityId) {
        return homeCity;
    }
    if (favourites != nullptr) {
        for (City& city : *favourites) {
            if (city.Id == cityId) {
                return &city;
            }
        }
    }
    return nullptr;
}

}  // namespace

bool MergeWeather(int cityId, const CCurrentWeather& current, const CForecast& forecast,
                  City* homeCity, std::vector<City>* favourites) {
    City* const target = FindWeatherTarget(cityId, homeCity, favourites);
    if (target == nullptr) {
        return false;
    }
    if (current.ReportDateTime > target->CurrentWeather.ReportDateTime) {
        target->CurrentWeather = current;
    }
    if (forecast.ReportDateTime > target->Forecast.ReportDateTime) {
        target->Forecast = forecast;
    }
    return true;
}

bool MergeWeather(const City& source, City* homeCity, std::vector<City>* favourites) {
    return MergeWeather(source.Id, source.CurrentWeather, source.Forecast, homeCity, favourites);
}
