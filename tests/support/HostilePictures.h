#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <stdexcept>
#include <string>

namespace TestSupport {

// A small, well-formed JPEG whose frame header claims `side` x `side` pixels:
// a reader that trusts the header sizes its memory at side * side pixels.
inline std::string LyingJpeg(int side) {
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(qRgb(200, 200, 0));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG")) {
        throw std::runtime_error("cannot write a JPEG");
    }
    // Baseline frame header: marker, length (2), precision (1), height (2), width (2).
    const qsizetype frame = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    if (frame < 0) {
        throw std::runtime_error("the JPEG has no baseline frame header");
    }
    for (const qsizetype offset : {frame + 5, frame + 7}) {
        bytes[offset] = static_cast<char>(side >> 8);
        bytes[offset + 1] = static_cast<char>(side & 0xFF);
    }
    return bytes.toStdString();
}

}  // namespace TestSupport
