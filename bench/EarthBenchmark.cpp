#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <memory>
#include <string>
#include <vector>

#include "core/AppKind.h"
#include "core/DateTime.h"
#include "data/Options.h"
#include "data/Regions.h"
#include "render/EarthRenderer.h"
#include "render/Graphics.h"
#include "render/NightMask.h"
#include "render/WeatherPictures.h"

namespace {

const std::string AssetsFolder = SKYVANE_ASSETS_DIR;
const DateTime Instant = DateTime(2026, 3, 15, 17, 40, 0).WithKind(DateTime::Kind::Utc);

// The overlays measure and draw text, which needs a GUI application; never the
// developer's display.
void EnsureGuiApplication() {
    static int argc = 1;
    static char name[] = "skyvane_bench";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication application(argc, argv);
    }
}

// The fallback cloud picture as a cloud layer (white, its grey as alpha), for
// when the layer cannot be made the program's way: the cost of drawing is the same.
QImage SubstituteCloudLayer() {
    const QImage grey =
        Graphics::LoadPicture(AssetsFolder + "UI/Clouds-Fallback.jpg", Graphics::WorldPicture)
            .convertToFormat(QImage::Format_Grayscale8);
    QImage layer(grey.size(), QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* source = grey.constScanLine(y);
        auto* target = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            target[x] = qRgba(255, 255, 255, source[x]);
        }
    }
    return layer;
}

// The program's cloud layer, or the substitute when it cannot be made.
void EnsureCloudLayer(EarthRenderer& renderer) {
    try {
        if (!renderer.CloudLayer().isNull()) {
            return;
        }
    } catch (...) {
    }
    renderer.ReplaceCloudLayer(SubstituteCloudLayer());
}

// The shipped pictures, the default options with every layer and overlay shown,
// and weather for every city so that the city overlay draws its icons and labels.
class EarthScene {
public:
    EarthScene()
        : options_(EnumAppKind::Earth, OptionsFiles{"", "", "", AssetsFolder + "Earth/"}),
          pictures_(AssetsFolder),
          renderer_(RenderFolders{AssetsFolder, localFolder_}, EnumAppMode::Desktop, pictures_) {
        EnsureGuiApplication();
        pictures_.Load();
        renderer_.LoadStartupPictures();
        options_.ShowClouds = true;
        options_.ShowWeather = true;
        options_.ShowTimeZonesOnWallpaper = true;
        CCurrentWeather weather;
        weather.ReportDateTime = Instant - TimeSpan(TimeSpan::TicksPerHour);
        weather.WeatherCode = EnumWeatherCode::PartlyCloudy;
        weather.Temprature = 21.0F;
        for (City& city : *options_.Cities) {
            city.CurrentWeather = weather;
        }
        options_.HomeCity->CurrentWeather = weather;
    }

    bool Ready(benchmark::State& state) {
        EnsureCloudLayer(renderer_);
        if (renderer_.CloudLayer().isNull()) {
            state.SkipWithError("no cloud layer");
            return false;
        }
        return true;
    }

    // Loads the day image and lets the renderer keep the scaled day and clouds,
    // as the frames before a refresh have done.
    void DrawFramesBefore(QImage& picture) {
        for (int frame = 0; frame < 2; ++frame) {
            QPainter painter(&picture);
            renderer_.DrawEarth(painter, options_, picture.rect(), picture.rect(), Instant);
        }
    }

    COptions& Options() { return options_; }
    EarthRenderer& Renderer() { return renderer_; }

private:
    // Nothing is saved there: the layer comes from the installation's fallback.
    std::string localFolder_ = "/nonexistent/";
    COptions options_;
    WeatherPictures pictures_;
    EarthRenderer renderer_;
};

void Earth_BuildNightMask(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<std::uint8_t> mask = BuildNightMask(4096, 2048, Instant);
        benchmark::DoNotOptimize(mask.data());
    }
}
BENCHMARK(Earth_BuildNightMask)->Unit(benchmark::kMillisecond)->UseRealTime();

// One refresh's pass over the night picture, reusing the previous layer's pixels.
void Earth_MakeNightLayer(benchmark::State& state) {
    const QImage night =
        Graphics::LoadPicture(AssetsFolder + "EarthNight/Night.jpg", Graphics::WorldPicture);
    const std::vector<std::uint8_t> mask = BuildNightMask(night.width(), night.height(), Instant);
    QImage layer;
    DateTime now = Instant;
    for (auto _ : state) {
        now = now + TimeSpan(TimeSpan::TicksPerMinute * 10);
        layer = MakeNightLayer(night, mask, now, std::move(layer));
        benchmark::DoNotOptimize(layer.constBits());
    }
}
BENCHMARK(Earth_MakeNightLayer)->Unit(benchmark::kMillisecond)->UseRealTime();

