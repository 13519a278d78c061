#include "render/Graphics.h"

#include <QImageReader>
#include <QString>
#include <QStringList>

namespace Graphics {

QColor ToQColor(Color color) {
    return QColor(color.Red(), color.Green(), color.Blue(), color.Alpha());
}

QFont ToQFont(const FontValue& font) {
    QFont result;
    result.setFamilies(QStringList{QString::fromStdString(font.Family)});
    // A family that cannot be matched falls back to this hint instead of whatever
    // font happens to be the application default.
    result.setStyleHint(QFont::SansSerif);
    result.setPointSizeF(font.Size > 0.0 ? font.Size : 1.0);
    result.setBold((font.Style & FontValue::Bold) != 0);
    result.setItalic((font.Style & FontValue::Italic) != 0);
    result.setUnderline((font.Style & FontValue::Underline) != 0);
    result.setStrikeOut((font.Style & FontValue::Strikeout) != 0);
    return result;
}

QFont PixelFont(const QString& family, int pixels, bool bold) {
    QFont result;
    result.setFamilies(QStringList{family});
    result.setStyleHint(QFont::SansSerif);
    result.setPixelSize(pixels);
    result.setBold(bold);
    return result;
}

QImage LoadPicture(const std::string& path) {
    QImage image;
    if (!image.load(QString::fromStdString(path))) {
        return QImage();
    }
    return image;
}

QImage LoadPicture(const std::string& path, QImage recycled) {
    QImageReader reader(QString::fromStdString(path));
    if (!reader.read(&recycled)) {
        return QImage();
    }
    return recycled;
}

void PreparePainter(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

}  // namespace Graphics
