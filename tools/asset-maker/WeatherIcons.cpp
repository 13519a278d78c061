#include "WeatherIcons.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>
#include <vector>

#include "Images.h"
#include "ToolFailure.h"

namespace {

constexpr IconLayer ClearDay[] = {{"wi_clear-day.svg"}};
constexpr IconLayer ClearNight[] = {{"wi_clear-night.svg"}};
// Fair: the clear sky with one small cloud in front, fewer clouds than "Partly Cloudy".
constexpr IconLayer FairDay[] = {{"wi_clear-day.svg"}, {"wi_cloudy.svg", 26, 24, 38}};
constexpr IconLayer FairNight[] = {{"wi_clear-night.svg"}, {"wi_cloudy.svg", 24, 22, 40}};
constexpr IconLayer Fog[] = {{"wi_fog.svg"}};
constexpr IconLayer Haze[] = {{"wi_haze.svg"}};
constexpr IconLayer PartlyCloudyDay[] = {{"wi_partly-cloudy-day.svg"}};
constexpr IconLayer PartlyCloudyNight[] = {{"wi_partly-cloudy-night.svg"}};
constexpr IconLayer MostlyCloudyDay[] = {{"wi_overcast-day.svg"}};
constexpr IconLayer MostlyCloudyNight[] = {{"wi_overcast-night.svg"}};
constexpr IconLayer Cloudy[] = {{"wi_overcast.svg"}};
// A thermometer with a low blue column and a snowflake beside it.
constexpr IconLayer Cold[] = {
    {"wi_thermometer-glass.svg", -6, 2, 64},
    {"wi_thermometer-mercury-cold.svg", -6, 2, 64},
    {"wi_snowflake.svg", 30, 10, 34},
};
constexpr IconLayer Windy[] = {{"wi_wind.svg"}};
// The same file serves day and night, so no sun or moon: the light-rain cloud.
constexpr IconLayer RainShowers[] = {{.Svg = "wi_drizzle.svg", .FallScale = 1.5, .FallDrop = 6}};
constexpr IconLayer Snow[] = {{.Svg = "wi_snow.svg", .FallScale = 1.5, .FallDrop = 6}};
constexpr IconLayer Hail[] = {{.Svg = "wi_hail.svg", .FallScale = 1.5, .FallDrop = 6}};
constexpr IconLayer Rain[] = {{.Svg = "wi_rain.svg", .FallScale = 1.5, .FallDrop = 6}};
constexpr IconLayer RainAndSnow[] = {{.Svg = "wi_sleet.svg", .FallScale = 1.5, .FallDrop = 6}};
constexpr IconLayer Thunderstorms[] = {{"wi_thunderstorms-rain.svg"}};
// The drawing's dark slate letters vanish on the dark local-weather panel.
constexpr IconLayer NotAvailable[] = {{.Svg = "wi_not-available.svg", .Colour = "#e5e7eb"}};

constexpr IconRecipe IconTable[] = {
    {"Clear.png", ClearDay},
    {"Night Clear.png", ClearNight},
    {"Fair.png", FairDay},
    {"Night Fair.png", FairNight},
    {"Fog.png", Fog},
    {"Haze.png", Haze},
    {"Partly Cloudy.png", PartlyCloudyDay},
    {"Night Partly Cloudy.png", PartlyCloudyNight},
    {"Mostly Cloudy.png", MostlyCloudyDay},
    {"Night Mostly Cloudy.png", MostlyCloudyNight},
    {"Cloudy.png", Cloudy},
    {"Cold.png", Cold},
    {"Windy.png", Windy},
    {"Rain Showers.png", RainShowers},
    {"Snow.png", Snow},
    {"Hail.png", Hail},
    {"Rain.png", Rain},
    {"Rain and Snow.png", RainAndSnow},
    {"Thunderstorms.png", Thunderstorms},
    {"NA.png", NotAvailable},
};

// The drawings leave a wide empty margin in their view box; this part of the 64-unit square
// fills the picture, so that the icons read at the small sizes of the map.
constexpr double FrameLeft = 4;
constexpr double FrameSize = 58;

// The drawing's text, with everything after its first shape (the cloud) grouped under a
// transform that scales it about the middle of the falling row and moves it down.
QByteArray LoadDrawing(const QString& path, const IconLayer& layer) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw ToolFailure("cannot read the drawing " + path.toStdString());
    }
    QByteArray text = file.readAll();
    if (layer.Colour != nullptr) {
        const QString colour = QString::fromUtf8(layer.Colour);
        static const QRegularExpression PlainColour(
            QStringLiteral("(fill|stroke)=\"#[0-9a-fA-F]+\""));
        text = QString::fromUtf8(text)
                   .replace(PlainColour, QStringLiteral("\\1=\"%1\"").arg(colour))
                   .toUtf8();
    }
    if (layer.FallScale == 1 && layer.FallDrop == 0) {
        return text;
    }
    const qsizetype definitions = text.indexOf("</defs>");
    const qsizetype firstShapeEnd = text.indexOf("/>", definitions < 0 ? 0 : definitions);
    const qsizetype closing = text.lastIndexOf("</svg>");
    if (firstShapeEnd < 0 || closing < firstShapeEnd) {
        throw ToolFailure("no cloud shape to keep in place in " + path.toStdString());
    }
    static constexpr double FallCentreX = 31;
    static constexpr double FallCentreY = 45.5;
    const QByteArray group = QStringLiteral(
                                 "<g transform=\"translate(0 %1) translate(%2 %3) "
                                 "scale(%4) translate(-%2 -%3)\">")
                                 .arg(layer.FallDrop)
                                 .arg(FallCentreX)
                                 .arg(FallCentreY)
                                 .arg(layer.FallScale)
                                 .toUtf8();
    text.insert(closing, "</g>");
    text.insert(firstShapeEnd + 2, group);
    return text;
}

