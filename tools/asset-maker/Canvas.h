#pragma once

#include <QImage>
#include <QPainter>
#include <cstdint>
#include <utility>

// A colour with channels in 0..1.
struct Rgb {
    double R = 0;
    double G = 0;
    double B = 0;
};

// 0xRRGGBB.
constexpr Rgb Hex(std::uint32_t value) {
    return {((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0, (value & 0xFF) / 255.0};
}

Rgb Mix(const Rgb& from, const Rgb& to, double amount);
Rgb Scale(const Rgb& colour, double factor);
// For QPainter; channels are clipped to 0..1.
QColor ToQColor(const Rgb& colour, double alpha = 1);

// An opaque picture in premultiplied float channels, so that many soft layers can be stacked
// without the banding 8-bit steps would leave in smooth skies.
class Canvas {
public:
    Canvas(int width, int height);

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    // The rows [first, end) of the band from `top` to `bottom` (fractions), within the picture.
    std::pair<int, int> Rows(double top, double bottom) const;
    QImage& Image() { return image_; }

    Rgb At(int x, int y) const;
    void Set(int x, int y, const Rgb& colour);
    // Covers the pixel with `colour` at `opacity` (0..1).
    void Blend(int x, int y, const Rgb& colour, double opacity);
    // Adds light, as a glow does; channels may pass 1 and are clipped on output.
    void Add(int x, int y, const Rgb& light);

    // A transparent layer of the same size, to paint on with QPainter and blend back.
    QImage NewLayer() const;
    void Composite(const QImage& layer, QPainter::CompositionMode mode);

    // 8-bit RGB, with a faint dither from the seed so that gradients do not show steps; seed 0
    // leaves it out (a dithered picture compresses poorly as PNG).
    QImage ToRgb888(std::uint64_t ditherSeed) const;

private:
    float* Pixel(int x, int y) {
        return reinterpret_cast<float*>(image_.scanLine(y)) + static_cast<std::ptrdiff_t>(x) * 4;
    }
    const float* Pixel(int x, int y) const {
        return reinterpret_cast<const float*>(image_.constScanLine(y)) +
               static_cast<std::ptrdiff_t>(x) * 4;
    }

    QImage image_;
};
