// GCC 12 with the sanitizers reports a false maybe-uninitialized deep inside the
// std::regex compiler; the warning is about library code, not about this file.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "weather/Metar.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "core/Exceptions.h"
#include "core/Nullable.h"
#include "core/TextSplit.h"
#include "core/Util.h"
#include "core/UtilText.h"

RegEx::RegEx(const std::string& pattern) {
    try {
        expression_.assign(pattern, std::regex::ECMAScript | std::regex::optimize);
    } catch (const std::regex_error&) {
        static constexpr const char* Location = "RegEx::RegEx (11)";
        RaiseError(Location);
    }
}

bool RegEx::Match(const std::string& text) const {
    if (text.size() > MaxMatchLength) {
        return false;
    }
    return std::regex_search(text, expression_);
}

namespace {

struct MetarPatterns {
    RegEx HeaderDateTime{"^\\d\\d\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d"};
    RegEx HeaderDate{"^\\d\\d\\d\\d/\\d\\d/\\d\\d"};
    RegEx TimeGroup{"^\\d\\d\\d\\d\\d\\dZ$"};
    RegEx PresentWeather{
        "^[+\\-]?((MI)|(PR)|(BC)|(DR)|(BL)|(SH)|(TS)|(FZ)|(DZ)|(RA)|(SN)|(SG)|(IC)|(PL)|(GR)|(GS)|"
        "(UP)|(BR)|(FG)|(FU)|(VA)|(DU)|(SA)|(HZ)|(PY)|(PO)|(SQ)|(FC)|(SS)|(DS))+$"};
    RegEx Temperature{"^M?[0-9][0-9]/((M?[0-9][0-9])|(/)|(//)|(///))?$"};
};

// Built on first use; afterwards only read, so parsing on any thread is safe.
const MetarPatterns& Patterns() {
    static const MetarPatterns patterns;
    return patterns;
}

// The header patterns have a fixed length, so only that much of the file is handed
// to the engine.
constexpr std::size_t HeaderDateTimeLength = 16;
constexpr std::size_t HeaderDateLength = 10;

bool IsReportWhitespace(char character) {
    return character == ' ' || character == '\t' || character == '\r' || character == '\n';
}

bool IsWhitespaceAt(const std::string& text, std::size_t index) {
    return index < text.size() && IsReportWhitespace(text[index]);
}

std::optional<DateTime> HeaderWithTime(const std::string& text) {
    if (!Patterns().HeaderDateTime.Match(text.substr(0, HeaderDateTimeLength)) ||
        !IsWhitespaceAt(text, HeaderDateTimeLength)) {
        return std::nullopt;
    }
    try {
        return DateTime(Util::ParseDigits(text, 0, 4), Util::ParseDigits(text, 5, 2),
                        Util::ParseDigits(text, 8, 2), Util::ParseDigits(text, 11, 2),
                        Util::ParseDigits(text, 14, 2), 0);
    } catch (const ApplicationException&) {
        return std::nullopt;
    }
}

std::optional<DateTime> HeaderDateOnly(const std::string& text) {
    if (!Patterns().HeaderDate.Match(text.substr(0, HeaderDateLength)) ||
        !IsWhitespaceAt(text, HeaderDateLength)) {
        return std::nullopt;
    }
    try {
        return DateTime(Util::ParseDigits(text, 0, 4), Util::ParseDigits(text, 5, 2),
                        Util::ParseDigits(text, 8, 2));
    } catch (const ApplicationException&) {
        return std::nullopt;
    }
}

// Cuts the header line and the whitespace after it off the text.
std::optional<DateTime> TakeHeader(std::string& text) {
    std::optional<DateTime> header = HeaderWithTime(text);
    std::size_t cut = HeaderDateTimeLength + 1;
    if (!header) {
        header = HeaderDateOnly(text);
        cut = HeaderDateLength + 1;
    }
    if (!header) {
        return std::nullopt;
    }
    while (cut < text.size() && IsReportWhitespace(text[cut])) {
        ++cut;
    }
    text.erase(0, cut);
    return header;
}

std::vector<std::string> SplitTokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::size_t index = 0;
    while (index < text.size()) {
        while (index < text.size() && IsReportWhitespace(text[index])) {
            ++index;
        }
        const std::size_t start = index;
        while (index < text.size() && !IsReportWhitespace(text[index])) {
            ++index;
        }
        if (index > start) {
            tokens.push_back(text.substr(start, index - start));
        }
    }
    return tokens;
}

// «ddhhmmZ» carries only the day of the month: the month comes from the header
// when its day agrees, else from the last three days (reports are at most a day
// or two old, and a clock a little behind may see tomorrow's date).
std::optional<DateTime> ReadTimeGroup(const std::string& token,
                                      const std::optional<DateTime>& header,
                                      const DateTime& utcNow) {
    if (!Patterns().TimeGroup.Match(token)) {
        return std::nullopt;
    }
    const int day = Util::ParseDigits(token, 0, 2);
    const int hour = Util::ParseDigits(token, 2, 2);
    const int minute = Util::ParseDigits(token, 4, 2);
    std::optional<DateTime> month;
    if (header && header->Day() == day) {
        month = header;
    } else {
        const DateTime latest = utcNow + TimeSpan(3, 0, 0);
        for (int daysBack = 0; daysBack < 3 && !month; ++daysBack) {
            const DateTime candidate = latest - TimeSpan(daysBack * 24, 0, 0);
            if (candidate.Day() == day) {
                month = candidate;
            }
        }
    }
    if (!month) {
        return std::nullopt;
    }
    return DateTime(month->Year(), month->Month(), day, hour, minute, 0);
}