QImage PaintLayers(std::span<const IconLayer> layers, const QString& svgFolder, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double scale = size / FrameSize;
    for (const IconLayer& layer : layers) {
        const QString path = QDir(svgFolder).filePath(QString::fromUtf8(layer.Svg));
        QSvgRenderer renderer(LoadDrawing(path, layer));
        if (!renderer.isValid()) {
            throw ToolFailure("cannot read the drawing " + path.toStdString());
        }
        renderer.setAspectRatioMode(Qt::KeepAspectRatio);
        const QRectF target((layer.Left - FrameLeft) * scale, (layer.Top - FrameLeft) * scale,
                            layer.Size * scale, layer.Size * scale);
        renderer.render(&painter, target);
    }
    painter.end();
    return image;
}

// Black, with the icon's coverage grown by `grow` pixels and softened by `soften`.
QImage Silhouette(const QImage& icon, double grow, int soften, double opacity) {
    const int size = icon.width();
    std::vector<float> coverage(static_cast<std::size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(icon.constScanLine(y));
        for (int x = 0; x < size; ++x) {
            coverage[static_cast<std::size_t>(y) * size + x] = qAlpha(line[x]) / 255.0f;
        }
    }
    QImage shadow(size, size, QImage::Format_RGBA32FPx4_Premultiplied);
    const int reach = static_cast<int>(std::ceil(grow));
    for (int y = 0; y < size; ++y) {
        float* line = reinterpret_cast<float*>(shadow.scanLine(y));
        for (int x = 0; x < size; ++x) {
            float strongest = 0.0f;
            for (int dy = -reach; dy <= reach; ++dy) {
                for (int dx = -reach; dx <= reach; ++dx) {
                    const int sx = x + dx;
                    const int sy = y + dy;
                    const double distance = std::hypot(dx, dy);
                    if (sx < 0 || sy < 0 || sx >= size || sy >= size || distance > grow + 0.5) {
                        continue;
                    }
                    // The disc's rim counts partly, so the grown edge stays anti-aliased.
                    const float weight =
                        static_cast<float>(std::clamp(grow + 0.5 - distance, 0.0, 1.0));
                    strongest = std::max(
                        strongest, weight * coverage[static_cast<std::size_t>(sy) * size + sx]);
                }
            }
            const float alpha = strongest * static_cast<float>(opacity);
            line[x * 4 + 0] = 0.0f;
            line[x * 4 + 1] = 0.0f;
            line[x * 4 + 2] = 0.0f;
            line[x * 4 + 3] = alpha;
        }
    }
    BlurImage(shadow, soften);
    return shadow;
}

}  // namespace

std::span<const IconRecipe> WeatherIconTable() {
    return IconTable;
}

QImage RenderIcon(std::span<const IconLayer> layers, const QString& svgFolder, int size,
                  IconEdge edge) {
    const QImage icon = PaintLayers(layers, svgFolder, size);
    if (edge == IconEdge::None) {
        return icon;
    }
    const double unit = size / 64.0;
    QImage result = edge == IconEdge::Outline ? Silhouette(icon, 1.8 * unit, 1, 0.7)
                                              : Silhouette(icon, 0.0, static_cast<int>(unit), 0.35);
    QPainter painter(&result);
    painter.drawImage(0, 0, icon);
    painter.end();
    return result.convertToFormat(QImage::Format_ARGB32);
}

QStringList WriteWeatherIcons(const QString& svgFolder, const QString& assetsFolder) {
    QStringList written;
    const QDir assets(assetsFolder);
    for (const IconRecipe& recipe : IconTable) {
        const QString name = QString::fromUtf8(recipe.FileName);
        const QString small = assets.filePath("SmallWeatherIcons/" + name);
        SaveImage(RenderIcon(recipe.Layers, svgFolder, SmallIconSize, IconEdge::Outline), small);
        const QString large = assets.filePath("LargeWeatherIcons/" + name);
        SaveImage(RenderIcon(recipe.Layers, svgFolder, LargeIconSize, IconEdge::Shadow), large);
        written << small << large;
    }
    return written;
}
