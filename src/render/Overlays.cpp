#include "render/Overlays.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <algorithm>
#include <cmath>
#include <string>

#include "core/Exceptions.h"
#include "render/Graphics.h"
#include "render/RenderLog.h"
#include "render/WeatherPictures.h"
#include "weather/WeatherCodes.h"

namespace {

// Far outside any picture, yet safe to add picture sizes to.
constexpr float PixelLimit = 1073741824.0F;

// Layout boxes are this large so that no text is ever wrapped.
constexpr qreal LayoutBoxSize = 1000.0;

// Out-of-range values would make the conversion undefined; they land far off the picture.
int TruncateToPixel(float value) {
    if (std::isnan(value)) {
        return static_cast<int>(-PixelLimit);
    }
    return static_cast<int>(std::clamp(value, -PixelLimit, PixelLimit));
}

// Stands in for "\r\n" of the stored texts: Qt breaks lines at "\n" only.
QString ToDrawnText(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QSizeF MeasureText(QPainter& painter, const QFont& font, const QString& text, int flags) {
    painter.setFont(font);
    return painter.boundingRect(QRectF(0.0, 0.0, LayoutBoxSize, LayoutBoxSize), flags, text).size();
}

// A dark copy one pixel down and right keeps a label readable over bright ice and dark
// sea alike without moving it.
void DrawLabel(QPainter& painter, const QRectF& box, int flags, const QString& text,
               const QFont& font, Color color) {
    const QColor textColor = Graphics::ToQColor(color);
    const QColor shadowColor(0, 0, 0, textColor.alpha() * 3 / 5);
    painter.setFont(font);
    if (shadowColor.alpha() > 0) {
        painter.setPen(shadowColor);
        painter.drawText(box.translated(1.0, 1.0), flags, text);
    }
    painter.setPen(textColor);
    painter.drawText(box, flags, text);
}

// Puts back the caller's pen and font also when a drawing step raises.
class PainterStateGuard {
public:
    explicit PainterStateGuard(QPainter& painter) : painter_(painter) { painter_.save(); }
    PainterStateGuard(const PainterStateGuard&) = delete;
    PainterStateGuard& operator=(const PainterStateGuard&) = delete;
    ~PainterStateGuard() { painter_.restore(); }

private:
    QPainter& painter_;
};

enum class CityPass { Name, Icon, Temperature };

void DrawCityPass(QPainter& painter, const COptions& options, const WeatherPictures& pictures,
                  const QRect& dest, const DateTime& utcNow, CityPass pass) {
    const auto drawOne = [&](const City& city) {
        try {
            const QPoint position =
                CityPosition(options.Region, dest, city.Latitude, city.Longitude);
            DrawCityItem(painter, options, pictures, city, pass == CityPass::Name,
                         pass == CityPass::Temperature, pass == CityPass::Icon, position, utcNow);
        } catch (...) {
            qCDebug(lcRender) << "a city was not drawn:" << CurrentExceptionText().c_str();
            // One damaged city must not cost the others their labels.
        }
    };
    if (options.Cities) {
        for (const City& city : *options.Cities) {
            drawOne(city);
        }
    }
    if (options.HomeCity) {
        drawOne(*options.HomeCity);
    }
}

}  // namespace

QPoint CityPosition(const RegionRecord& region, const QRect& dest, float latitude,
                    float longitude) {
    const auto left = static_cast<float>(region.West);
    const auto top = static_cast<float>(region.North);
    const auto right = static_cast<float>(region.East);
    const auto bottom = static_cast<float>(region.South);
    const float x = static_cast<float>(dest.x()) +
                    (longitude - left) * static_cast<float>(dest.width()) / (right - left);
    const float y = static_cast<float>(dest.y()) +
                    (latitude - top) * static_cast<float>(dest.height()) / (bottom - top);
    return QPoint(TruncateToPixel(x), TruncateToPixel(y));
}

void DrawCities(QPainter& painter, const COptions& options, const WeatherPictures& pictures,
                const QRect& dest, const DateTime& utcNow) {
    if (options.DispalyCityName) {
        DrawCityPass(painter, options, pictures, dest, utcNow, CityPass::Name);
    }
    DrawCityPass(painter, options, pictures, dest, utcNow, CityPass::Icon);
    if (options.DisplayCityTemprature) {
        DrawCityPass(painter, options, pictures, dest, utcNow, CityPass::Temperature);
    }
}

void DrawCityItem(QPainter& painter, const COptions& options, const WeatherPictures& pictures,
                  const City& city, bool drawName, bool drawTemperature, bool drawIcon,
                  QPoint position, const DateTime& utcNow) {
    const CCurrentWeather& weather = city.CurrentWeather;
    if (!weather.ReportDateTime.IsWithin48Hours(utcNow)) {
        return;
    }
    const PainterStateGuard guard(painter);
    const int px = position.x();
    const int py = position.y();

    const bool isDay = IsDaytime(city, utcNow);
    const QImage* icon = pictures.SmallIcon(weather.WeatherCode, isDay);
    if (icon != nullptr && icon->isNull()) {
        icon = nullptr;
    }

    // Without an icon the box is one pixel at the city and the scale stays 1.
    float scale = 1.0F;
    int iconW = 1;
    int iconH = 1;
    if (icon != nullptr) {
        // A negative scale from a hand-edited file would mirror the icon: draw none instead.
        scale = std::max(0.0F, static_cast<float>(options.WeatherIconScale) / 100.0F);
        iconW = TruncateToPixel(scale * static_cast<float>(icon->width()));
        iconH = TruncateToPixel(scale * static_cast<float>(icon->height()));
        if (drawIcon && iconW > 0 && iconH > 0) {
            painter.drawImage(QRect(px - iconW / 2, py - iconH / 2, iconW, iconH), *icon);
        }
    }

    const std::string name = options.DispalyCityName ? city.CityName : std::string();
    const std::string temperature =
        options.DisplayCityTemprature && weather.Temprature.HasValue()
            ? TemperatureText(weather.Temprature.Value(), options.UseMetricSystem)
            : std::string();

    if (!name.empty() && !temperature.empty()) {
        if (!drawName && !drawTemperature) {
            return;
        }
        const QFont nameFont = Graphics::ToQFont(options.FontCityName);
        const QFont temperatureFont = Graphics::ToQFont(options.FontCityTemprature);
        const QString nameText = ToDrawnText(name);
        const QString temperatureText = ToDrawnText(temperature);
        const int measureFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;
        const QSizeF nameSize = MeasureText(painter, nameFont, nameText, measureFlags);
        const QSizeF temperatureSize =
            MeasureText(painter, temperatureFont, temperatureText, measureFlags);

        const qreal total = nameSize.width() + temperatureSize.width();
        const qreal lineH = std::max(nameSize.height(), temperatureSize.height());
        // The line sits on the icon's bottom edge, raised into the icon by a quarter of
        // its height times the scale, or by the line's own height when that is less.
        const qreal raise =
            std::min(static_cast<qreal>(static_cast<float>(iconH) * scale * 0.25F), lineH);
        const qreal top = static_cast<qreal>(py + iconH / 2) - raise;
        const qreal lineLeft = px - total / 2.0;
        if (drawName) {
            const QRectF box(lineLeft - LayoutBoxSize, top, nameSize.width() + LayoutBoxSize,
                             lineH);
            DrawLabel(painter, box, Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip, nameText,
                      nameFont, options.ColorCityName);
        }
        if (drawTemperature) {
            const QRectF box(lineLeft + nameSize.width(), top,
                             temperatureSize.width() + LayoutBoxSize, lineH);
            DrawLabel(painter, box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                      temperatureText, temperatureFont, options.ColorCityTemprature);
        }
        return;
    }

    const QRectF singleBox(px - 500, py + iconH / 4, LayoutBoxSize, LayoutBoxSize);
    const int singleFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip;
    if (drawName && !name.empty()) {
        DrawLabel(painter, singleBox, singleFlags, ToDrawnText(name),
                  Graphics::ToQFont(options.FontCityName), options.ColorCityName);
    } else if (drawTemperature && !temperature.empty()) {
        DrawLabel(painter, singleBox, singleFlags, ToDrawnText(temperature),
                  Graphics::ToQFont(options.FontCityTemprature), options.ColorCityTemprature);
    }
}

int BalancedColumns(int count, int perRow) {
    const int columns = std::clamp(perRow, 1, std::max(count, 1));
    const int rows = (count + columns - 1) / columns;
    return rows > 0 ? (count + rows - 1) / rows : columns;
}

std::vector<QRect> LayoutTimeZoneBlocks(const std::vector<QSize>& sizes, const QRect& workArea) {
    std::vector<QRect> boxes;
    if (sizes.empty()) {
        return boxes;
    }
    boxes.reserve(sizes.size());
    const int n = static_cast<int>(sizes.size());
    const int left = workArea.x();
    const int c = workArea.width();
    const int y0 = workArea.y() + 5;

    int maxW = 1;
    int maxH = 1;
    int total = 20 * (n - 1);
    for (const QSize& size : sizes) {
        maxW = std::max(maxW, size.width());
        maxH = std::max(maxH, size.height());
        total += size.width();
    }

    if (n == 1 || total <= c) {
        int x = left + (c - total) / 2;
        for (const QSize& size : sizes) {
            boxes.emplace_back(x - 50, y0, size.width() + 100, 1000);
            x += size.width() + 20;
        }
        return boxes;
    }

    const int cell = maxW <= 9 ? 10 : std::min(c, maxW);
    const int columns = BalancedColumns(n, (c + 20) / (cell + 20));
    const int offset = (c - (maxW + 20) * columns + 20) / 2;
    for (int i = 0; i < n; ++i) {
        const int row = i / columns;
        const int column = i % columns;
        const int x = left + (cell + 20) * column + offset;
        const int y = y0 + (maxH + 20) * row;
        boxes.emplace_back(x - 50, y, cell + 100, 1000);
    }
    return boxes;
}

void DrawTimeZonesOnMap(QPainter& painter, COptions& options, const QRect& workArea,
                        const DateTime& utcNow) {
    try {
        if (!options.TimeZones || options.TimeZones->empty()) {
            return;
        }
        std::vector<TimeZoneItem>& zones = *options.TimeZones;
        const PainterStateGuard guard(painter);
        const QFont font = Graphics::ToQFont(options.FontTzMap);
        const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip;

        // A fixed sample time keeps the blocks from shifting as the minutes change.
        const std::string sample = TimeZoneItem::FormatSampleTime(
            options.TzShowDayOfWeek, options.TzShowDate, options.TzHourFormat);
        std::vector<QSize> sizes;
        sizes.reserve(zones.size());
        for (TimeZoneItem& zone : zones) {
            const QSizeF measured =
                MeasureText(painter, font, ToDrawnText(sample + "\r\n" + zone.Label), flags);
            zone.TextWidth = TruncateToPixel(static_cast<float>(std::ceil(measured.width())));
            zone.TextHeight = TruncateToPixel(static_cast<float>(std::ceil(measured.height())));
            sizes.emplace_back(zone.TextWidth, zone.TextHeight);
        }

        const std::vector<QRect> boxes = LayoutTimeZoneBlocks(sizes, workArea);
        const SystemTime utc = utcNow.ToSystemTime();
        for (std::size_t i = 0; i < zones.size() && i < boxes.size(); ++i) {
            const std::string time = zones[i].UtcToLocalTimeAsString(
                options.TzShowDayOfWeek, options.TzShowDate, options.TzHourFormat, utc);
            DrawLabel(painter, QRectF(boxes[i]), flags, ToDrawnText(time + "\r\n" + zones[i].Label),
                      font, options.ColorTzMap);
        }
    } catch (...) {
        qCDebug(lcRender) << "the clocks were not drawn:" << CurrentExceptionText().c_str();
        // The clocks are an extra: the rest of the picture is still worth showing.
    }
}
