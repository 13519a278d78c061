#include "render/Graphics.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImageWriter>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <mutex>
#include <string_view>
#include <system_error>

#include "core/AtomicFile.h"
#include "core/Exceptions.h"
#include "core/UtilText.h"
#include "render/RenderLog.h"

namespace Graphics {
namespace {

// Qt's limit is in whole megabytes and its default (256) is below the largest
// world picture as 32-bit pixels.
constexpr qint64 BytesPerMegabyte = 1024 * 1024;
constexpr int AllocationLimitMegabytes = static_cast<int>(
    (static_cast<qint64>(WorldPicture.Width) * WorldPicture.Height * 4 + BytesPerMegabyte - 1) /
    BytesPerMegabyte);

void SetQtAllocationLimit() {
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(AllocationLimitMegabytes); });
}

std::string SizeText(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace

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

PictureFile::PictureFile(const std::string& path, PictureBounds bounds)
    : path_(path), file_(QString::fromStdString(path)) {
    SetQtAllocationLimit();
    // Without blocking, so that a pipe or a device under the name cannot hang the
    // open; the checks then look at what was opened, not at the name again.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        missing_ = error == ENOENT;
        // Pictures are read on helper threads too: strerror is not safe there.
        Refuse("cannot be opened: " + std::generic_category().message(error));
        return;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        Refuse("is not a regular file");
        return;
    }
    if (status.st_size > MaximumPictureFileBytes) {
        ::close(fd);
        Refuse("is larger than 64 MiB");
        return;
    }
    // The file keeps its name, so that the reader still picks the format by it.
    if (!file_.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        Refuse("cannot be opened: " + file_.errorString().toStdString());
        return;
    }
    reader_ = std::make_unique<QImageReader>(&file_);
    const QSize size = reader_->size();
    if (!size.isValid() || size.isEmpty()) {
        Refuse("gives no picture size: " + reader_->errorString().toStdString());
        return;
    }
    if (size.width() > bounds.Width || size.height() > bounds.Height) {
        Refuse("claims " + SizeText(size.width(), size.height()) + " pixels, more than " +
               SizeText(bounds.Width, bounds.Height));
        return;
    }
    size_ = size;
}

PictureFile::~PictureFile() = default;

void PictureFile::Refuse(const std::string& reason) {
    reader_.reset();
    file_.close();
    problem_ = "\"" + path_ + "\" " + reason;
}

QImage PictureFile::Read() {
    if (!size_.isValid()) {
        return QImage();
    }
    QImage picture;
    if (!reader_->read(&picture)) {
        const std::string reason = "does not decode: " + reader_->errorString().toStdString();
        size_ = QSize();
        Refuse(reason);
        return QImage();
    }
    return picture;
}

QImage PictureFile::ReadFitted(QSize box) {
    if (size_.isValid() && (size_.width() > box.width() || size_.height() > box.height())) {
        reader_->setScaledSize(size_.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    }
    return Read();
}

PictureResult ReadPicture(const std::string& path, PictureBounds bounds) {
    PictureFile file(path, bounds);
    PictureResult result;
    result.Picture = file.Read();
    result.Problem = file.Problem();
    return result;
}

namespace {

QImage LoggedPicture(PictureFile& file, QImage picture) {
    if (file.IsMissing()) {
        qCInfo(lcRender).noquote() << QString::fromStdString(file.Problem());
    } else if (picture.isNull()) {
        qCWarning(lcRender).noquote() << QString::fromStdString(file.Problem());
    }
    return picture;
}

}  // namespace

QImage LoadPicture(const std::string& path, PictureBounds bounds) {
    PictureFile file(path, bounds);
    return LoggedPicture(file, file.Read());
}

QImage LoadPictureFitted(const std::string& path, PictureBounds bounds, QSize box) {
    PictureFile file(path, bounds);
    return LoggedPicture(file, file.ReadFitted(box));
}

bool IsCandidatePicture(const std::filesystem::directory_entry& entry) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.front() == '.' || name.back() == '~' ||
        UtilText::EndsWithIgnoringAsciiCase(name, ".tmp") ||
        UtilText::EndsWithIgnoringAsciiCase(name, ".temp")) {
        return false;
    }
    std::error_code error;
    if (!entry.is_regular_file(error) || error) {
        return false;
    }
    return access(entry.path().c_str(), R_OK) == 0;
}

void PreparePainter(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void SavePicture(const QImage& picture, const std::string& path, const char* format, int quality) {
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (picture.isNull() || !writer.write(picture)) {
        static constexpr const char* Location = "Graphics::SavePicture (1)";
        throw ApplicationException(Location, writer.errorString().toStdString().c_str());
    }
    static constexpr const char* Location = "Graphics::SavePicture (2)";
    AtomicFileWriter file(path, Location);
    file.Write(std::string_view(encoded.constData(), static_cast<std::size_t>(encoded.size())),
               Location);
    file.Commit();
}

}  // namespace Graphics
