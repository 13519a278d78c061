#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <string>

#include "core/Color.h"
#include "core/FontValue.h"

namespace Graphics {

QColor ToQColor(Color color);

// Size in points (96 pixels per inch on a picture, as on the desktop) with the
// style bits; a family the font configuration cannot match falls back to the
// generic sans-serif family.
QFont ToQFont(const FontValue& font);
// Sized in pixels, whatever the resolution; the same fallback as above.
QFont PixelFont(const QString& family, int pixels, bool bold);

// A picture that cannot be read is a null image, which draws nothing.
QImage LoadPicture(const std::string& path);
// The same, decoded into `recycled`'s pixels when the picture has its size and
// format, so that a picture no longer needed lends its memory to the next one.
QImage LoadPicture(const std::string& path, QImage recycled);

// Pixel units, anti-aliased text and shapes, smooth (high-quality) scaling.
void PreparePainter(QPainter& painter);

}  // namespace Graphics
