#include "data/Settings.h"

#include "core/AtomicFile.h"
#include "core/Util.h"
#include "core/UtilProperty.h"
#include "data/UserFiles.h"

namespace {

constexpr std::string_view LocalWeatherAlwaysOnTopKey = "FormLocalWeather_AlwaysOnTop";
constexpr std::string_view LocalWeatherModeKey = "FormLocalWeather_Mode";
constexpr std::string_view TimeZonesAlwaysOnTopKey = "FormTimeZones_AlwaysOnTop";
constexpr std::string_view TimeZonesLocationKey = "FormTimeZones_Location";
constexpr std::string_view LastUpdateNotificationDateKey = "LastUpdateNotificationDate";

// Hands the key's value to apply. An absent key or a value that apply rejects
// leaves the field as it was, and the next key is read all the same.
template <class Apply>
void ReadKey(std::string_view content, std::string_view key, Apply apply) {
    try {
        const std::string value = UtilProperty::ReadPropertyValueAsString(content, key);
        // The parsers see a C string and would judge only the text before a
        // zero byte; a value holding one is as damaged as any other.
        if (value.find('\0') != std::string::npos) {
            return;
        }
        apply(value.c_str());
    } catch (...) {
    }
}

}  // namespace

void CSettings::Load(const std::string& path) {
    std::optional<std::string> content;
    try {
        content = UserFiles::Read(path);
    } catch (...) {
        return;  // already logged; every field stays
    }
    if (content) {
        LoadFromContent(*content);
    }
}

void CSettings::LoadFromContent(std::string_view content) {
    ReadKey(content, LocalWeatherAlwaysOnTopKey,
            [this](const char* value) { Util::Parse(value, FormLocalWeather_AlwaysOnTop); });
    ReadKey(content, LocalWeatherModeKey, [this](const char* value) {
        const int mode = Util::ParseInt(value);
        if (mode >= ModeLarge && mode <= ModeIconOnly) {
            FormLocalWeather_Mode = mode;
        }
    });
    ReadKey(content, TimeZonesAlwaysOnTopKey,
            [this](const char* value) { Util::Parse(value, FormTimeZones_AlwaysOnTop); });
    // Any position is taken: the window itself keeps inside the work area.
    ReadKey(content, TimeZonesLocationKey,
            [this](const char* value) { Util::Parse(value, FormTimeZones_Location); });
    ReadKey(content, LastUpdateNotificationDateKey,
            [this](const char* value) { Util::Parse(value, LastUpdateNotificationDate); });
}

void CSettings::Save(const std::string& path) const {
    try {
        static constexpr const char* Location = "CSettings::Save (38)";
        AtomicFileWriter writer(path, Location);
        const int fd = writer.Descriptor();
        Util::WriteToFileAscii(fd, LocalWeatherAlwaysOnTopKey, FormLocalWeather_AlwaysOnTop);
        Util::WriteToFileAscii(fd, LocalWeatherModeKey, FormLocalWeather_Mode);
        Util::WriteToFileAscii(fd, TimeZonesAlwaysOnTopKey, FormTimeZones_AlwaysOnTop);
        Util::WriteToFileAscii(fd, TimeZonesLocationKey, FormTimeZones_Location);
        Util::WriteToFileAscii(fd, LastUpdateNotificationDateKey, LastUpdateNotificationDate);
        writer.Commit();
    } catch (...) {
        // The writer has removed its temporary file; the old file is untouched.
    }
}
