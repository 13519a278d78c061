#include <benchmark/benchmark.h>

#include <QImage>
#include <QImageReader>
#include <QString>
#include <string>

#include "core/Exceptions.h"
#include "render/CloudLayer.h"

namespace {

const std::string FallbackClouds = std::string(SKYVANE_ASSETS_DIR) + "UI/Clouds-Fallback.jpg";

// What the program does with the shipped picture (and with each download):
// decoding, validation and the layer.
void GenClouds(benchmark::State& state) {
    try {
        for (auto _ : state) {
            QImage layer = DownloadCloudsWork::GenClouds(FallbackClouds);
            benchmark::DoNotOptimize(layer.constBits());
        }
    } catch (const ApplicationException& error) {
        state.SkipWithError(("the fallback picture is refused: " + error.Location).c_str());
    }
}
BENCHMARK(GenClouds)->Unit(benchmark::kMillisecond);

// The same without the decoding, which the layer code cannot speed up.
void GenClouds_DecodedPicture(benchmark::State& state) {
    const QImage source = QImageReader(QString::fromStdString(FallbackClouds)).read();
    if (source.isNull()) {
        state.SkipWithError("cannot read the fallback cloud picture");
        return;
    }
    try {
        for (auto _ : state) {
            QImage layer = DownloadCloudsWork::GenCloudsFromPicture(source);
            benchmark::DoNotOptimize(layer.constBits());
        }
    } catch (const ApplicationException& error) {
        state.SkipWithError(("the fallback picture is refused: " + error.Location).c_str());
    }
    state.SetItemsProcessed(state.iterations() * source.width() * source.height());
}
BENCHMARK(GenClouds_DecodedPicture)->Unit(benchmark::kMillisecond);

}  // namespace
