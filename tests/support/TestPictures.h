#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QString>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace TestSupport {

inline QImage SolidPicture(int width, int height, const QColor& color,
                           QImage::Format format = QImage::Format_ARGB32) {
    QImage image(width, height, format);
    image.fill(color);
    return image;
}

// Writes the picture as PNG, creating its folders first.
inline void SavePicture(const std::filesystem::path& path, const QImage& image) {
    std::filesystem::create_directories(path.parent_path());
    if (!image.save(QString::fromStdString(path.string()), "PNG")) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

// A grey noise picture, varied enough to pass the cloud picture's damage checks.
inline QImage NoisePicture(int width, int height) {
    QImage picture(width, height, QImage::Format_Grayscale8);
    std::minstd_rand random(7);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.scanLine(y)[x] = static_cast<uchar>(random() % 200 + 20);
        }
    }
    return picture;
}

// The picture's file in the format ("png", "jpeg"), progressive where asked.
inline std::string EncodedPicture(const QImage& picture, const char* format,
                                  bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(picture)) {
        throw std::runtime_error("cannot encode a picture as " + std::string(format));
    }
    return bytes.toStdString();
}

}  // namespace TestSupport
