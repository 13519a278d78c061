#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <string>

namespace TestSupport {

// An answer of the worldwide forecast service as it would come today for a place
// offsetSeconds east of UTC: eight days of hours from the place's midnight, mild
// days and cool nights, each day and each night with a weather of its own.
inline std::string WorldForecastAnswer(int offsetSeconds = 7200) {
    const QDateTime midnight(
        QDateTime::currentDateTimeUtc().addSecs(offsetSeconds).date().startOfDay(Qt::UTC));
    // WMO codes of the nights (even) and days (odd), from the night before the first day.
    static constexpr int PeriodCodes[] = {0, 0, 1, 2, 3, 81, 61, 95, 45, 1, 2, 3, 0, 61, 1, 0, 2};
    QJsonArray times;
    QJsonArray temperatures;
    QJsonArray codes;
    for (int hour = 0; hour < 8 * 24; ++hour) {
        const int day = hour / 24;
        const int hourOfDay = hour % 24;
        times.append(midnight.addSecs(hour * 3600).toString(QStringLiteral("yyyy-MM-ddTHH:mm")));
        const int warmth = hourOfDay < 6 ? 0 : hourOfDay < 15 ? hourOfDay - 5 : 24 - hourOfDay;
        temperatures.append(10.0 + day + warmth);
        codes.append(PeriodCodes[(hour + 6) / 12]);
    }
    QJsonObject hourly;
    hourly.insert(QStringLiteral("time"), times);
    hourly.insert(QStringLiteral("temperature_2m"), temperatures);
    hourly.insert(QStringLiteral("weather_code"), codes);
    QJsonObject answer;
    answer.insert(QStringLiteral("utc_offset_seconds"), offsetSeconds);
    answer.insert(QStringLiteral("timezone"), QStringLiteral("Europe/Paris"));
    answer.insert(QStringLiteral("hourly"), hourly);
    return QJsonDocument(answer).toJson(QJsonDocument::Compact).toStdString();
}

}  // namespace TestSupport
