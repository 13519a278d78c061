#include "render/CloudLayer.h"

#include <QList>
#include <algorithm>
#include <array>
#include <cmath>

#include "core/Exceptions.h"
#include "render/Graphics.h"

namespace {

constexpr std::uint8_t BlackLimit = 2;
constexpr std::uint8_t WhiteLimit = 253;

constexpr int PolarThreshold = 110;

// Pi rounded to single precision: the rows where the threshold steps depend on it.
constexpr float Pi = 3.141592502593994f;

bool IsBlack(std::uint8_t value) {
    return value <= BlackLimit;
}

bool IsWhite(std::uint8_t value) {
    return value >= WhiteLimit;
}

int ClampToRows(long long row, int height) {
    return static_cast<int>(std::clamp<long long>(row, 0, height - 1));
}

// Grey at or below the threshold is clear sky: 110 in the polar quarters, falling
// smoothly to 80 on the equator.
int ThresholdOfRow(int row, int height) {
    const int quarter = height / 4;
    const int band = height - 2 * quarter;
    if (row <= quarter || row >= height - quarter) {
        return PolarThreshold;
    }
    // Rows strictly inside the band exist only when it is at least two rows high.
    const float x =
        (2.0f * static_cast<float>(row - quarter) / static_cast<float>(band) - 1.0f) * Pi;
    return PolarThreshold - static_cast<int>((std::cos(x) + 1.0f) * 15.0f);
}

std::uint8_t CloudDensity(int grey, int threshold) {
    const float density =
        static_cast<float>(std::max(0, grey - threshold)) / static_cast<float>(255 - threshold);
    return static_cast<std::uint8_t>(
        std::clamp(static_cast<int>(std::clamp(density, 0.0f, 1.0f) * 255.0f), 0, 255));
}

// JPEG noise keeps the channels of a grey picture only this close together.
constexpr int GreyTolerance = 12;

// The picture as 8-bit palette or grey bytes. Grey pictures are often stored
// with three channels (a colour JPEG of a grey picture); those count as grey,
// taking the green channel. A picture with real colour raises (134).
QImage GreyForm(const QImage& picture) {
    static constexpr const char* Location = "DownloadCloudsWork::GenClouds (134)";
    if (picture.format() == QImage::Format_Indexed8 ||
        picture.format() == QImage::Format_Grayscale8) {
        return picture;
    }
    if (picture.isNull() || picture.depth() < 24) {
        throw ApplicationException(Location);
    }
    const QImage colour = picture.convertToFormat(QImage::Format_RGB32);
    QImage grey(colour.width(), colour.height(), QImage::Format_Grayscale8);
    if (grey.isNull()) {
        throw ApplicationException(Location);
    }
    for (int row = 0; row < colour.height(); ++row) {
        const auto* in = reinterpret_cast<const QRgb*>(colour.constScanLine(row));
        std::uint8_t* out = grey.scanLine(row);
        for (int x = 0; x < colour.width(); ++x) {
            const int red = qRed(in[x]);
            const int green = qGreen(in[x]);
            const int blue = qBlue(in[x]);
            if (std::max({red, green, blue}) - std::min({red, green, blue}) > GreyTolerance) {
                throw ApplicationException(Location);
            }
            out[x] = static_cast<std::uint8_t>(green);
        }
    }
    return grey;
}

}  // namespace

QImage DownloadCloudsWork::GenClouds(const std::string& path) {
    static constexpr const char* Location = "DownloadCloudsWork::GenClouds (122)";
    Graphics::PictureFile file(path, Graphics::WorldPicture);
    QImage source = file.ReadWithin(LayerBounds);
    if (source.isNull()) {
        throw ApplicationException(Location, file.Problem().c_str());
    }
    return GenCloudsFromPicture(std::move(source));
}

