#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <filesystem>
#include <stdexcept>

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

}  // namespace TestSupport
