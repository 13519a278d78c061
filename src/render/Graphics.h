#pragma once

#include <QColor>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSize>
#include <QtGlobal>
#include <filesystem>
#include <memory>
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

// The largest picture of one use, in pixels. A picture file's header is checked
// against it before anything is allocated for the picture: a damaged or hostile
// header would otherwise size the pixels, or the night mask, at gigabytes.
struct PictureBounds {
    int Width;
    int Height;
};

// Day and night maps, cloud pictures and the saved cloud layer: the largest in use.
inline constexpr PictureBounds WorldPicture{21600, 10800};
// Weather photographs, the sky, the logo and the local-weather background.
inline constexpr PictureBounds ScreenPicture{8192, 8192};
// Weather icons.
inline constexpr PictureBounds IconPicture{1024, 1024};

// No picture file of the program comes near this; a larger one is refused unread.
inline constexpr qint64 MaximumPictureFileBytes = 64LL * 1024 * 1024;

// One picture file, refused unless it is a regular file of at most
// MaximumPictureFileBytes whose header gives a size within the bounds. Opening
// it also sets Qt's own allocation limit to the largest picture allowed.
// Reading watches the calling thread's stop request (WorkStop): a stop ends the
// decoding at once and gives no picture.
class PictureFile {
public:
    PictureFile(const std::string& path, PictureBounds bounds);
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;
    ~PictureFile();

    // The header's size; invalid when the file was refused.
    QSize Size() const { return size_; }
    // The pixels; null when the file was refused or does not decode.
    QImage Read();
    // The same no larger than fits the box, keeping the aspect ratio; formats
    // that can (JPEG) decode straight to the smaller size.
    QImage ReadFitted(QSize box);
    // The pixels no larger than the bounds, for a picture of any size a server may
    // send: one within them as it is; a larger one only where it decodes straight
    // to the smaller size without ever holding the whole (a sequential JPEG), fitted
    // keeping the aspect ratio; any other larger picture is refused unread.
    QImage ReadWithin(PictureBounds bounds);
    // Why there is no picture, naming the file; empty while nothing went wrong.
    const std::string& Problem() const { return problem_; }
    // Whether the file could not be opened because it is not there.
    bool IsMissing() const { return missing_; }

private:
    void Refuse(const std::string& reason);
    bool DecodesSmallerWithoutTheWhole();

    std::string path_;
    std::unique_ptr<QFile> file_;
    std::unique_ptr<QImageReader> reader_;
    QSize size_;
    std::string problem_;
    bool missing_ = false;
};

// A new picture of the size and format, uncleared; null when there is no memory for
// it. A large one has memory of its own, in huge pages where the system has them
// (the maps' tens of megabytes then cost a few page faults rather than thousands),
// kept for the next large picture of about its size once the picture goes, until
// ReleaseSparePicture gives it back to the system.
QImage NewPicture(QSize size, QImage::Format format);
void ReleaseSparePicture();

// A picture and, when there is none, why.
struct PictureResult {
    QImage Picture;
    std::string Problem;
};

PictureResult ReadPicture(const std::string& path, PictureBounds bounds);

// A picture that cannot be read is a null image, which draws nothing; the reason
// goes to the render log.
QImage LoadPicture(const std::string& path, PictureBounds bounds);
// The same read small for a preview: no larger than fits the box.
QImage LoadPictureFitted(const std::string& path, PictureBounds bounds, QSize box);

// Writes the picture in the format ("png", "jpg", "bmp"; a quality from 0 to
// 100 where the format has one, -1 for its default), encoded first and then
// saved as every file of the program is: whole or not at all, and only over a
// regular file or a new name (a link to a regular file is followed). A picture
// that does not encode raises "Graphics::SavePicture (1)" with the reason, and
// so does a stop of the calling thread's work while it encodes (nothing is
// written then); the file's failures raise "Graphics::SavePicture (2)".
void SavePicture(const QImage& picture, const std::string& path, const char* format,
                 int quality = -1);

// A file of a picture folder worth offering: a readable regular file (a pipe
// or a device would hang or read forever), not what the desktop hides nor what
// an editor or a download leaves half written.
bool IsCandidatePicture(const std::filesystem::directory_entry& entry);

// Pixel units, anti-aliased text and shapes, smooth (high-quality) scaling.
void PreparePainter(QPainter& painter);

}  // namespace Graphics