QImage DownloadCloudsWork::GenCloudsFromPicture(QImage picture) {
    QImage source = GreyForm(picture);
    picture = QImage();
    const bool indexed = source.format() == QImage::Format_Indexed8;
    const int width = source.width();
    const int height = source.height();
    Validate(
        GreyPixels{source.constBits(), width, height, static_cast<int>(source.bytesPerLine())});

    std::array<std::uint8_t, 256> greyOfByte{};
    if (indexed) {
        const QList<QRgb> palette = source.colorTable();
        if (palette.isEmpty()) {
            static constexpr const char* Location = "DownloadCloudsWork::GenClouds (145)";
            throw ApplicationException(Location);
        }
        const qsizetype last = palette.size() - 1;
        for (qsizetype index = 0; index < 256; ++index) {
            greyOfByte[index] = static_cast<std::uint8_t>(qRed(palette[std::min(index, last)]));
        }
    } else {
        for (int index = 0; index < 256; ++index) {
            greyOfByte[index] = static_cast<std::uint8_t>(index);
        }
    }

    // A grey picture that nothing else holds becomes the layer in place, so that the
    // layer never costs a second picture.
    const bool inPlace = !indexed && source.isDetached();
    QImage result = inPlace ? std::move(source) : QImage(width, height, QImage::Format_Grayscale8);
    const QImage& from = inPlace ? result : source;
    if (result.isNull()) {
        static constexpr const char* Location = "DownloadCloudsWork::GenClouds (150)";
        throw ApplicationException(Location);
    }

    // The threshold changes only every few rows, so each source byte's density
    // is looked up instead of computed per pixel.
    std::array<std::uint8_t, 256> densityOfByte{};
    int tableThreshold = -1;
    for (int row = 0; row < height; ++row) {
        const int threshold = ThresholdOfRow(row, height);
        if (threshold != tableThreshold) {
            for (int index = 0; index < 256; ++index) {
                densityOfByte[index] = CloudDensity(greyOfByte[index], threshold);
            }
            tableThreshold = threshold;
        }
        const std::uint8_t* in = from.constScanLine(row);
        std::uint8_t* out = result.scanLine(row);
        for (int x = 0; x < width; ++x) {
            out[x] = densityOfByte[in[x]];
        }
    }
    return result;
}

void DownloadCloudsWork::Validate(const GreyPixels& pixels) {
    CheckCorruptEnd(pixels);
    if (pixels.Width < 2040 || pixels.Height < 1020) {
        return;
    }

    struct Segment {
        int Column;
        int FirstRow;
        int LastRow;
    };
    static constexpr Segment NotWhite[] = {
        {599, 800, 920}, {600, 105, 160}, {1815, 820, 920}, {242, 800, 920}};
    for (const Segment& segment : NotWhite) {
        CheckCorruptLineV(pixels, segment.Column, segment.FirstRow, segment.LastRow, false);
    }
    CheckCorruptBlackTriangle(pixels, 105, +50);
    CheckCorruptBlackTriangle(pixels, 920, -50);
    CheckCorruptLineV(pixels, 1825, 340, 495, true);
}

void DownloadCloudsWork::CheckCorruptEnd(const GreyPixels& pixels) {
    if (pixels.Width < 200 || pixels.Height < 100) {
        return;
    }
    const int row = static_cast<int>(static_cast<long long>(pixels.Height) * 80 / 100);
    std::array<bool, 256> seen{};
    int distinct = 0;
    for (int x = 50; x <= pixels.Width - 50; ++x) {
        const std::uint8_t value = pixels.At(x, row);
        if (!seen[value]) {
            seen[value] = true;
            if (++distinct > 3) {
                return;
            }
        }
    }
    static constexpr const char* Location = "DownloadCloudsWork::CheckCorruptEnd (349)";
    throw ApplicationException(Location);
}

void DownloadCloudsWork::CheckCorruptLineV(const GreyPixels& pixels, int column, int firstRow,
                                           int lastRow, bool black) {
    if (column < 0 || column >= pixels.Width || pixels.Height <= 0) {
        return;
    }
    const int first = std::max(firstRow, 0);
    const int last = std::min(lastRow, pixels.Height - 1);
    if (first > last) {
        return;
    }
    for (int y = first; y <= last; ++y) {
        const std::uint8_t value = pixels.At(column, y);
        if (black ? !IsBlack(value) : !IsWhite(value)) {
            return;
        }
    }
    static constexpr const char* Location = "DownloadCloudsWork::CheckCorruptLineV (373)";
    throw ApplicationException(Location);
}

void DownloadCloudsWork::CheckCorruptBlackTriangle(const GreyPixels& pixels, int row,
                                                   int direction) {
    if (row < 0 || row >= pixels.Height) {
        return;
    }
    int longestStart = 0;
    int longestLength = 0;
    int runStart = 0;
    int runLength = 0;
    for (int x = 0; x < pixels.Width; ++x) {
        if (!IsBlack(pixels.At(x, row))) {
            runLength = 0;
            continue;
        }
        if (runLength == 0) {
            runStart = x;
        }
        if (++runLength >= 100) {
            static constexpr const char* Location =
                "DownloadCloudsWork::CheckCorruptBlackTriangle (262)";
            throw ApplicationException(Location);
        }
        if (runLength > longestLength) {
            longestLength = runLength;
            longestStart = runStart;
        }
    }
    if (longestLength < 50) {
        return;
    }

    // A black run this long is only damage when a black triangle hangs off it.
    const long long farRow = static_cast<long long>(row) + direction;
    const int firstRow = ClampToRows(std::min<long long>(row, farRow), pixels.Height);
    const int lastRow = ClampToRows(std::max<long long>(row, farRow), pixels.Height);
    const int end = std::min(longestStart + longestLength, pixels.Width);
    for (int column = std::min(longestStart, pixels.Width - 5); column < end; column += 5) {
        CheckCorruptLineV(pixels, column, firstRow, lastRow, true);
    }
}
