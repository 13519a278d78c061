#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "core/Color.h"
#include "core/Exceptions.h"
#include "core/Util.h"
#include "core/UtilProperty.h"
#include "core/Version.h"
#include "data/Regions.h"
#include "data/Settings.h"

// One input is the content of a key=value file. Every key that "Options.txt",
// "Settings.txt" or the version file is read for is looked up and its value goes
// to the parser that reads it; the whole input also goes through every parser
// as one value. A rejection is one of the program's own exceptions; anything
// else escaping, a crash, a leak or a hang is a finding.

namespace {

enum class ValueKind { Text, Bool, Int, Double, Font, Colour, Point, Date, VersionText, Region };

struct Key {
    const char* Name;
    ValueKind Kind;
};

constexpr Key Keys[] = {
    // The city line has a target of its own.
    {"HomeCity", ValueKind::Text},
    {"UpdateWallpaper", ValueKind::Bool},
    {"ShowWeather", ValueKind::Bool},
    {"UseMetricSystem", ValueKind::Bool},
    {"Region", ValueKind::Region},
    {"Background", ValueKind::Text},
    {"ShowClouds", ValueKind::Bool},
    {"DispalyCityName", ValueKind::Bool},
    {"DisplayCityTemprature", ValueKind::Bool},
    {"WeatherIconScale", ValueKind::Int},
    {"FontCityName", ValueKind::Font},
    {"ColorCityName", ValueKind::Colour},
    {"FontCityTemprature", ValueKind::Font},
    {"ColorCityTemprature", ValueKind::Colour},
    {"ShowTimeZonesOnWallpaper", ValueKind::Bool},
    {"ShowTimeZonesOnScreenSaver", ValueKind::Bool},
    {"TzShowDate", ValueKind::Bool},
    {"TzShowDayOfWeek", ValueKind::Bool},
    {"TzHourFormat", ValueKind::Int},
    {"FontTzMap", ValueKind::Font},
    {"ColorTzMap", ValueKind::Colour},
    {"FormLocalWeather_AlwaysOnTop", ValueKind::Bool},
    {"FormLocalWeather_Mode", ValueKind::Int},
    {"FormTimeZones_AlwaysOnTop", ValueKind::Bool},
    {"FormTimeZones_Location", ValueKind::Point},
    {"LastUpdateNotificationDate", ValueKind::Date},
    {"Version", ValueKind::VersionText},
};

constexpr ValueKind AllKinds[] = {ValueKind::Bool, ValueKind::Int,         ValueKind::Double,
                                  ValueKind::Font, ValueKind::Colour,      ValueKind::Point,
                                  ValueKind::Date, ValueKind::VersionText, ValueKind::Region};

// A broken promise of a parser is a finding like a crash.
void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void Parse(ValueKind kind, const std::string& value) {
    const char* text = value.c_str();
    switch (kind) {
        case ValueKind::Text:
            break;
        case ValueKind::Bool: {
            bool parsed = false;
            Util::Parse(text, parsed);
            Require(std::string_view(text) == (parsed ? "true" : "false"));
            break;
        }
        case ValueKind::Int:
            Util::ParseInt(text);
            break;
        case ValueKind::Double:
            Util::ParseDouble(text);
            break;
        case ValueKind::Font:
            Util::ParseFont(text);
            break;
        case ValueKind::Colour: {
            Color parsed{0};
            Util::Parse(text, parsed);
            Require(parsed.Alpha() == 255);
            break;
        }
        case ValueKind::Point: {
            CPoint parsed;
            Util::Parse(text, parsed);
            break;
        }
        case ValueKind::Date: {
            DateTime parsed;
            Util::Parse(text, parsed);
            Require(parsed.GetKind() == DateTime::Kind::Unspecified);
            Require(parsed.Ticks() <= DateTime::MaxTicks);
            break;
        }
        case ValueKind::VersionText:
            Version::Parse(value);
            break;
        case ValueKind::Region: {
            const std::optional<RegionRecord> region = Regions::Find(value);
            Require(!region || region->Name.size() == value.size());
            break;
        }
    }
}

void ParseCatchingRejections(ValueKind kind, const std::string& value) {
    try {
        Parse(kind, value);
    } catch (const ApplicationException&) {
    } catch (const CAtlException&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);

    for (const Key& key : Keys) {
        // Most keys are absent from most inputs, and a raise for each would
        // cost most of the time; the settings load below still takes that path.
        if (content.find(std::string(key.Name) + "=") == std::string::npos) {
            continue;
        }
        // The key is there, so the lookup must not raise; a value never spans lines.
        const std::string value = UtilProperty::ReadPropertyValueAsString(content, key.Name);
        Require(value.find('\n') == std::string::npos);
        ParseCatchingRejections(key.Kind, value);
    }
    for (const ValueKind kind : AllKinds) {
        ParseCatchingRejections(kind, content);
    }

    // Loading catches everything itself: nothing may escape it.
    CSettings settings;
    settings.LoadFromContent(content);
    Require(settings.FormLocalWeather_Mode >= CSettings::ModeLarge &&
            settings.FormLocalWeather_Mode <= CSettings::ModeIconOnly);
    return 0;
}
