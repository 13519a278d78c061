#include "WeatherScenes.h"

#include <QDir>
#include <iterator>

#include "Images.h"
#include "SceneParts.h"
#include "ToolFailure.h"

namespace {

struct Scene {
    const char* Name;
    void (*Paint)(Canvas&, bool day);
};

constexpr Scene Scenes[] = {
    {"Clear", WeatherScene::Clear},
    {"Fair", WeatherScene::Fair},
    {"Fog", WeatherScene::Fog},
    {"Haze", WeatherScene::Haze},
    {"Partly Cloudy", WeatherScene::PartlyCloudy},
    {"Mostly Cloudy", WeatherScene::MostlyCloudy},
    {"Cloudy", WeatherScene::Cloudy},
    {"Cold", WeatherScene::Cold},
    {"Hot", WeatherScene::Hot},
    {"Windy", WeatherScene::Windy},
    {"Rain", WeatherScene::Rain},
    {"Snow", WeatherScene::Snow},
    {"Hail", WeatherScene::Hail},
    {"Thunderstorms", WeatherScene::Thunderstorms},
    {"Tornado", WeatherScene::Tornado},
};

}  // namespace

QImage RenderWeatherBackground(const QString& name, bool day, int width, int height) {
    for (std::size_t index = 0; index < std::size(Scenes); ++index) {
        if (name == QString::fromUtf8(Scenes[index].Name)) {
            Canvas canvas(width, height);
            Scenes[index].Paint(canvas, day);
            // Each picture has a dither of its own, the same on every run.
            return canvas.ToRgb888(1 + 2 * index + (day ? 0 : 1));
        }
    }
    throw ToolFailure("no weather background is called \"" + name.toStdString() + "\"");
}

QStringList WriteWeatherBackgrounds(const QString& assetsFolder, int width, int height) {
    QStringList written;
    const QDir folder(QDir(assetsFolder).filePath("Weather Backgrounds"));
    for (const Scene& scene : Scenes) {
        for (const bool day : {true, false}) {
            const QString name = QString::fromUtf8(scene.Name);
            const QString time = day ? QStringLiteral("Day") : QStringLiteral("Night");
            const QString path =
                folder.filePath(name + "/" + time + "/" + name + " " + time + ".jpg");
            SaveImage(RenderWeatherBackground(name, day, width, height), path, 85);
            written << path;
        }
    }
    return written;
}
