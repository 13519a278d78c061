#include "render/WeatherPicture.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <string>

#include "render/Graphics.h"
#include "render/WeatherPictures.h"
#include "weather/WeatherCodes.h"

namespace {

constexpr int TemperatureEmSize = 25;
constexpr int DescriptionEmSize = 15;
const QColor OutlineColor(0x3C, 0x3C, 0x3C);

// A path holds no line breaks of its own: every "\r\n"-separated line is placed by
// hand, right-aligned to the box and stacked from its top. The box never clips.
QPainterPath TextPath(const std::string& text, const QFont& font, const QRectF& box) {
    const QFontMetricsF metrics(font);
    const QStringList lines = QString::fromStdString(text).split(QStringLiteral("\r\n"));
    QPainterPath path;
    qreal top = box.top();
    for (const QString& line : lines) {
        const qreal left = box.right() - metrics.horizontalAdvance(line);
        path.addText(QPointF(left, top + metrics.ascent()), font, line);
        top += metrics.lineSpacing();
    }
    return path;
}

void DrawOutlinedText(QPainter& painter, const std::string& text, int emSize, const QRectF& box) {
    const QPainterPath path =
        TextPath(text, Graphics::PixelFont(QStringLiteral("sans-serif"), emSize, true), box);
    painter.strokePath(path, QPen(OutlineColor, 1.0));
    painter.fillPath(path, Qt::white);
}

// Scaled to cover the whole panel, centred, the overflow cut off.
QRectF CoverRect(const QImage& image, const QRect& panel) {
    const float iw = static_cast<float>(image.width());
    const float ih = static_cast<float>(image.height());
    const float x = static_cast<float>(panel.x());
    const float y = static_cast<float>(panel.y());
    const float w = static_cast<float>(panel.width());
    const float h = static_cast<float>(panel.height());
    const float mh = ih * w / iw;
    const float mw = iw * h / ih;
    if (h > mh) {
        return QRectF(x + (w - mw) / 2.0F, y, mw, h);
    }
    return QRectF(x, y + (h - mh) / 2.0F, w, mh);
}

}  // namespace

QImage ComposeWeatherPicture(const COptions& options, WeatherPictures& pictures,
                             const std::vector<Screen>& screens, const DateTime& utcNow) {
    std::vector<Screen> devices = screens;
    for (Screen& screen : devices) {
        screen.Bounds = screen.DeviceBounds();
    }
    const ScreenRect virtualScreen = VirtualScreen(devices);
    QImage picture(virtualScreen.Width(), virtualScreen.Height(), QImage::Format_RGB32);
    if (picture.isNull()) {
        return picture;
    }
    picture.fill(Qt::black);
    QPainter painter(&picture);
    Graphics::PreparePainter(painter);
    for (const Screen& screen : screens) {
        // Each panel in its screen's logical pixels, scaled to its device pixels.
        const ScreenRect device = screen.DeviceBounds();
        const Screen own = screen.AtOrigin();
        painter.save();
        painter.translate(device.Left - virtualScreen.Left, device.Top - virtualScreen.Top);
        painter.scale(screen.Ratio, screen.Ratio);
        DrawWeatherPanel(painter, options, pictures, own.Bounds.ToQRect(), own.WorkArea.ToQRect(),
                         utcNow);
        painter.restore();
    }
    painter.end();
    return picture;
}

void DrawWeatherPanel(QPainter& painter, const COptions& options, WeatherPictures& pictures,
                      const QRect& bounds, const QRect& workArea, const DateTime& utcNow) {
    Graphics::PreparePainter(painter);
    if (!pictures.Sky().isNull()) {
        painter.drawImage(QRectF(bounds), pictures.Sky());
    }

    const City* city = options.HomeCity.Get();
    if (city == nullptr || !city->CurrentWeather.ReportDateTime.IsWithin48Hours(utcNow)) {
        return;
    }
    const CCurrentWeather& weather = city->CurrentWeather;

    const bool isDay = IsDaytime(*city, utcNow);
    const QImage* background = pictures.WeatherBackground(isDay, weather.WeatherCode, utcNow);
    if (background != nullptr && !background->isNull()) {
        // A neighbouring screen's panel must not be painted over.
        painter.save();
        painter.setClipRect(bounds, Qt::IntersectClip);
        painter.drawImage(CoverRect(*background, bounds), *background);
        painter.restore();
    }

    const std::string temperature = TemperatureText(weather.Temprature, options.UseMetricSystem);
    const std::string description = DisplayText(weather.WeatherCode) + "\r\n" + city->CityName;

    const qreal left = workArea.x();
    const qreal top = workArea.y();
    const qreal width = workArea.width();
    const qreal height = workArea.height();
    DrawOutlinedText(painter, temperature, TemperatureEmSize,
                     QRectF(left - 20, top + 20, width, height));
    DrawOutlinedText(painter, description, DescriptionEmSize,
                     QRectF(left + width - 20 - 10000, top + 50, 10000, 10000));
}
