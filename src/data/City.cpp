#include "data/City.h"

#include <charconv>
#include <cmath>

#include "core/Exceptions.h"
#include "core/TextSplit.h"
#include "core/Util.h"

namespace {

// Anything else would make the float conversion undefined, or put a city where
// no map can draw it.
float ToCoordinate(double value, double limit, const char* location) {
    if (!std::isfinite(value) || value < -limit || value > limit) {
        throw ArgumentException(location);
    }
    return static_cast<float>(value);
}

void AppendInt(std::string& text, int value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, result.ptr);
}

// As "%f" prints the float, but never with the user's decimal separator.
void AppendCoordinate(std::string& text, float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                      std::chars_format::fixed, 6);
    text.append(buffer, result.ptr);
}

// The line has no quoting: a separator, a line end or a zero byte inside a
// text would cut the line short and cost the whole city when it is read back.
void AppendText(std::string& line, std::string_view text) {
    for (const char character : text) {
        const bool breaksTheLine =
            character == ';' || character == '\r' || character == '\n' || character == '\0';
        line += breaksTheLine ? ' ' : character;
    }
}

}  // namespace

City::City(int id, std::string country, std::string shortCode, std::string details,
           std::string cityName, float latitude, float longitude, std::string station) {
    Id = id;
    Country = std::move(country);
    ShortCode = std::move(shortCode);
    Details = std::move(details);
    CityName = std::move(cityName);
    Latitude = latitude;
    Longitude = longitude;
    Station = std::move(station);
}

CityRecord ParseCityLine(std::string_view line) {
    std::string copy(line);
    return ParseCityLineInPlace(copy.data());
}

CityRecord ParseCityLineInPlace(char* line) {
    char* cursor = line;
    CityRecord record;
    record.Id = Util::ParseInt(Tokenize(cursor));
    record.Station = Tokenize(cursor);
    record.Country = Tokenize(cursor);
    record.CityName = Tokenize(cursor);
    record.Details = Tokenize(cursor);
    static constexpr const char* LatitudeLocation = "ParseCityLine (61)";
    record.Latitude = ToCoordinate(Util::ParseDouble(Tokenize(cursor)), 90.0, LatitudeLocation);
    static constexpr const char* LongitudeLocation = "ParseCityLine (62)";
    record.Longitude = ToCoordinate(Util::ParseDouble(Tokenize(cursor)), 180.0, LongitudeLocation);
    return record;
}

std::string SerializeCityLine(const CityRecord& city) {
    std::string line;
    line.reserve(32 + city.Station.size() + city.Country.size() + city.CityName.size() +
                 city.Details.size());
    AppendInt(line, city.Id);
    line += ';';
    AppendText(line, city.Station);
    line += ';';
    AppendText(line, city.Country);
    line += ';';
    AppendText(line, city.CityName);
    line += ';';
    AppendText(line, city.Details);
    line += ';';
    AppendCoordinate(line, city.Latitude);
    line += ';';
    AppendCoordinate(line, city.Longitude);
    return line;
}
