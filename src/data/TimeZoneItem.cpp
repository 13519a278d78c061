#include "data/TimeZoneItem.h"

#include <QByteArray>
#include <QDateTime>
#include <QTimeZone>

#include <cstdio>

#include "core/Exceptions.h"
#include "data/DataLog.h"

namespace {

constexpr int TwentyFourHourClock = 2;

template <class... Numbers>
std::string Printed(const char* format, Numbers... numbers) {
    char text[64];
    const int length = std::snprintf(text, sizeof text, format, numbers...);
    return length < 0 ? std::string() : std::string(text);
}

SystemTime ToLocalTime(const std::string& ianaId, const SystemTime& utc) {
    static constexpr const char* Location = "TimeZoneItem::UtcToLocalTimeAsString (18)";
    const QDate date(utc.Year, utc.Month, utc.Day);
    const QTime time(utc.Hour, utc.Minute, utc.Second, utc.Milliseconds);
    // Qt reads an empty id as the machine's own zone.
    const QTimeZone zone =
        ianaId.empty() ? QTimeZone() : QTimeZone(QByteArray::fromStdString(ianaId));
    if (utc.Year < 1 || utc.Year > 9999 || !date.isValid() || !time.isValid() || !zone.isValid()) {
        throw ApplicationException(Location);
    }
    const QDateTime local = QDateTime(date, time, Qt::UTC).toTimeZone(zone);
    if (!local.isValid()) {
        throw ApplicationException(Location);
    }
    SystemTime result;
    result.Year = local.date().year();
    result.Month = local.date().month();
    result.DayOfWeek = local.date().dayOfWeek() % 7;
    result.Day = local.date().day();
    result.Hour = local.time().hour();
    result.Minute = local.time().minute();
    result.Second = local.time().second();
    result.Milliseconds = local.time().msec();
    return result;
}

}  // namespace

std::string TimeZoneItem::UtcToLocalTimeAsString(bool showDayOfWeek, bool showDate, int hourFormat,
                                                 const SystemTime& utc) const {
    try {
        return FormatLocalTime(ToLocalTime(Info.IanaId, utc), showDayOfWeek, showDate, hourFormat);
    } catch (...) {
        qCDebug(lcData) << "a clock cannot be read:" << CurrentExceptionText().c_str();
        return "?";
    }
}

std::string TimeZoneItem::FormatLocalTime(const SystemTime& local, bool showDayOfWeek,
                                          bool showDate, int hourFormat) {
    std::string text;
    if (showDayOfWeek) {
        text += DateTime::DayOfWeekString_Short(local.DayOfWeek);
        text += ' ';
    }
    if (showDate) {
        text += DateTime::MonthString_Short(local.Month);
        text += Printed(" %i, ", local.Day);
    }
    if (hourFormat == TwentyFourHourClock) {
        text += Printed("%i:%02i ", local.Hour, local.Minute);
        return text;
    }
    const int hour = local.Hour % 12 == 0 ? 12 : local.Hour % 12;
    text += Printed("%i:%02i ", hour, local.Minute);
    text += local.Hour < 12 ? "AM" : "PM";
    return text;
}

std::string TimeZoneItem::FormatSampleTime(bool showDayOfWeek, bool showDate, int hourFormat) {
    // Wednesday as the layout has always measured it, whatever the calendar says.
    SystemTime sample;
    sample.Year = 2008;
    sample.Month = 9;
    sample.DayOfWeek = 3;
    sample.Day = 25;
    sample.Hour = 10;
    sample.Minute = 55;
    try {
        return FormatLocalTime(sample, showDayOfWeek, showDate, hourFormat);
    } catch (...) {
        qCDebug(lcData) << "a clock's sample cannot be formatted:"
                        << CurrentExceptionText().c_str();
        return "?";
    }
}

TimeZoneItem TimeZoneItem::Deserialize(std::string_view line) {
    const std::size_t separator = line.rfind(';');
    if (line.empty() || separator == std::string_view::npos) {
        static constexpr const char* Location = "TimeZoneItem::Deserialize (96)";
        throw ApplicationException(Location);
    }
    TimeZoneItem item;
    item.Label = std::string(line.substr(0, separator));
    item.Info = TimeZoneInfo::FindTimeZoneById(line.substr(separator + 1));
    return item;
}

std::string TimeZoneItem::Serialize() const {
    std::string line = Label;
    for (char& character : line) {
        if (character == '\r' || character == '\n') {
            character = ' ';
        }
    }
    return line + ";" + Info.Id;
}
