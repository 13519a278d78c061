#pragma once

#include <QImage>
#include <optional>
#include <string>

// A JPEG of a 32-bit picture (RGB32, or ARGB32 whose alpha is left out as Qt's
// writer leaves it out) made by libjpeg straight from the picture's own rows:
// Qt's writer copies every row into 24-bit colour first, a third of the work at
// a screen's size. Nothing for a picture of another format (Qt's writer serves
// it); the bytes, or the reason it failed, otherwise. A stop of the calling
// thread's work ends it with stoppedReason.
struct JpegResult {
    std::string Bytes;
    std::string Problem;
};
std::optional<JpegResult> EncodeJpeg(const QImage& picture, int quality, const char* stoppedReason);
