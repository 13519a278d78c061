#include "data/TimeZoneInfo.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QString>
#include <QTimeZone>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "core/Exceptions.h"
#include "data/DataLog.h"

namespace {

constexpr int SecondsPerMinute = 60;
// Beyond any offset a real zone has used; larger values mean Qt could not tell.
constexpr int LargestOffsetSeconds = 24 * 3600;

struct ZoneState {
    int Offset = 0;
    int StandardOffset = 0;
    bool Daylight = false;

    bool operator==(const ZoneState& other) const {
        return Offset == other.Offset && Daylight == other.Daylight;
    }
};

ZoneState StateOf(const QTimeZone::OffsetData& data) {
    return {data.offsetFromUtc, data.standardTimeOffset, data.daylightTimeOffset != 0};
}

void RequireWholeMinutes(int offsetSeconds) {
    if (std::abs(offsetSeconds) > LargestOffsetSeconds || offsetSeconds % SecondsPerMinute != 0) {
        static constexpr const char* Location = "TimeZoneInfo::GetSystemTimeZones (40)";
        throw ApplicationException(Location);
    }
}

// The recurring form of a local clock time: its weekday and which occurrence of
// it in the month, the last one written as 5 so that the rule also holds in
// years where that weekday falls on another date.
SystemTime RecurringRule(const QDateTime& localClock) {
    const QDate date = localClock.date();
    const QTime time = localClock.time();
    SystemTime rule;
    rule.Year = 0;
    rule.Month = date.month();
    rule.DayOfWeek = date.dayOfWeek() % 7;
    rule.Day = date.day() + 7 > date.daysInMonth() ? 5 : (date.day() - 1) / 7 + 1;
    rule.Hour = time.hour();
    rule.Minute = time.minute();
    rule.Second = time.second();
    rule.Milliseconds = 0;
    return rule;
}

// The wall clock just before a change: the instant seen with the offset that
// was in force until then.
QDateTime ClockBefore(const QDateTime& atUtc, int offsetBefore) {
    return atUtc.toUTC().addSecs(offsetBefore);
}

// Fills the biases and rules from the zone's changes of offset or daylight flag
// in the year. Two changes that leave and come back to one standard time make
// a yearly rule; a year without changes has none; any other year (a zone that
// changes its standard offset, or changes more often) keeps the offset in force
// at the year's end and no rule, since one yearly rule could not describe it.
void DeriveRules(const QTimeZone& zone, int year, TimeZoneInfo& info) {
    const QDateTime yearStart(QDate(year, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime yearEnd(QDate(year + 1, 1, 1), QTime(0, 0), Qt::UTC);
    const ZoneState initial = StateOf(zone.offsetData(yearStart));
    RequireWholeMinutes(initial.Offset);

    struct Change {
        QDateTime AtUtc;
        ZoneState After;
    };
    std::vector<Change> changes;
    ZoneState current = initial;
    for (const QTimeZone::OffsetData& data : zone.transitions(yearStart, yearEnd)) {
        const ZoneState next = StateOf(data);
        // Qt also lists changes of the abbreviation alone, which move no clock.
        if (!(next == current) && data.atUtc < yearEnd) {
            RequireWholeMinutes(next.Offset);
            changes.push_back({data.atUtc, next});
            current = next;
        }
    }

    info.StandardBias = 0;
    info.DaylightBias = 0;
    info.StandardDate = SystemTime{};
    info.DaylightDate = SystemTime{};
    info.Bias = -current.Offset / SecondsPerMinute;
    if (changes.size() != 2 || !(current == initial)) {
        return;
    }
    const Change& first = changes[0];
    const Change& second = changes[1];
    const Change* intoDaylight = first.After.Daylight ? &first : &second;
    const Change* intoStandard = first.After.Daylight ? &second : &first;
    const int standardOffset = intoStandard->After.Offset;
    if (!intoDaylight->After.Daylight || intoStandard->After.Daylight ||
        intoStandard->After.StandardOffset != standardOffset ||
        intoDaylight->After.StandardOffset != standardOffset) {
        return;
    }
    const int daylightOffset = intoDaylight->After.Offset;
    info.Bias = -standardOffset / SecondsPerMinute;
    info.DaylightBias = -(daylightOffset - standardOffset) / SecondsPerMinute;
    info.DaylightDate = RecurringRule(ClockBefore(intoDaylight->AtUtc, standardOffset));
    info.StandardDate = RecurringRule(ClockBefore(intoStandard->AtUtc, daylightOffset));
}

const QLocale& EnglishLocale() {
    static const QLocale locale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

// "GMT+03:00" and the like say nothing the offset in front does not.
bool IsOffsetName(const QString& name) {
    if (!name.startsWith(QLatin1String("GMT")) && !name.startsWith(QLatin1String("UTC"))) {
        return false;
    }
    return name.size() == 3 || name[3] == QLatin1Char('+') || name[3] == QLatin1Char('-');
}

// "America/Argentina/Buenos_Aires" -> "Buenos Aires"; none for the Etc zones,
// whose names invert the sign of the offset they stand for.
QString ExemplarCity(const QString& ianaId) {
    const qsizetype slash = ianaId.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || ianaId.startsWith(QLatin1String("Etc/"))) {
        return {};
    }
    return ianaId.mid(slash + 1).replace(QLatin1Char('_'), QLatin1Char(' '));
}

QString OffsetText(int biasMinutes) {
    const int minutes = -biasMinutes;
    const int magnitude = std::abs(minutes);
    char text[32];
    std::snprintf(text, sizeof text, "(UTC%c%02d:%02d)", minutes < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return QString::fromLatin1(text);
}

// In the manner of the Windows list: the standard offset, then the zone's
// generic name and its exemplar city, "(UTC-05:00) Eastern Time (New York)".
std::string BuildDisplayName(const TimeZoneInfo& info, const QTimeZone& zone) {
    QString name = zone.displayName(QTimeZone::StandardTime, QTimeZone::LongName, EnglishLocale());
    if (IsOffsetName(name)) {
        name.clear();
    }
    // The generic name of a zone with daylight time drops "Standard", as in
    // "Central European Time": the clock shows summer time half the year.
    const QLatin1String standardSuffix(" Standard Time");
    if (info.DaylightDate.Month != 0 && name.endsWith(standardSuffix)) {
        name = name.chopped(standardSuffix.size()) + QLatin1String(" Time");
    }
    const QString city = ExemplarCity(QString::fromStdString(info.IanaId));
    if (name.isEmpty() && city.isEmpty()) {
        const QString id = QString::fromStdString(info.Id);
        if (id.startsWith(QLatin1String("UTC"))) {
            name = QLatin1String("Coordinated Universal Time") + id.mid(3);
        } else {
            name = id.endsWith(standardSuffix) ? id.chopped(standardSuffix.size()) : id;
        }
    }
    QString text = OffsetText(info.Bias);
    if (!name.isEmpty()) {
        text += QLatin1Char(' ') + name;
    }
    if (!city.isEmpty()) {
        text += name.isEmpty() ? QLatin1Char(' ') + city
                               : QLatin1String(" (") + city + QLatin1Char(')');
    }
    return text.toStdString();
}

// The zone and link names of the compiled tz source, with the zone each link
// leads to. Qt's zone list leaves out links and the Etc zones, and Qt's Windows
// table still uses some names that newer databases keep only as links
// (Asia/Calcutta).
struct ZoneNames {
    QList<QByteArray> Names;
    QHash<QByteArray, QByteArray> LinkTargets;
};

ZoneNames ReadZoneNames() {
    ZoneNames zoneNames;
    for (const char* path : {"/usr/share/zoneinfo/tzdata.zi", "/usr/lib/zoneinfo/tzdata.zi",
                             "/usr/share/lib/zoneinfo/tzdata.zi"}) {
        QFile file(QString::fromLatin1(path));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        while (!file.atEnd()) {
            const QList<QByteArray> fields = file.readLine().simplified().split(' ');
            if (fields.size() >= 2 && fields[0] == "Z") {
                zoneNames.Names.append(fields[1]);
            } else if (fields.size() == 3 && fields[0] == "L") {
                zoneNames.Names.append(fields[2]);
                zoneNames.LinkTargets.insert(fields[2], fields[1]);
            }
        }
        break;
    }
    return zoneNames;
}

// Every Windows id that some name of the system's database maps to.
std::set<QByteArray> WindowsIdsOfSystem(const QList<QByteArray>& ianaIds,
                                        const ZoneNames& zoneNames) {
    // The two lists name mostly the same zones, and each look-up walks Qt's
    // whole table: every name is looked up once.
    std::set<QByteArray> names(ianaIds.begin(), ianaIds.end());
    names.insert(zoneNames.Names.begin(), zoneNames.Names.end());
    std::set<QByteArray> windowsIds;
    for (const QByteArray& ianaId : names) {
        const QByteArray windowsId = QTimeZone::ianaIdToWindowsId(ianaId);
        if (!windowsId.isEmpty()) {
            windowsIds.insert(windowsId);
        }
    }
    return windowsIds;
}

// The first of Qt's zones for the Windows id that the system can open, the
// default zone first; a name the system keeps only as an alias leads to its target.
QByteArray SystemZoneFor(const QByteArray& windowsId, const ZoneNames& zoneNames) {
    QList<QByteArray> candidates{QTimeZone::windowsIdToDefaultIanaId(windowsId)};
    candidates += QTimeZone::windowsIdToIanaIds(windowsId);
    for (const QByteArray& candidate : candidates) {
        if (candidate.isEmpty()) {
            continue;
        }
        if (QTimeZone(candidate).isValid()) {
            return candidate;
        }
        const QByteArray target = zoneNames.LinkTargets.value(candidate);
        if (!target.isEmpty() && QTimeZone(target).isValid()) {
            return target;
        }
    }
    static constexpr const char* Location = "TimeZoneInfo::GetSystemTimeZones (33)";
    throw ApplicationException(Location);
}

// Two zones showing the same text (ignoring case, as the look-up does) both get
// their id appended, so that every entry of a list leads back to its own zone.
void MakeDisplayNamesUnique(std::vector<TimeZoneInfo>& zones) {
    QHash<QString, int> counts;
    for (const TimeZoneInfo& zone : zones) {
        ++counts[QString::fromStdString(zone.DisplayName).toCaseFolded()];
    }
    for (TimeZoneInfo& zone : zones) {
        if (counts.value(QString::fromStdString(zone.DisplayName).toCaseFolded()) > 1) {
            zone.DisplayName += " [" + zone.Id + "]";
        }
    }
}

void SortByDisplayName(std::vector<TimeZoneInfo>& zones) {
    std::vector<std::pair<QString, TimeZoneInfo>> keyed;
    keyed.reserve(zones.size());
    for (TimeZoneInfo& zone : zones) {
        keyed.emplace_back(QString::fromStdString(zone.DisplayName), std::move(zone));
    }
    // QString compares UTF-16 code units, case-sensitively.
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& left, const auto& right) { return left.first < right.first; });
    zones.clear();
    for (auto& entry : keyed) {
        zones.push_back(std::move(entry.second));
    }
}

std::vector<TimeZoneInfo> BuildSystemTimeZones() {
    const QList<QByteArray> ianaIds = QTimeZone::availableTimeZoneIds();
    if (ianaIds.isEmpty()) {
        static constexpr const char* Location = "TimeZoneInfo::GetSystemTimeZones (16)";
        throw ApplicationException(Location);
    }
    const ZoneNames zoneNames = ReadZoneNames();
    const std::set<QByteArray> windowsIds = WindowsIdsOfSystem(ianaIds, zoneNames);
    if (windowsIds.empty()) {
        static constexpr const char* Location = "TimeZoneInfo::GetSystemTimeZones (19)";
        throw ApplicationException(Location);
    }
    const int year = DateTime::UtcNow().Year();
    std::vector<TimeZoneInfo> zones;
    for (const QByteArray& windowsId : windowsIds) {
        try {
            const QByteArray ianaId = SystemZoneFor(windowsId, zoneNames);
            zones.push_back(
                TimeZoneInfo::FromTzDatabase(windowsId.toStdString(), ianaId.toStdString(), year));
        } catch (...) {
            qCInfo(lcData) << "a time zone is left out:" << CurrentExceptionText().c_str();
            // A zone that cannot be read costs only itself.
        }
    }
    MakeDisplayNamesUnique(zones);
    SortByDisplayName(zones);
    return zones;
}

bool EqualIgnoringCase(std::string_view left, const std::string& right) {
    return QString::fromUtf8(left.data(), static_cast<qsizetype>(left.size()))
               .compare(QString::fromStdString(right), Qt::CaseInsensitive) == 0;
}

}  // namespace

const std::vector<TimeZoneInfo>& TimeZoneInfo::GetSystemTimeZones() {
    static std::mutex mutex;
    static std::vector<TimeZoneInfo> zones;
    static bool built = false;
    const std::lock_guard<std::mutex> lock(mutex);
    if (!built) {
        zones = BuildSystemTimeZones();
        built = true;
    }
    return zones;
}

TimeZoneInfo TimeZoneInfo::FindTimeZoneById(std::string_view id) {
    for (const TimeZoneInfo& zone : GetSystemTimeZones()) {
        if (EqualIgnoringCase(id, zone.Id)) {
            return zone;
        }
    }
    static constexpr const char* Location = "TimeZoneInfo::FindTimeZoneById (61)";
    throw ApplicationException(Location);
}

TimeZoneInfo TimeZoneInfo::FindTimeZoneByDisplayName(std::string_view displayName) {
    for (const TimeZoneInfo& zone : GetSystemTimeZones()) {
        if (EqualIgnoringCase(displayName, zone.DisplayName)) {
            return zone;
        }
    }
    static constexpr const char* Location = "TimeZoneInfo::FindTimeZoneByDisplayName (72)";
    throw ApplicationException(Location);
}

TimeZoneInfo TimeZoneInfo::FromTzDatabase(const std::string& id, const std::string& ianaId,
                                          int year) {
    // Qt reads an empty id as the machine's own zone.
    const QTimeZone zone =
        ianaId.empty() ? QTimeZone() : QTimeZone(QByteArray::fromStdString(ianaId));
    if (!zone.isValid()) {
        static constexpr const char* Location = "TimeZoneInfo::GetSystemTimeZones (33)";
        throw ApplicationException(Location);
    }
    TimeZoneInfo info;
    info.Id = id;
    info.IanaId = ianaId;
    DeriveRules(zone, year, info);
    info.DisplayName = BuildDisplayName(info, zone);
    return info;
}

Nullable<DateTime> TimeZoneInfo::TransitionTime(const SystemTime& rule, int year) {
    const bool recurring = rule.Year == 0;
    if (rule.Month < 1 || rule.Month > 12 || (!recurring && rule.Year != year) || year < 1 ||
        year > 9999 || rule.Hour < 0 || rule.Hour > 23 || rule.Minute < 0 || rule.Minute > 59 ||
        rule.Second < 0 || rule.Second > 59) {
        return {};
    }
    const int daysInMonth = QDate(year, rule.Month, 1).daysInMonth();
    int day = rule.Day;
    if (recurring) {
        if (rule.DayOfWeek < 0 || rule.DayOfWeek > 6 || rule.Day < 1 || rule.Day > 5) {
            return {};
        }
        const int firstWeekday = DateTime(year, rule.Month, 1).DayOfWeek();
        day = 1 + (rule.DayOfWeek - firstWeekday + 7) % 7 + (rule.Day - 1) * 7;
        while (day > daysInMonth) {
            day -= 7;
        }
    } else if (day < 1 || day > daysInMonth) {
        return {};
    }
    return DateTime(year, rule.Month, day, rule.Hour, rule.Minute, rule.Second);
}
