#include "render/LocalWeatherPicture.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <climits>
#include <vector>

#include "data/Options.h"
#include "data/Settings.h"
#include "render/Graphics.h"
#include "render/LocalWeatherLayout.h"
#include "render/WeatherPictures.h"
#include "weather/OpenMeteo.h"
#include "weather/WeatherCodes.h"

const char* const LocalWeatherHintText =
    "To see local weather information, open 'Options' and select your 'Home City'";

namespace {

using namespace LocalWeatherLayout;

constexpr const char* DayLabel = "D\r\nA\r\nY";
constexpr const char* NightLabel = "N\r\nI\r\nG\r\nH\r\nT";

// Every font is "Arial" in pixels.
constexpr int CityNamePixels = 10;
constexpr int TemperaturePixels = 35;
constexpr int DayOfWeekPixels = 10;
constexpr int LabelPixels = 6;
constexpr int ForecastPixels = 10;
constexpr int HintPixels = 10;
constexpr int CreditPixels = 9;

constexpr int ColumnsLeft = 30;
constexpr int HeadingTop = 140;
constexpr int ForecastTemperaturesTop = 155;
constexpr int HeadingHeight = 15;
constexpr int DayRowTop = 170;
constexpr int NightRowTop = 200;  // plus the day row's height
constexpr int LabelLeft = 10;
constexpr int LabelWidth = 20;
// The city name's top sits this far above the temperature's bottom.
constexpr int CityNameRise = 5;
constexpr int NameBoxSize = 10000;
// Narrow forecasts still have the texts' width for the credit.
constexpr int MinCreditWidth = 245;

QFont ArialPixels(int pixels, bool bold) {
    return Graphics::PixelFont(QStringLiteral("Arial"), pixels, bold);
}

// The texts keep their "\r\n"; Qt breaks lines at "\n" alone.
QString Lines(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Laid out in logical pixels, held in the screen's device pixels.
QImage NewPicture(QSize size, double ratio) {
    QImage picture((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    if (!picture.isNull()) {
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
    }
    return picture;
}

void PrepareTextPainter(QPainter& painter) {
    Graphics::PreparePainter(painter);
    painter.setPen(Qt::white);
}

// The shadow as a nine-slice: corners unscaled, edges stretched along the
// panel, the centre both ways; a panel no longer than two corners in a
// direction gets only the corners there.
void DrawPanel(QPainter& painter, const QImage& shadow, const QRect& panel) {
    if (shadow.isNull()) {
        return;
    }
    struct Band {
        int SourceStart;
        int SourceLength;
        int TargetStart;
        int TargetLength;
    };
    const auto bands = [](int sourceSize, int targetStart, int targetSize) {
        const int slice = PanelCornerSlice;
        std::vector<Band> result{{0, slice, targetStart, slice}};
        if (targetSize > 2 * slice && sourceSize > 2 * slice) {
            result.push_back(
                {slice, sourceSize - 2 * slice, targetStart + slice, targetSize - 2 * slice});
        }
        result.push_back({sourceSize - slice, slice, targetStart + targetSize - slice, slice});
        return result;
    };
    for (const Band& row : bands(shadow.height(), panel.y(), panel.height())) {
        for (const Band& column : bands(shadow.width(), panel.x(), panel.width())) {
            painter.drawImage(
                QRect(column.TargetStart, row.TargetStart, column.TargetLength, row.TargetLength),
                shadow,
                QRect(column.SourceStart, row.SourceStart, column.SourceLength, row.SourceLength));
        }
    }
}

// Scaled to fit the box, keeping its aspect ratio, centred in it.
void DrawFitted(QPainter& painter, const QImage& image, const QRectF& box) {
    if (image.isNull()) {
        return;
    }
    const QSizeF size = QSizeF(image.size()).scaled(box.size(), Qt::KeepAspectRatio);
    const QPointF corner = box.center() - QPointF(size.width() / 2, size.height() / 2);
    painter.drawImage(QRectF(corner, size), image);
}

bool IsFresh(const DateTime& reportTime, const DateTime& utcNow) {
    return reportTime.IsWithin48Hours(utcNow);
}

void DrawCurrentIcon(QPainter& painter, const City& city, const WeatherPictures& pictures,
                     const DateTime& utcNow) {
    const CCurrentWeather& weather = city.CurrentWeather;
    const QImage& notAvailable = pictures.LargeNotAvailable();
    const QImage& icon =
        IsFresh(weather.ReportDateTime, utcNow) && weather.WeatherCode.HasValue()
            ? pictures.LargeIcon(weather.WeatherCode, IsDaytime(city, utcNow), notAvailable)
            : notAvailable;
    DrawFitted(painter, icon, QRectF(LargeIconRect));
}

// The temperature at the top right of the box and the city name right under
// its digits: a trailing degree sign does not push the name to the left.
void DrawTemperatureAndCity(QPainter& painter, const COptions& options, const City& city,
                            const QRectF& box, const DateTime& utcNow) {
    const CCurrentWeather& weather = city.CurrentWeather;
    const QString temperature =
        QString::fromStdString(IsFresh(weather.ReportDateTime, utcNow)
                                   ? TemperatureText(weather.Temprature, options.UseMetricSystem)
                                   : "--");
    const QFont temperatureFont = ArialPixels(TemperaturePixels, true);
    painter.setFont(temperatureFont);
    painter.drawText(box, Qt::AlignRight | Qt::AlignTop, temperature);

    const QFontMetricsF metrics(temperatureFont);
    const QString allButLast = temperature.left(temperature.size() - 1);
    const qreal right = box.right() - (metrics.horizontalAdvance(temperature) -
                                       metrics.horizontalAdvance(allButLast));
    const qreal top = box.top() + metrics.height() - CityNameRise;
    painter.setFont(ArialPixels(CityNamePixels, true));
    painter.drawText(QRectF(right - NameBoxSize, top, NameBoxSize, NameBoxSize),
                     Qt::AlignRight | Qt::AlignTop, QString::fromStdString(city.CityName));
}

// A forecast summary wrapped to the column's width and centred. Only lines
// that fit whole into the height are kept, and a word wider than the column
// is broken: nothing spills into the next row or column.
class Summary {
public:
    Summary(const std::string& text, qreal maxHeight)
        : layout_(QString::fromStdString(text), ArialPixels(ForecastPixels, false)) {
        if (text.empty()) {
            return;
        }
        QTextOption option(Qt::AlignHCenter);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout_.setTextOption(option);
        layout_.beginLayout();
        for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
            line.setLineWidth(ColumnWidth);
            if (height_ + line.height() > maxHeight) {
                break;
            }
            line.setPosition(QPointF(0, height_));
            height_ += line.height();
            ++lines_;
        }
        layout_.endLayout();
    }

    qreal Height() const { return height_; }

    void Draw(QPainter& painter, const QPointF& topLeft) const {
        for (int index = 0; index < lines_; ++index) {
            layout_.lineAt(index).draw(&painter, topLeft);
        }
    }

private:
    QTextLayout layout_;
    qreal height_ = 0;
    int lines_ = 0;
};

struct RowHeights {
    double Day = MinRowHeight;
    double Night = MinRowHeight;
};

RowHeights MeasureRows(const std::vector<CForecastItem>& items,
                       const std::vector<ForecastColumn>& columns) {
    RowHeights rows;
    const auto measure = [&items](int index, double& height) {
        if (index >= 0) {
            const auto& summary = items[static_cast<std::size_t>(index)].WeatherSummary;
            height = std::max(height, Summary(summary, MaxRowHeight).Height());
        }
    };
    for (const ForecastColumn& column : columns) {
        measure(column.DayItem, rows.Day);
        measure(column.NightItem, rows.Night);
    }
    rows.Day = std::min<double>(rows.Day, MaxRowHeight);
    rows.Night = std::min<double>(rows.Night, MaxRowHeight);
    return rows;
}

void DrawForecastItem(QPainter& painter, const WeatherPictures& pictures, const CForecastItem& item,
                      bool isDay, qreal x, qreal y, qreal rowHeight) {
    if (const QImage* icon = pictures.SmallIcon(item.WeatherCode, isDay)) {
        DrawFitted(painter, *icon, QRectF(x, y, ColumnWidth, IconCellHeight));
    }
    Summary(item.WeatherSummary, rowHeight).Draw(painter, QPointF(x, y + IconCellHeight));
}

void DrawForecast(QPainter& painter, const COptions& options, const WeatherPictures& pictures,
                  const std::vector<CForecastItem>& items,
                  const std::vector<ForecastColumn>& columns, const RowHeights& rows) {
    painter.setFont(ArialPixels(LabelPixels, false));
    const int labelFlags = Qt::AlignCenter | Qt::TextDontClip;
    painter.drawText(QRectF(LabelLeft, DayRowTop, LabelWidth, rows.Day + IconCellHeight),
                     labelFlags, Lines(DayLabel));
    const qreal nightTop = NightRowTop + rows.Day;
    painter.drawText(QRectF(LabelLeft, nightTop, LabelWidth, rows.Night + IconCellHeight),
                     labelFlags, Lines(NightLabel));

    for (std::size_t index = 0; index < columns.size(); ++index) {
        const ForecastColumn& column = columns[index];
        const qreal x = ColumnsLeft + ColumnWidth * static_cast<qreal>(index);
        const CForecastItem* day =
            column.DayItem >= 0 ? &items[static_cast<std::size_t>(column.DayItem)] : nullptr;
        const CForecastItem* night =
            column.NightItem >= 0 ? &items[static_cast<std::size_t>(column.NightItem)] : nullptr;
        const CForecastItem& heading = day != nullptr ? *day : *night;

        painter.setFont(ArialPixels(DayOfWeekPixels, true));
        painter.drawText(QRectF(x, HeadingTop, ColumnWidth, HeadingHeight),
                         Qt::AlignHCenter | Qt::AlignTop,
                         QString::fromLatin1(
                             DateTime::DayOfWeekString_ShortUppercase(heading.Start.DayOfWeek())));
        painter.setFont(ArialPixels(ForecastPixels, false));
        painter.drawText(
            QRectF(x, ForecastTemperaturesTop, ColumnWidth, HeadingHeight),
            Qt::AlignHCenter | Qt::AlignTop,
            QString::fromStdString(ForecastTemperatureText(
                heading.MaxTemprature, heading.MinTemprature, options.UseMetricSystem)));
        if (day != nullptr) {
            DrawForecastItem(painter, pictures, *day, true, x, DayRowTop, rows.Day);
        }
        if (night != nullptr) {
            DrawForecastItem(painter, pictures, *night, false, x, nightTop, rows.Night);
        }
    }
}

// Right under the night row, ending with the last column.
void DrawCredit(QPainter& painter, std::size_t columns, const RowHeights& rows) {
    const qreal top = NightRowTop + rows.Day + IconCellHeight + rows.Night;
    const qreal width = ColumnWidth * static_cast<qreal>(columns);
    painter.setFont(ArialPixels(CreditPixels, false));
    painter.drawText(QRectF(ColumnsLeft, top, std::max<qreal>(width, MinCreditWidth), CreditHeight),
                     Qt::AlignRight | Qt::AlignVCenter | Qt::TextDontClip,
                     QString::fromLatin1(OpenMeteo::Credit));
}

QImage ComposeHint(const WeatherPictures& pictures, double ratio) {
    QImage picture = NewPicture(HintSize, ratio);
    if (picture.isNull()) {
        return picture;
    }
    QPainter painter(&picture);
    PrepareTextPainter(painter);
    DrawPanel(painter, pictures.LocalWeatherShadow(), QRect(QPoint(0, 0), HintSize));
    painter.setFont(ArialPixels(HintPixels, true));
    painter.drawText(QRectF(HintTextRect), Qt::AlignCenter | Qt::TextWordWrap | Qt::TextDontClip,
                     QString::fromLatin1(LocalWeatherHintText));
    return picture;
}

QImage ComposeIconOnly(const City& city, const WeatherPictures& pictures, const DateTime& utcNow,
                       double ratio) {
    QImage picture = NewPicture(IconOnlySize, ratio);
    if (picture.isNull()) {
        return picture;
    }
    QPainter painter(&picture);
    Graphics::PreparePainter(painter);
    DrawCurrentIcon(painter, city, pictures, utcNow);
    return picture;
}

QImage ComposeSmall(const COptions& options, const City& city, const WeatherPictures& pictures,
                    const DateTime& utcNow, double ratio) {
    QImage picture = NewPicture(SmallSize, ratio);
    if (picture.isNull()) {
        return picture;
    }
    QPainter painter(&picture);
    PrepareTextPainter(painter);
    DrawPanel(painter, pictures.LocalWeatherShadow(), SmallPanel);
    DrawTemperatureAndCity(painter, options, city, QRectF(SmallTextRect), utcNow);
    DrawCurrentIcon(painter, city, pictures, utcNow);
    return picture;
}

QImage ComposeLarge(const COptions& options, const City& city, const WeatherPictures& pictures,
                    const DateTime& utcNow, double ratio) {
    const CForecast& forecast = city.Forecast;
    const bool withForecast = IsFresh(forecast.ReportDateTime, utcNow) && !forecast.Items.empty();
    const std::vector<CForecastItem>& items = forecast.Items;
    std::vector<ForecastColumn> columns;
    RowHeights rows;
    if (withForecast) {
        const int count = static_cast<int>(std::min<std::size_t>(items.size(), INT_MAX / 2));
        columns = ForecastColumns(count, items.front().Start.Hour() < 12);
        rows = MeasureRows(items, columns);
    }
    const bool withCredit = withForecast && forecast.Source == ForecastSource::OpenMeteo;
    const LargeGeometry geometry =
        LargeLayout(static_cast<int>(columns.size()), rows.Day, rows.Night, withCredit);

    QImage picture = NewPicture(geometry.Picture, ratio);
    if (picture.isNull()) {
        return picture;
    }
    QPainter painter(&picture);
    PrepareTextPainter(painter);
    DrawPanel(painter, pictures.LocalWeatherShadow(), geometry.Panel);
    if (withForecast) {
        DrawForecast(painter, options, pictures, items, columns, rows);
    }
    if (withCredit) {
        DrawCredit(painter, columns.size(), rows);
    }
    // Unlike Small, the texts go over the icon here.
    DrawCurrentIcon(painter, city, pictures, utcNow);
    DrawTemperatureAndCity(painter, options, city, QRectF(geometry.Text), utcNow);
    return picture;
}

}  // namespace

QImage ComposeLocalWeatherPicture(const COptions& options, const WeatherPictures& pictures,
                                  int mode, const DateTime& utcNow, double ratio) {
    const City* city = options.HomeCity.Get();
    if (city == nullptr) {
        return ComposeHint(pictures, ratio);
    }
    switch (mode) {
        case CSettings::ModeIconOnly:
            return ComposeIconOnly(*city, pictures, utcNow, ratio);
        case CSettings::ModeSmall:
            return ComposeSmall(options, *city, pictures, utcNow, ratio);
        default:
            return ComposeLarge(options, *city, pictures, utcNow, ratio);
    }
}

std::string ForecastTemperatureText(const Nullable<float>& maximum, const Nullable<float>& minimum,
                                    bool metric) {
    return TemperatureText(maximum, metric) + "/" + TemperatureText(minimum, metric);
}
