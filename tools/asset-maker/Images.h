#pragma once

#include <QImage>
#include <QString>

// Writes PNG (lossless) or JPEG (at `quality`) by the file's extension, creating the folder.
void SaveImage(const QImage& image, const QString& path, int quality = 85);

// A box blur run three times, close to a Gaussian of deviation `radius` + 0.5, in place; an
// image that is not of a float format is first converted to premultiplied float.
void BlurImage(QImage& image, int radius);

// The whole view box of an SVG file, scaled to fit a size x size transparent picture.
QImage RenderDrawing(const QString& svgPath, int size);
