#include "weather/Dwml.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <rapidxml/rapidxml.hpp>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/Exceptions.h"
#include "core/Util.h"
#include "core/UtilText.h"

namespace {

using XmlNode = rapidxml::xml_node<char>;

bool IsXmlWhitespace(char character) {
    return character == ' ' || character == '\n' || character == '\r' || character == '\t';
}

// How deep RapidXML would descend into the text. The walk follows RapidXML's own
// grammar for everything that can hide a "<" (comments, CDATA, processing
// instructions, DOCTYPE, quoted attribute values) so that it never counts less
// than the parser would nest; where the parser would fail, the walk stops too.
int NestingDepth(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    const std::size_t end = text.size();
    int depth = 0;
    int deepest = 0;
    std::size_t index = 0;
    const auto skipPast = [&](std::string_view marker, std::size_t from) {
        const std::size_t found = text.find(marker, from);
        return found == std::string_view::npos ? end : found + marker.size();
    };
    const auto skipWhitespace = [&] {
        while (index < end && IsXmlWhitespace(text[index])) {
            ++index;
        }
    };
    const auto isNameCharacter = [&](std::string_view excluded) {
        return index < end && !IsXmlWhitespace(text[index]) &&
               excluded.find(text[index]) == std::string_view::npos;
    };
    while ((index = text.find('<', index)) != std::string_view::npos) {
        const std::string_view rest = text.substr(index);
        if (rest.starts_with("<?")) {
            index = skipPast("?>", index + 2);
        } else if (rest.starts_with("<!--")) {
            index = skipPast("-->", index + 4);
        } else if (rest.starts_with("<![CDATA[")) {
            index = skipPast("]]>", index + 9);
        } else if (rest.size() > 9 && rest.starts_with("<!DOCTYPE") && IsXmlWhitespace(rest[9])) {
            index += 10;
            int brackets = 0;
            while (index < end && (brackets > 0 || text[index] != '>')) {
                brackets += text[index] == '[' ? 1 : text[index] == ']' ? -1 : 0;
                ++index;
            }
            ++index;
        } else if (rest.starts_with("<!")) {
            index = skipPast(">", index + 2);
        } else if (rest.starts_with("</")) {
            if (depth == 0) {
                break;
            }
            --depth;
            index = skipPast(">", index + 2);
        } else {
            index += 1;
            const std::size_t nameStart = index;
            while (isNameCharacter("/>?")) {
                ++index;
            }
            if (index == nameStart) {
                break;
            }
            skipWhitespace();
            while (isNameCharacter("/<>=?!")) {
                while (isNameCharacter("/<>=?!")) {
                    ++index;
                }
                skipWhitespace();
                if (index >= end || text[index] != '=') {
                    return deepest;
                }
                ++index;
                skipWhitespace();
                if (index >= end || (text[index] != '"' && text[index] != '\'')) {
                    return deepest;
                }
                index = skipPast(std::string_view(&text[index], 1), index + 1);
                skipWhitespace();
            }
            if (index < end && text[index] == '>') {
                deepest = std::max(deepest, ++depth);
            } else if (index + 1 >= end || text[index] != '/' || text[index + 1] != '>') {
                break;
            }
        }
    }
    return deepest;
}

std::string Text(const XmlNode* node) {
    return std::string(node->value(), node->value_size());
}

const char* AttributeOrNull(const XmlNode* node, const char* name) {
    const rapidxml::xml_attribute<char>* attribute = node->first_attribute(name);
    return attribute != nullptr ? attribute->value() : nullptr;
}

// Degrees Fahrenheit, since the request asks for English units. None when the
// value is no temperature at all: not finite, or beyond a float's range.
std::optional<float> FahrenheitToCelsius(double fahrenheit) {
    const double celsius = (fahrenheit - 32.0) * 5.0 / 9.0;
    if (!std::isfinite(celsius) || std::fabs(celsius) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    return static_cast<float>(celsius);
}

// A series' temperature of each date: the first entry of the date counts.
using TemperaturesByDate = std::unordered_map<std::uint64_t, Nullable<float>>;

// The "start-valid-time" children of each layout, collected once however many
// series and periods walk the layout.
class LayoutStarts {
public:
    const std::vector<const XmlNode*>& Of(const XmlNode* layout) {
        auto [found, added] = starts_.try_emplace(layout);
        if (added) {
            for (const XmlNode* start = layout->first_node("start-valid-time"); start != nullptr;
                 start = start->next_sibling("start-valid-time")) {
                found->second.push_back(start);
            }
        }
        return found->second;
    }

private:
    std::unordered_map<const XmlNode*, std::vector<const XmlNode*>> starts_;
};

void ReadSeries(const XmlNode* temperature, const std::vector<const XmlNode*>& starts,
                TemperaturesByDate& series) {
    const XmlNode* value = temperature->first_node("value");
    for (std::size_t index = 0; value != nullptr && index < starts.size();
         value = value->next_sibling("value"), ++index) {
        try {
            Nullable<float> celsius;
            if (value->value_size() > 0) {
                const std::optional<float> read =
                    FahrenheitToCelsius(Util::ParseDouble(Text(value).c_str()));
                // "nan" or "inf" is no more a temperature than a damaged value.
                if (!read) {
                    continue;
                }
                celsius = *read;
            }
            const DateTime date = ParseXsdDateTime(Text(starts[index])).Date();
            series.try_emplace(date.Ticks(), celsius);
        } catch (const ApplicationException&) {
        } catch (const CAtlException&) {
        }
    }
}

Nullable<float> TemperatureOn(const TemperaturesByDate& series, const DateTime& date) {
    const auto found = series.find(date.Ticks());
    return found != series.end() ? found->second : Nullable<float>();
}

bool IsEmpty(const CForecastItem& item) {
    return item.WeatherSummary.empty() && !item.WeatherCode.HasValue() &&
           !item.MinTemprature.HasValue() && !item.MaxTemprature.HasValue();
}

bool ContainsAny(std::string_view name, std::initializer_list<std::string_view> parts) {
    return std::any_of(parts.begin(), parts.end(), [name](std::string_view part) {
        return name.find(part) != std::string_view::npos;
    });
}

}  // namespace

namespace NoaaDwml {

void Parse12HourlyForecast(const std::string& dwml, CForecast& forecast) {
    forecast.ReportDateTime = InitialReportDateTime();
    forecast.Items.clear();

    static constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    const std::size_t skip = std::string_view(dwml).starts_with(ByteOrderMark) ? 3 : 0;
    // RapidXML parses in place and needs a terminator.
    std::vector<char> buffer(dwml.begin() + static_cast<std::ptrdiff_t>(skip), dwml.end());
    buffer.push_back('\0');

    // An unreadable document counts as one without a root.
    static constexpr const char* NoRoot = "NoaaDwml::Parse12HourlyForecast (162)";
    if (NestingDepth(std::string_view(buffer.data(), buffer.size())) > MaxNestingDepth) {
        RaiseError(NoRoot);
    }
    rapidxml::xml_document<char> document;
    try {
        document.parse<rapidxml::parse_default>(buffer.data());
    } catch (const rapidxml::parse_error&) {
        RaiseError(NoRoot);
    }

    const XmlNode* root = document.first_node();
    if (root == nullptr) {
        RaiseError(NoRoot);
    }
    const XmlNode* data = root->first_node("data");
    if (data == nullptr) {
        static constexpr const char* Location = "NoaaDwml::Parse12HourlyForecast (164)";
        RaiseError(Location);
    }
    const XmlNode* parameters = data->first_node("parameters");
    if (parameters == nullptr) {
        static constexpr const char* Location = "NoaaDwml::Parse12HourlyForecast (166)";
        RaiseError(Location);
    }

    // The keys point into the parsed buffer, which outlives the look-ups; the
    // first layout of a key is the one found.
    std::unordered_map<std::string_view, const XmlNode*> layouts;
    for (const XmlNode* layout = data->first_node("time-layout"); layout != nullptr;
         layout = layout->next_sibling("time-layout")) {
        const XmlNode* key = layout->first_node("layout-key");
        if (key == nullptr) {
            static constexpr const char* Location = "NoaaDwml::Parse12HourlyForecast (171)";
            RaiseError(Location);
        }
        layouts.try_emplace(std::string_view(key->value(), key->value_size()), layout);
    }
    const auto findLayout = [&layouts](std::string_view key) -> const XmlNode* {
        const auto found = layouts.find(key);
        return found != layouts.end() ? found->second : nullptr;
    };
    LayoutStarts layoutStarts;

    TemperaturesByDate maxima;
    TemperaturesByDate minima;
    for (const XmlNode* temperature = parameters->first_node("temperature"); temperature != nullptr;
         temperature = temperature->next_sibling("temperature")) {
        const char* type = AttributeOrNull(temperature, "type");
        const char* layoutKey = AttributeOrNull(temperature, "time-layout");
        if (type == nullptr || layoutKey == nullptr) {
            continue;
        }
        const XmlNode* layout = findLayout(layoutKey);
        if (layout == nullptr) {
            continue;
        }
        if (std::string_view(type) == "maximum") {
            ReadSeries(temperature, layoutStarts.Of(layout), maxima);
        } else if (std::string_view(type) == "minimum") {
            ReadSeries(temperature, layoutStarts.Of(layout), minima);
        }
    }

    const XmlNode* weather = parameters->first_node("weather");
    if (weather == nullptr) {
        static constexpr const char* Location = "NoaaDwml::Parse12HourlyForecast (197)";
        RaiseError(Location);
    }
    const XmlNode* icons = parameters->first_node("conditions-icon");
    if (icons == nullptr) {
        static constexpr const char* Location = "NoaaDwml::Parse12HourlyForecast (199)";
        RaiseError(Location);
    }
    const char* weatherLayoutKey = AttributeOrNull(weather, "time-layout");
    if (weatherLayoutKey == nullptr) {
        static constexpr const char* Location = "NoaaDwml::Parse12HourlyForecast (202)";
        RaiseError(Location);
    }
    const char* iconsLayoutKey = AttributeOrNull(icons, "time-layout");
    if (iconsLayoutKey == nullptr) {
        static constexpr const char* Location = "NoaaDwml::Parse12HourlyForecast (204)";
        RaiseError(Location);
    }
    if (std::string_view(weatherLayoutKey) != iconsLayoutKey) {
        static constexpr const char* Location = "NoaaDwml::Parse12HourlyForecast (205)";
        RaiseError(Location);
    }
    const XmlNode* layout = findLayout(weatherLayoutKey);
    if (layout == nullptr) {
        static constexpr const char* Location = "NoaaDwml::Parse12HourlyForecast (208)";
        RaiseError(Location);
    }

    const XmlNode* conditions = weather->first_node("weather-conditions");
    const XmlNode* icon = icons->first_node("icon-link");
    const XmlNode* const firstStart = layout->first_node("start-valid-time");
    const XmlNode* start = firstStart;
    const XmlNode* end = layout->first_node("end-valid-time");
    for (; conditions != nullptr && icon != nullptr && start != nullptr && end != nullptr;
         conditions = conditions->next_sibling("weather-conditions"),
         icon = icon->next_sibling("icon-link"), start = start->next_sibling("start-valid-time"),
         end = end->next_sibling("end-valid-time")) {
        CForecastItem item;
        if (const char* summary = AttributeOrNull(conditions, "weather-summary")) {
            item.WeatherSummary = summary;
        }
        item.WeatherCode = IconToWeatherCode(Text(icon));
        item.Start = ParseXsdDateTime(Text(start));
        item.End = ParseXsdDateTime(Text(end));
        item.MinTemprature = TemperatureOn(minima, item.Start.Date());
        item.MaxTemprature = TemperatureOn(maxima, item.Start.Date());
        // A forecast begins with its first period that says something.
        const bool hasWords = !item.WeatherSummary.empty() || item.WeatherCode.HasValue();
        const bool isFirst = start == firstStart;
        if (isFirst ? hasWords : (!forecast.Items.empty() || !IsEmpty(item))) {
            forecast.Items.push_back(std::move(item));
        }
    }
    while (!forecast.Items.empty() && IsEmpty(forecast.Items.back())) {
        forecast.Items.pop_back();
    }
    forecast.ReportDateTime = DateTime::UtcNow();
}

}  // namespace NoaaDwml

DateTime ParseXsdDateTime(const std::string& text) {
    return DateTime(Util::ParseDigits(text, 0, 4), Util::ParseDigits(text, 5, 2),
                    Util::ParseDigits(text, 8, 2), Util::ParseDigits(text, 11, 2),
                    Util::ParseDigits(text, 14, 2), Util::ParseDigits(text, 17, 2));
}

Nullable<EnumWeatherCode> IconToWeatherCode(const std::string& link) {
    std::string name = link;
    const std::size_t slash = name.rfind('/');
    const std::size_t dot = name.rfind('.');
    if (slash != std::string::npos) {
        name.erase(0, slash + 1);
        if (dot != std::string::npos && dot > slash) {
            name.resize(dot - slash - 1);
        }
    } else if (dot != std::string::npos) {
        name.resize(dot);
    }
    name = UtilText::ToLowerAscii(std::move(name));
    while (!name.empty() && name.back() >= '0' && name.back() <= '9') {
        name.pop_back();
    }

    struct Row {
        std::initializer_list<std::string_view> Parts;
        EnumWeatherCode Code;
    };
    // Tested in this order: "tsra" is a thunderstorm before it is rain.
    static const std::array<Row, 15> Rows{{
        {{"ts"}, EnumWeatherCode::Thunderstorms},
        {{"rasn", "raip", "mix"}, EnumWeatherCode::RainAndSnow},
        {{"shra", "shwrs"}, EnumWeatherCode::RainShowers},
        {{"sn", "ip", "blizzard"}, EnumWeatherCode::Snow},
        {{"ra"}, EnumWeatherCode::Rain},
        {{"ovc"}, EnumWeatherCode::Cloudy},
        {{"bkn"}, EnumWeatherCode::MostlyCloudy},
        {{"sct"}, EnumWeatherCode::PartlyCloudy},
        {{"few"}, EnumWeatherCode::Fair},
        {{"skc"}, EnumWeatherCode::Clear},
        {{"smoke", "du", "hazy", "fu", "haze"}, EnumWeatherCode::Haze},
        {{"fg"}, EnumWeatherCode::Fog},
        {{"wind"}, EnumWeatherCode::Windy},
        {{"cold"}, EnumWeatherCode::Cold},
        {{"hot"}, EnumWeatherCode::Hot},
    }};
    for (const Row& row : Rows) {
        if (ContainsAny(name, row.Parts)) {
            return row.Code;
        }
    }
    return {};
}
