#include "Canvas.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "Noise.h"

Rgb Mix(const Rgb& from, const Rgb& to, double amount) {
    return {Mix(from.R, to.R, amount), Mix(from.G, to.G, amount), Mix(from.B, to.B, amount)};
}

Rgb Scale(const Rgb& colour, double factor) {
    return {colour.R * factor, colour.G * factor, colour.B * factor};
}

QColor ToQColor(const Rgb& colour, double alpha) {
    return QColor::fromRgbF(static_cast<float>(Clamp01(colour.R)),
                            static_cast<float>(Clamp01(colour.G)),
                            static_cast<float>(Clamp01(colour.B)), static_cast<float>(alpha));
}

Canvas::Canvas(int width, int height)
    : image_(width, height, QImage::Format_RGBA32FPx4_Premultiplied) {
    image_.fill(Qt::black);
}

std::pair<int, int> Canvas::Rows(double top, double bottom) const {
    const int height = Height();
    return {std::clamp(static_cast<int>(std::floor(top * height)), 0, height),
            std::clamp(static_cast<int>(std::ceil(bottom * height)), 0, height)};
}

Rgb Canvas::At(int x, int y) const {
    const float* pixel = Pixel(x, y);
    return {pixel[0], pixel[1], pixel[2]};
}

void Canvas::Set(int x, int y, const Rgb& colour) {
    float* pixel = Pixel(x, y);
    pixel[0] = static_cast<float>(colour.R);
    pixel[1] = static_cast<float>(colour.G);
    pixel[2] = static_cast<float>(colour.B);
    pixel[3] = 1.0f;
}

void Canvas::Blend(int x, int y, const Rgb& colour, double opacity) {
    if (opacity <= 0) {
        return;
    }
    float* pixel = Pixel(x, y);
    const auto keep = static_cast<float>(1.0 - opacity);
    const auto cover = static_cast<float>(opacity);
    pixel[0] = pixel[0] * keep + static_cast<float>(colour.R) * cover;
    pixel[1] = pixel[1] * keep + static_cast<float>(colour.G) * cover;
    pixel[2] = pixel[2] * keep + static_cast<float>(colour.B) * cover;
}

void Canvas::Add(int x, int y, const Rgb& light) {
    float* pixel = Pixel(x, y);
    pixel[0] += static_cast<float>(light.R);
    pixel[1] += static_cast<float>(light.G);
    pixel[2] += static_cast<float>(light.B);
}

QImage Canvas::NewLayer() const {
    QImage layer(Width(), Height(), QImage::Format_RGBA32FPx4_Premultiplied);
    layer.fill(Qt::transparent);
    return layer;
}

void Canvas::Composite(const QImage& layer, QPainter::CompositionMode mode) {
    QPainter painter(&image_);
    painter.setCompositionMode(mode);
    painter.drawImage(0, 0, layer);
}

QImage Canvas::ToRgb888(std::uint64_t ditherSeed) const {
    QImage result(Width(), Height(), QImage::Format_RGB888);
    Random random(ditherSeed);
    for (int y = 0; y < Height(); ++y) {
        uchar* line = result.scanLine(y);
        for (int x = 0; x < Width(); ++x) {
            const float* pixel = Pixel(x, y);
            // Triangular dither of one step spread: breaks the steps, adds almost no noise.
            const double dither = ditherSeed == 0 ? 0.0 : random.Uniform() - random.Uniform();
            for (int channel = 0; channel < 3; ++channel) {
                const double value = std::clamp(static_cast<double>(pixel[channel]), 0.0, 1.0);
                line[x * 3 + channel] =
                    static_cast<uchar>(std::clamp(std::lround(value * 255.0 + dither), 0L, 255L));
            }
        }
    }
    return result;
}
