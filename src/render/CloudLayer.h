#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Work.h"
#include "render/Graphics.h"

// The grey cloud picture's pixels under test: one byte per pixel, rows `Stride` apart.
struct GreyPixels {
    const std::uint8_t* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    int Stride = 0;

    std::uint8_t At(int x, int y) const {
        return Bits[static_cast<std::ptrdiff_t>(y) * Stride + x];
    }
};

// Where the cloud download reads its sources and keeps the downloaded picture.
struct CloudDownloadFiles {
    // "CloudsUrls.txt" of the installation: one absolute URL per line.
    std::string SourceList;
    // "Clouds.jpg" of the user's temporary folder, made anew for each attempt.
    std::string Download;
    // "Clouds.png" of the user's data folder, where a new layer is kept once it has
    // been handed on; empty to keep none.
    std::string Layer;
};

// Fetches a grey cloud picture from one of the sources, tried in turn from a
// random one, checks it and turns it into the cloud layer, which goes to the
// main thread through `post`.
// Also turns a downloaded (or the fallback) picture into the cloud layer.
class DownloadCloudsWork : public IWork {
public:
    using PostCloudImage = std::function<void(QImage layer)>;

    // layerWidth is the width of world the screens need (0 for any): a source served
    // at several sizes is fetched at the one that fits it.
    DownloadCloudsWork(CloudDownloadFiles files, PostCloudImage post, int layerWidth = 0);
    void DoWork() override;

    // The source list's lines, read once per process (per list file) and kept;
    // empty when the file is missing or holds no URL. Raises when the file
    // exists but cannot be read.
    static const std::vector<std::string>& Sources(const std::string& sourceList);
    // The text of the list as URLs: CR LF made LF, lines trimmed, empty ones skipped.
    static std::vector<std::string> ParseSources(const std::string& text);

    // The download is refused at or below this size.
    static constexpr long long MinimumSize = 30720;
    // A picture whose server says it was last changed longer ago than this is no
    // live picture any more.
    static constexpr std::int64_t MaximumAgeSeconds = 24 * 60 * 60;
    // The URL with a size of its path, "/WIDTHxHEIGHT/" of the widths a source of
    // world cloud maps serves (1024, 2048, 4096, 8192, twice as wide as high), put
    // to the smallest of them at least layerWidth wide, no wider than the layer
    // (LayerBounds) takes; any other URL as it is.
    static std::string FittedSource(const std::string& url, int layerWidth);
    // The layer is laid over pictures at most a 4K screen wide; a larger source adds
    // only memory. It is read smaller where its format allows, else refused.
    static constexpr Graphics::PictureBounds LayerBounds{4096, 2048};

    // The cloud layer: a grey picture of the source's size (no larger than
    // LayerBounds) whose every pixel is the cloud density there (0 clear sky, 255
    // overcast); DrawCloudLayer lays it as white of that opacity. Raises the
    // locations "DownloadCloudsWork::GenClouds (122)" to "(150)" or a validation error.
    static QImage GenClouds(const std::string& path);
    // The same for a picture already decoded; it must be 8-bit palette or 8-bit grey.
    static QImage GenCloudsFromPicture(QImage source);

    // All tests in order; raises on the first failure. Only the part of a tested
    // place that lies inside the picture is looked at.
    static void Validate(const GreyPixels& pixels);
    static void CheckCorruptEnd(const GreyPixels& pixels);
    // The column's rows first..last (inclusive) must hold a pixel that is not
    // white, or with `black` not black.
    static void CheckCorruptLineV(const GreyPixels& pixels, int column, int firstRow, int lastRow,
                                  bool black);
    // direction is +50 (rows below) or -50 (rows above).
    static void CheckCorruptBlackTriangle(const GreyPixels& pixels, int row, int direction);

private:
    enum class Attempt { Done, NextSource, Stop };
    Attempt TryDownload(const std::string& url);

    CloudDownloadFiles files_;
    PostCloudImage post_;
    int layerWidth_;
};
