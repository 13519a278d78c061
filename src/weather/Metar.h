#pragma once

#include <regex>
#include <string>

#include "core/DateTime.h"
#include "weather/CurrentWeather.h"

// A compiled regular expression with the one question the METAR reader asks.
class RegEx {
public:
    // An invalid pattern raises "RegEx::RegEx (11)".
    explicit RegEx(const std::string& pattern);

    // Whether the pattern matches somewhere in the text ("^" and "$" anchor at
    // the ends of the whole text). A text longer than MaxMatchLength never
    // matches: the engine recurses once per character, and no group of a real
    // report comes near that length.
    bool Match(const std::string& text) const;

    static constexpr std::size_t MaxMatchLength = 256;

private:
    std::regex expression_;
};

// Reduces a station file (an optional "YYYY/MM/DD HH:MM" header line, then the
// coded report) to time, weather code, temperature and dew point. utcNow places
// a day-of-month-only time group in a month. A file without any usable time
// raises "Nullable<class DateTime>::Value (20)"; malformed groups never raise.
// A report with nothing after its station and time (a header line alone, or a
// report cut off after the time) has no weather code.
CCurrentWeather ParseMetar(const std::string& text, const std::string& station, DateTime utcNow);
CCurrentWeather ParseMetar(const std::string& text, const std::string& station);
