#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "Arguments.h"
#include "Commands.h"
#include "core/Exceptions.h"
#include "core/UtilFile.h"
#include "core/UtilText.h"
#include "net/TransferLimits.h"
#include "weather/Dwml.h"
#include "weather/Metar.h"
#include "weather/OpenMeteo.h"

namespace {

constexpr int ExitFailure = 1;

// The enumerator names, index = code.
constexpr const char* CodeNames[WeatherCodeCount] = {
    "Clear", "Fair",        "Fog",   "Haze",          "PartlyCloudy", "MostlyCloudy", "Cloudy",
    "Cold",  "Hot",         "Windy", "RainShowers",   "SnowShowers",  "HailShowers",  "Rain",
    "Snow",  "RainAndSnow", "Hail",  "Thunderstorms", "Tornado"};

std::string JsonTime(const DateTime& moment) {
    char text[32];
    std::snprintf(text, sizeof text, "\"%04d-%02d-%02dT%02d:%02d:%02d\"", moment.Year(),
                  moment.Month(), moment.Day(), moment.Hour(), moment.Minute(), moment.Second());
    return text;
}

std::string JsonCode(const Nullable<EnumWeatherCode>& code) {
    const int value = code.HasValue() ? static_cast<int>(code.Value()) : -1;
    if (value < 0 || value >= WeatherCodeCount) {
        return "\"code\": null, \"code_value\": null";
    }
    return "\"code\": \"" + std::string(CodeNames[value]) +
           "\", \"code_value\": " + std::to_string(value);
}

// JSON has no NaN or infinity: such a value is written as null, as an absent one is.
bool IsJsonNumber(const Nullable<float>& degrees) {
    return degrees.HasValue() && std::isfinite(degrees.Value());
}

// Whole degrees as integers (a station reports whole degrees), others as the
// shortest text that reads back the same float.
std::string JsonDegrees(const Nullable<float>& degrees) {
    if (!IsJsonNumber(degrees)) {
        return "null";
    }
    const float value = degrees.Value() == 0.0F ? 0.0F : degrees.Value();
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// Forecast temperatures are conversions from Fahrenheit or tenths of a degree:
// two decimals, and always written as decimals (30.0, 20.56).
std::string JsonForecastDegrees(const Nullable<float>& degrees) {
    if (!IsJsonNumber(degrees)) {
        return "null";
    }
    double value = std::round(static_cast<double>(degrees.Value()) * 100.0) / 100.0;
    value = value == 0.0 ? 0.0 : value;
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    std::string written(text, result.ptr);
    if (written.find_first_of(".en") == std::string::npos) {
        written += ".0";
    }
    return written;
}

// One line per period, the same for both forecast services.
void PrintPeriods(const CForecast& forecast) {
    for (const CForecastItem& item : forecast.Items) {
        std::printf("{\"start\": %s, \"end\": %s, \"summary\": %s, %s, \"min\": %s, \"max\": %s}\n",
                    JsonTime(item.Start).c_str(), JsonTime(item.End).c_str(),
                    JsonString(item.WeatherSummary).c_str(), JsonCode(item.WeatherCode).c_str(),
                    JsonForecastDegrees(item.MinTemprature).c_str(),
                    JsonForecastDegrees(item.MaxTemprature).c_str());
    }
}

int PrintError(const std::string& what) {
    std::printf("{\"error\": %s}\n", JsonString(what).c_str());
    return ExitFailure;
}

template <class Function>
int RunReporting(Function&& function) {
    try {
        function();
        return 0;
    } catch (const ApplicationException& error) {
        return PrintError(error.Location);
    } catch (const CAtlException& error) {
        char text[40];
        std::snprintf(text, sizeof text, "CAtlException 0x%08x",
                      static_cast<unsigned>(error.Result));
        return PrintError(text);
    }
}

// A station file or forecast answer, bounded as the program bounds the same
// text when it downloads it; a FIFO or device is refused, not waited on.
std::string ReadInput(const std::string& path) {
    return UtilFile::ReadFileAscii(path, TransferLimits{}.MaxTextBytes);
}

// The station file is named after its station, as the report server names it.
std::string StationOfFile(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return UtilText::ToUpperAscii(name.substr(0, name.find('.')));
}

// One FILE with --now and, where the command takes it, --station; any other
// option, a missing value or another count of files is refused with the synopsis.
struct FileArguments {
    std::string File;
    DateTime Now = DateTime::UtcNow();
    std::string Station;
};

FileArguments ReadFileArguments(const std::vector<std::string>& arguments, bool takesStation,
                                const char* synopsis) {
    FileArguments read;
    std::vector<std::string> positional;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (argument == "--now" || (takesStation && argument == "--station")) {
            if (index + 1 == arguments.size()) {
                throw BadArguments(argument + " needs a value");
            }
            const std::string& value = arguments[++index];
            if (argument == "--now") {
                read.Now = ParseUtcTime(value);
            } else {
                read.Station = value;
            }
        } else if (argument.starts_with("--")) {
            throw BadArguments("unknown option " + argument);
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() != 1) {
        throw BadArguments(synopsis);
    }
    read.File = positional[0];
    return read;
}

}  // namespace

int RunMetar(const std::vector<std::string>& arguments) {
    FileArguments read = ReadFileArguments(
        arguments, true, "expects FILE [--now YYYY-MM-DDTHH:MM:SSZ] [--station CODE]");
    if (read.Station.empty()) {
        read.Station = StationOfFile(read.File);
    }
    return RunReporting([&] {
        const CCurrentWeather weather = ParseMetar(ReadInput(read.File), read.Station, read.Now);
        std::printf("{\"time\": %s, %s, \"temperature\": %s, \"dew_point\": %s}\n",
                    JsonTime(weather.ReportDateTime).c_str(), JsonCode(weather.WeatherCode).c_str(),
                    JsonDegrees(weather.Temprature).c_str(), JsonDegrees(weather.DewPoint).c_str());
    });
}

int RunDwml(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1 || arguments[0].starts_with("--")) {
        throw BadArguments("expects FILE");
    }
    return RunReporting([&] {
        CForecast forecast;
        NoaaDwml::Parse12HourlyForecast(ReadInput(arguments[0]), forecast);
        PrintPeriods(forecast);
    });
}

int RunOpenMeteo(const std::vector<std::string>& arguments) {
    const FileArguments read =
        ReadFileArguments(arguments, false, "expects FILE [--now YYYY-MM-DDTHH:MM:SSZ]");
    return RunReporting([&] {
        CForecast forecast;
        OpenMeteo::ParseForecast(ReadInput(read.File), read.Now, forecast);
        PrintPeriods(forecast);
    });
}
