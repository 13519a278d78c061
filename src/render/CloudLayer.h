#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <string>

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

// Turning a downloaded (or the fallback) grey cloud picture into the cloud layer,
// after checking that the picture is not damaged.
class DownloadCloudsWork {
public:
    // The download is refused at or below this size.
    static constexpr long long MinimumSize = 30720;

    // A white picture of the source's size whose alpha is the cloud density.
    // Raises the locations "DownloadCloudsWork::GenClouds (122)" to "(150)" or a
    // validation error.
    static QImage GenClouds(const std::string& path);
    // The same for a picture already decoded; it must be 8-bit palette or 8-bit grey.
    static QImage GenCloudsFromPicture(const QImage& source);

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
};
