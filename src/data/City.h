#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/CPtr.h"
#include "weather/CurrentWeather.h"
#include "weather/Forecast.h"

// One weather station of the city database. Id identifies a city everywhere:
// weather results find their city by it.
class CityRecord {
public:
    int Id = 0;
    std::string Country;
    // Carried by no file; empty in every record the program builds.
    std::string ShortCode;
    // The station's own name; may be empty.
    std::string Details;
    std::string CityName;
    // Degrees, north and east positive.
    float Latitude = 0.0F;
    float Longitude = 0.0F;
    // ICAO code of the METAR station; stored whole whatever its length.
    std::string Station;
};

// A place the program shows, with the weather last received for it.
class City : public CityRecord {
public:
    City() = default;
    explicit City(const CityRecord& record) : CityRecord(record) {}
    explicit City(CityRecord&& record) : CityRecord(std::move(record)) {}
    City(int id, std::string country, std::string shortCode, std::string details,
         std::string cityName, float latitude, float longitude, std::string station);

    CCurrentWeather CurrentWeather;
    CForecast Forecast;
};

template <>
struct CPtrLocations<City> {
    static constexpr const char* Arrow = "CPtr<class City>::operator -> (114)";
    static constexpr const char* Star = "CPtr<class City>::operator * (108)";
};

template <>
struct CPtrLocations<std::vector<City>> {
    static constexpr const char* Arrow =
        "CPtr<class std::vector<class City,class std::allocator<class City> > >::operator -> (114)";
    static constexpr const char* Star =
        "CPtr<class std::vector<class City,class std::allocator<class City> > >::operator * (108)";
};

// Seven ";"-separated fields: Id;Station;Country;CityName;Details;Latitude;Longitude.
// A line that ends early raises "Tokenize (58)", a bad number raises as the
// number parsers do, and fields after the seventh are ignored. ShortCode stays empty.
CityRecord ParseCityLine(std::string_view line);
// The same on a line that may be cut up in place: the text is overwritten.
CityRecord ParseCityLineInPlace(char* line);

// The line without a line end; coordinates with six decimals whatever the locale.
// A ";", carriage return, line feed or zero byte in a text is written as a space,
// so that the line always reads back.
std::string SerializeCityLine(const CityRecord& city);
