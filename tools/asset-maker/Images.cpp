#include "Images.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <vector>

#include "ToolFailure.h"

void SaveImage(const QImage& image, const QString& path, int quality) {
    const QFileInfo file(path);
    if (!QDir().mkpath(file.absolutePath())) {
        throw ToolFailure("cannot create the folder of " + path.toStdString());
    }
    const bool isJpeg = file.suffix().compare("jpg", Qt::CaseInsensitive) == 0;
    if (!image.save(path, isJpeg ? "JPEG" : "PNG", isJpeg ? quality : -1)) {
        throw ToolFailure("cannot write " + path.toStdString());
    }
}

QImage RenderDrawing(const QString& svgPath, int size) {
    QSvgRenderer renderer(svgPath);
    if (!renderer.isValid()) {
        throw ToolFailure("cannot read the drawing " + svgPath.toStdString());
    }
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

namespace {

// One running-sum pass along a line of `count` pixels `stride` floats apart.
void BoxPass(float* line, int count, std::ptrdiff_t stride, int radius, std::vector<float>& copy) {
    copy.resize(static_cast<std::size_t>(count) * 4);
    for (int index = 0; index < count; ++index) {
        std::copy_n(line + index * stride, 4, copy.begin() + index * 4);
    }
    const float scale = 1.0f / static_cast<float>(2 * radius + 1);
    float sum[4] = {0, 0, 0, 0};
    // Edges repeat the outermost pixel, so a blurred sky does not darken at the frame.
    const auto at = [&](int index, int channel) {
        return copy[static_cast<std::size_t>(std::clamp(index, 0, count - 1)) * 4 + channel];
    };
    for (int offset = -radius; offset <= radius; ++offset) {
        for (int channel = 0; channel < 4; ++channel) {
            sum[channel] += at(offset, channel);
        }
    }
    for (int index = 0; index < count; ++index) {
        for (int channel = 0; channel < 4; ++channel) {
            line[index * stride + channel] = sum[channel] * scale;
            sum[channel] += at(index + radius + 1, channel) - at(index - radius, channel);
        }
    }
}

}  // namespace

void BlurImage(QImage& image, int radius) {
    if (radius <= 0) {
        return;
    }
    if (image.format() != QImage::Format_RGBA32FPx4_Premultiplied &&
        image.format() != QImage::Format_RGBA32FPx4) {
        image.convertTo(QImage::Format_RGBA32FPx4_Premultiplied);
    }
    const int width = image.width();
    const int height = image.height();
    const std::ptrdiff_t rowFloats = image.bytesPerLine() / static_cast<int>(sizeof(float));
    float* const pixels = reinterpret_cast<float*>(image.bits());
    std::vector<float> copy;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y) {
            BoxPass(pixels + y * rowFloats, width, 4, radius, copy);
        }
        for (int x = 0; x < width; ++x) {
            BoxPass(pixels + x * 4, height, rowFloats, radius, copy);
        }
    }
}
