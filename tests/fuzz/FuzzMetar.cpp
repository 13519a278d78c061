#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/DateTime.h"
#include "core/Exceptions.h"
#include "weather/Metar.h"

// One input is a station file. The parse either raises the program's own
// exception for a file without a time or returns a complete report; anything
// else escaping, a crash or a hang is a finding.

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const CCurrentWeather weather = ParseMetar(text, "KLAX", DateTime(2013, 3, 27, 19, 0, 0));
        // A successful parse always has a code, and temperatures are whole degrees of two digits.
        const int code = static_cast<int>(weather.WeatherCode.Value());
        Require(code >= 0 && code < WeatherCodeCount);
        Require(!weather.DewPoint.HasValue() || weather.Temprature.HasValue());
        if (weather.Temprature.HasValue()) {
            Require(weather.Temprature.Value() > -100.0F && weather.Temprature.Value() < 100.0F);
        }
    } catch (const ApplicationException&) {
    }
    return 0;
}
