#include "data/Settings.h"

#include "core/AtomicFile.h"
#include "core/Util.h"
#include "data/DataLog.h"
#include "data/UserFiles.h"

namespace {

constexpr std::string_view LocalWeatherAlwaysOnTopKey = "FormLocalWeather_AlwaysOnTop";
constexpr std::string_view LocalWeatherModeKey = "FormLocalWeather_Mode";
constexpr std::string_view TimeZonesAlwaysOnTopKey = "FormTimeZones_AlwaysOnTop";
constexpr std::string_view TimeZonesLocationKey = "FormTimeZones_Location";
constexpr std::string_view LastUpdateNotificationDateKey = "LastUpdateNotificationDate";

}  // namespace

void CSettings::Load(const std::string& path) {
    std::optional<std::string> content;
    try {
        content = UserFiles::Read(path);
    } catch (...) {
        damaged_ = true;
        return;  // already logged; every field stays
    }
    damaged_ = false;
    if (content) {
        LoadFromContent(*content);
        if (damaged_) {
            UserFiles::LogDamage(path, "holds values that do not parse");
        }
    }
}

void CSettings::LoadFromContent(std::string_view content) {
    using UserFiles::ParsedInto;
    UserFiles::KeyReader keys(content);
    keys.Read(LocalWeatherAlwaysOnTopKey, ParsedInto(FormLocalWeather_AlwaysOnTop));
    keys.Read(LocalWeatherModeKey, [this](const char* value) {
        const int mode = Util::ParseInt(value);
        if (mode < ModeLarge || mode > ModeIconOnly) {
            return false;
        }
        FormLocalWeather_Mode = mode;
        return true;
    });
    keys.Read(TimeZonesAlwaysOnTopKey, ParsedInto(FormTimeZones_AlwaysOnTop));
    // Any position is taken: the window itself keeps inside the work area.
    keys.Read(TimeZonesLocationKey, ParsedInto(FormTimeZones_Location));
    keys.Read(LastUpdateNotificationDateKey, ParsedInto(LastUpdateNotificationDate));
    damaged_ = keys.Damaged();
}

void CSettings::Save(const std::string& path) {
    try {
        static constexpr const char* Location = "CSettings::Save (38)";
        AtomicFileWriter writer(path, Location, UserFiles::PreviousFileAfter(damaged_));
        const int fd = writer.Descriptor();
        Util::WriteToFileAscii(fd, LocalWeatherAlwaysOnTopKey, FormLocalWeather_AlwaysOnTop);
        Util::WriteToFileAscii(fd, LocalWeatherModeKey, FormLocalWeather_Mode);
        Util::WriteToFileAscii(fd, TimeZonesAlwaysOnTopKey, FormTimeZones_AlwaysOnTop);
        Util::WriteToFileAscii(fd, TimeZonesLocationKey, FormTimeZones_Location);
        Util::WriteToFileAscii(fd, LastUpdateNotificationDateKey, LastUpdateNotificationDate);
        writer.Commit();
        damaged_ = false;
    } catch (const ApplicationException& error) {
        // The writer has removed its temporary file; the old file is untouched.
        qCWarning(lcData).noquote()
            << QString::fromStdString(path)
            << "could not be saved:" << QString::fromStdString(FailureReason(error));
    } catch (...) {
        qCWarning(lcData).noquote() << QString::fromStdString(path) << "could not be saved";
    }
}