// A frame of the same view and size as the one before, as every refresh draws.
void Earth_DrawEarth(benchmark::State& state) {
    EarthScene scene;
    if (!scene.Ready(state)) {
        return;
    }
    QImage picture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                   QImage::Format_RGB32);
    const QRect target = picture.rect();
    scene.DrawFramesBefore(picture);
    for (auto _ : state) {
        QPainter painter(&picture);
        scene.Renderer().DrawEarth(painter, scene.Options(), target, target, Instant);
    }
}
BENCHMARK(Earth_DrawEarth)
    ->Args({1920, 1080})
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Every frame a different view: the day image and the clouds are scaled anew.
void Earth_DrawEarth_NewView(benchmark::State& state) {
    EarthScene scene;
    if (!scene.Ready(state)) {
        return;
    }
    QImage picture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                   QImage::Format_RGB32);
    const QRect target = picture.rect();
    const RegionRecord views[] = {Regions::Default(), *Regions::Find("Earth (Complete)")};
    scene.DrawFramesBefore(picture);
    int frame = 1;
    for (auto _ : state) {
        scene.Options().Region = views[frame++ % 2];
        QPainter painter(&picture);
        scene.Renderer().DrawEarth(painter, scene.Options(), target, target, Instant);
    }
}
BENCHMARK(Earth_DrawEarth_NewView)
    ->Args({3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The ten-minute refresh: a new night layer, then the whole picture.
void Earth_Refresh(benchmark::State& state) {
    EarthScene scene;
    if (!scene.Ready(state)) {
        return;
    }
    QImage picture(3840, 2160, QImage::Format_RGB32);
    const QRect target = picture.rect();
    scene.DrawFramesBefore(picture);
    DateTime now = Instant;
    for (auto _ : state) {
        now = now + TimeSpan(TimeSpan::TicksPerMinute * 10);
        scene.Renderer().UpdateNightLayer(now);
        QPainter painter(&picture);
        scene.Renderer().DrawEarth(painter, scene.Options(), target, target, now);
    }
}
BENCHMARK(Earth_Refresh)->Unit(benchmark::kMillisecond)->UseRealTime();

// The compose of the resident program's refresh, which runs on the background: the
// maps read again (the night and cloud layers beside the day map) and laid at their
// own size with the mask kept, the wallpaper composed, then every picture let go.
// Writing the picture is not counted; what the main thread does is measured by
// bench/desktop-idle.sh.
void Earth_LeanRefresh(benchmark::State& state) {
    EnsureGuiApplication();
    COptions options(EnumAppKind::Earth, OptionsFiles{"", "", "", AssetsFolder + "Earth/"});
    WeatherPictures pictures(AssetsFolder);
    EarthRenderer renderer(RenderFolders{AssetsFolder, "/nonexistent/"}, EnumAppMode::Desktop,
                           pictures);
    renderer.LoadStartupPictures();
    renderer.BuildNightMask(Instant);
    for (auto _ : state) {
        QImage composed;
        renderer.ComposeEarthEach(options, {Screen::OfSize(3840, 2160)}, Instant,
                                  [&composed](QImage picture) { composed = std::move(picture); });
        benchmark::DoNotOptimize(composed.constBits());
        state.PauseTiming();
        composed = QImage();
        state.ResumeTiming();
    }
}
BENCHMARK(Earth_LeanRefresh)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// A process that renders one picture and ends: load, mask, layer, one frame, JPEG.
void Earth_OneShot(benchmark::State& state) {
    EnsureGuiApplication();
    for (auto _ : state) {
        COptions options(EnumAppKind::Earth, OptionsFiles{"", "", "", AssetsFolder + "Earth/"});
        WeatherPictures pictures(AssetsFolder);
        EarthRenderer renderer(RenderFolders{AssetsFolder, "/nonexistent/"}, EnumAppMode::Desktop,
                               pictures);
        renderer.LoadStartupPictures();
        renderer.BuildNightMask(Instant);
        renderer.UpdateNightLayer(Instant);
        EnsureCloudLayer(renderer);
        QImage picture = renderer.ComposeEarth(options, Screen::OfSize(3840, 2160), Instant);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "JPG", 90);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(Earth_OneShot)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