bool Contains(std::string_view token, std::initializer_list<std::string_view> parts) {
    return std::any_of(parts.begin(), parts.end(), [token](std::string_view part) {
        return token.find(part) != std::string_view::npos;
    });
}

Nullable<EnumWeatherCode> PresentWeatherCode(std::string_view token) {
    struct Row {
        std::initializer_list<std::string_view> Parts;
        EnumWeatherCode Code;
    };
    // Tested in this order: the first row whose text occurs in the token wins.
    static const std::array<Row, 10> Rows{{
        {{"+FC"}, EnumWeatherCode::Tornado},
        {{"TS"}, EnumWeatherCode::Thunderstorms},
        {{"SHGR", "SHGS"}, EnumWeatherCode::HailShowers},
        {{"SHSN", "SHIC", "SHSG", "SHPL"}, EnumWeatherCode::SnowShowers},
        {{"SHRA", "DZ"}, EnumWeatherCode::RainShowers},
        {{"GR", "GS"}, EnumWeatherCode::Hail},
        {{"SN", "IC", "SG", "PL"}, EnumWeatherCode::Snow},
        {{"RA"}, EnumWeatherCode::Rain},
        {{"FG", "BR"}, EnumWeatherCode::Fog},
        {{"FU", "DU", "VA", "SA", "HZ", "SS", "DS", "PO"}, EnumWeatherCode::Haze},
    }};
    for (const Row& row : Rows) {
        if (Contains(token, row.Parts)) {
            return row.Code;
        }
    }
    return {};
}

Nullable<EnumWeatherCode> CloudCode(std::string_view token) {
    if (token == "CLR" || token == "SKC") {
        return EnumWeatherCode::Clear;
    }
    if (token.starts_with("FEW")) {
        return EnumWeatherCode::Fair;
    }
    if (token.starts_with("SCT")) {
        return EnumWeatherCode::PartlyCloudy;
    }
    if (token.starts_with("BKN")) {
        return EnumWeatherCode::MostlyCloudy;
    }
    if (token.starts_with("OVC")) {
        return EnumWeatherCode::Cloudy;
    }
    return {};
}

float ReadDegrees(std::string part) {
    std::replace(part.begin(), part.end(), 'M', '-');
    return static_cast<float>(Util::ParseInt(part.c_str()));
}

bool ReadTemperature(const std::string& token, Nullable<float>& temperature,
                     Nullable<float>& dewPoint) {
    if (!Patterns().Temperature.Match(token)) {
        return false;
    }
    const std::vector<std::string> parts = Split(token, '/');
    const float air = ReadDegrees(parts.at(0));
    Nullable<float> dew;
    if (parts.size() > 1 && !parts[1].empty()) {
        dew = ReadDegrees(parts[1]);
    }
    temperature = air;
    dewPoint = dew;
    return true;
}

EnumWeatherCode Higher(EnumWeatherCode first, EnumWeatherCode second) {
    return static_cast<int>(first) >= static_cast<int>(second) ? first : second;
}

}  // namespace

CCurrentWeather ParseMetar(const std::string& text, const std::string& station, DateTime utcNow) {
    std::string report = UtilText::ToUpperAscii(text);
    const std::optional<DateTime> header = TakeHeader(report);

    Nullable<DateTime> time;
    Nullable<EnumWeatherCode> phenomenon;
    Nullable<EnumWeatherCode> clouds;
    Nullable<float> temperature;
    Nullable<float> dewPoint;
    // Whether the report says anything beyond its station and time: a file cut
    // off there, or holding only its header line, observed no clear sky.
    bool observed = false;

    // A group that fails to read (a digit that is not one, a day out of range)
    // simply does not count; the token goes on to the later rules.
    const auto attempt = [](auto&& rule) {
        try {
            return rule();
        } catch (const ApplicationException&) {
        } catch (const CAtlException&) {
        }
        return false;
    };

    for (const std::string& token : SplitTokens(report)) {
        if (token == station) {
            continue;
        }
        if (token == "CAVOK") {
            observed = true;
            continue;
        }
        if (!time.HasValue() && attempt([&] {
                const std::optional<DateTime> group = ReadTimeGroup(token, header, utcNow);
                if (group) {
                    time = *group;
                }
                return group.has_value();
            })) {
            continue;
        }
        if (token == "RMK") {
            break;
        }
        observed = true;
        if (!phenomenon.HasValue() && attempt([&] {
                if (!Patterns().PresentWeather.Match(token)) {
                    return false;
                }
                const Nullable<EnumWeatherCode> code = PresentWeatherCode(token);
                if (code.HasValue()) {
                    phenomenon = code;
                }
                return true;
            })) {
            continue;
        }
        const Nullable<EnumWeatherCode> cloud = CloudCode(token);
        if (cloud.HasValue()) {
            if (!clouds.HasValue() ||
                static_cast<int>(cloud.Value()) > static_cast<int>(clouds.Value())) {
                clouds = cloud;
            }
            continue;
        }
        if (!temperature.HasValue()) {
            attempt([&] { return ReadTemperature(token, temperature, dewPoint); });
        }
    }

    if (!time.HasValue() && header) {
        time = *header;
    }
    CCurrentWeather weather;
    weather.ReportDateTime = time.Value();
    if (observed) {
        weather.WeatherCode =
            Higher(phenomenon.HasValue() ? phenomenon.Value() : EnumWeatherCode::Clear,
                   clouds.HasValue() ? clouds.Value() : EnumWeatherCode::Clear);
    }
    weather.Temprature = temperature;
    weather.DewPoint = dewPoint;
    return weather;
}

CCurrentWeather ParseMetar(const std::string& text, const std::string& station) {
    return ParseMetar(text, station, DateTime::UtcNow());
}
