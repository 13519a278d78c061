#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Exceptions.h"
#include "weather/Dwml.h"

// One input is a forecast document, which comes from the network. A rejection
// is one of the program's own exceptions; anything else escaping, a crash, a
// stack overflow from deep nesting or a hang is a finding. The icon name and
// date readers get the whole input as well.

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CForecast forecast;
    try {
        NoaaDwml::Parse12HourlyForecast(text, forecast);
        // Trailing periods without anything to show are always dropped.
        if (!forecast.Items.empty()) {
            const CForecastItem& last = forecast.Items.back();
            Require(!last.WeatherSummary.empty() || last.WeatherCode.HasValue() ||
                    last.MinTemprature.HasValue() || last.MaxTemprature.HasValue());
        }
    } catch (const ApplicationException&) {
        Require(forecast.ReportDateTime == InitialReportDateTime());
    } catch (const CAtlException&) {
        Require(forecast.ReportDateTime == InitialReportDateTime());
    }
    const Nullable<EnumWeatherCode> code = IconToWeatherCode(text);
    Require(!code.HasValue() || static_cast<int>(code.Value()) < WeatherCodeCount);
    try {
        ParseXsdDateTime(text);
    } catch (const ApplicationException&) {
    } catch (const CAtlException&) {
    }
    return 0;
}
