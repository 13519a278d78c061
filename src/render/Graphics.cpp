#include "render/Graphics.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImageWriter>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>

#include "core/AtomicFile.h"
#include "core/Exceptions.h"
#include "core/UtilText.h"
#include "core/WorkStop.h"
#include "render/JpegWriter.h"
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

// Below this a picture comes from the heap like any other.
constexpr qsizetype OwnMappingBytes = qsizetype{4} << 20;

struct Mapping {
    void* Address;
    std::size_t Length;
};

// The memory of the last large picture that went, kept for the next of about its
// size: a map let go and the picture made next (the night layer, then the screen's
// picture) then share pages the system has already handed out.
std::mutex spareLock;
Mapping spare{nullptr, 0};

void Unmap(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    {
        const std::lock_guard<std::mutex> lock(spareLock);
        std::swap(*mapping, spare);
    }
    if (mapping->Address != nullptr) {
        ::munmap(mapping->Address, mapping->Length);
    }
    delete mapping;
}

// The spare memory when it holds bytes and wastes no more than a quarter of it.
std::optional<Mapping> TakeSpare(std::size_t bytes) {
    const std::lock_guard<std::mutex> lock(spareLock);
    if (spare.Address == nullptr || spare.Length < bytes ||
        spare.Length - bytes > spare.Length / 4) {
        return std::nullopt;
    }
    return std::exchange(spare, Mapping{nullptr, 0});
}

std::string SizeText(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

constexpr const char* StoppedReason = "the work was stopped";

// Reads fail once the work is stopped: a decoder then ends at once, however large
// the picture.
class StoppableFile : public QFile {
public:
    using QFile::QFile;

protected:
    qint64 readData(char* data, qint64 size) override {
        if (WorkStop::Requested()) {
            setErrorString(StoppedReason);
            return -1;
        }
        return QFile::readData(data, size);
    }
};

// Writes fail once the work is stopped, so that an encoder ends at once.
class StoppableBuffer : public QBuffer {
public:
    using QBuffer::QBuffer;

protected:
    qint64 writeData(const char* data, qint64 size) override {
        if (WorkStop::Requested()) {
            setErrorString(StoppedReason);
            return -1;
        }
        return QBuffer::writeData(data, size);
    }
};

// The frame marker of a JPEG file (0xC0 baseline, 0xC1 extended sequential, 0xC2
// progressive, ...), found by walking its segments; 0 when there is none.
int JpegFrameMarker(int descriptor) {
    unsigned char bytes[4];
    if (::pread(descriptor, bytes, 2, 0) != 2 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
        return 0;
    }
    off_t offset = 2;
    for (int segment = 0; segment < 4096; ++segment) {
        if (::pread(descriptor, bytes, 4, offset) != 4 || bytes[0] != 0xFF) {
            return 0;
        }
        const int marker = bytes[1];
        if (marker == 0xFF) {
            offset += 1;
            continue;
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            return marker;
        }
        if (marker == 0xD9 || marker == 0xDA) {
            return 0;
        }
        const int length = bytes[2] << 8 | bytes[3];
        if (length < 2) {
            return 0;
        }
        offset += 2 + length;
    }
    return 0;
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
    : path_(path), file_(std::make_unique<StoppableFile>(QString::fromStdString(path))) {
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
    if (!file_->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        Refuse("cannot be opened: " + file_->errorString().toStdString());
        return;
    }
    reader_ = std::make_unique<QImageReader>(file_.get());
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
    file_->close();
    problem_ = "\"" + path_ + "\" " + reason;
}

QImage PictureFile::Read() {
    if (!size_.isValid()) {
        return QImage();
    }
    // The decoder fills a picture of the right size and format that it is given.
    QImage picture;
    if (!reader_->scaledSize().isValid() && reader_->imageFormat() != QImage::Format_Invalid) {
        picture = NewPicture(size_, reader_->imageFormat());
    }
    const bool read = reader_->read(&picture);
    // A decoder may make up the rest of a picture whose reading was cut short.
    if (WorkStop::Requested() || !read) {
        const std::string reason = WorkStop::Requested()
                                       ? std::string("was not read: ") + StoppedReason
                                       : "does not decode: " + reader_->errorString().toStdString();
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

// libjpeg scales a sequential JPEG while it decodes, a row band at a time; a
// progressive one is held whole first, and other formats decode at full size.
bool PictureFile::DecodesSmallerWithoutTheWhole() {
    if (reader_->format() != "jpeg") {
        return false;
    }
    const int marker = JpegFrameMarker(file_->handle());
    return marker == 0xC0 || marker == 0xC1;
}

QImage PictureFile::ReadWithin(PictureBounds bounds) {
    if (!size_.isValid()) {
        return QImage();
    }
    if (size_.width() <= bounds.Width && size_.height() <= bounds.Height) {
        return Read();
    }
    if (!DecodesSmallerWithoutTheWhole()) {
        const std::string reason = "claims " + SizeText(size_.width(), size_.height()) +
                                   " pixels, more than " + SizeText(bounds.Width, bounds.Height) +
                                   ", in a form that cannot be read smaller";
        size_ = QSize();
        Refuse(reason);
        return QImage();
    }
    return ReadFitted(QSize(bounds.Width, bounds.Height));
}

QImage NewPicture(QSize size, QImage::Format format) {
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    if (size.isEmpty() || depth == 0) {
        return QImage(size, format);
    }
    const qsizetype bytesPerLine = (qsizetype{size.width()} * depth + 31) / 32 * 4;
    const qsizetype bytes = bytesPerLine * size.height();
    if (bytes < OwnMappingBytes) {
        return QImage(size, format);
    }
    auto* mapping = new Mapping{nullptr, 0};
    if (std::optional<Mapping> kept = TakeSpare(static_cast<std::size_t>(bytes))) {
        *mapping = *kept;
    } else {
        void* address = ::mmap(nullptr, static_cast<std::size_t>(bytes), PROT_READ | PROT_WRITE,
                               MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (address == MAP_FAILED) {
            delete mapping;
            return QImage();
        }
        ::madvise(address, static_cast<std::size_t>(bytes), MADV_HUGEPAGE);
        *mapping = Mapping{address, static_cast<std::size_t>(bytes)};
    }
    void* address = mapping->Address;
    return QImage(static_cast<uchar*>(address), size.width(), size.height(), bytesPerLine, format,
                  Unmap, mapping);
}

void ReleaseSparePicture() {
    Mapping mapping{nullptr, 0};
    {
        const std::lock_guard<std::mutex> lock(spareLock);
        std::swap(mapping, spare);
    }
    if (mapping.Address != nullptr) {
        ::munmap(mapping.Address, mapping.Length);
    }
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
    static constexpr const char* EncodeLocation = "Graphics::SavePicture (1)";
    const std::string_view name(format);
    const std::optional<JpegResult> jpeg = name == "jpg" || name == "jpeg"
                                               ? EncodeJpeg(picture, quality, StoppedReason)
                                               : std::nullopt;
    if (jpeg && !jpeg->Problem.empty()) {
        throw ApplicationException(EncodeLocation, jpeg->Problem.c_str());
    }
    QByteArray encoded;
    if (!jpeg) {
        StoppableBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        writer.setQuality(quality);
        const bool written = !picture.isNull() && writer.write(picture);
        if (!written || WorkStop::Requested()) {
            throw ApplicationException(
                EncodeLocation,
                WorkStop::Requested() ? StoppedReason : writer.errorString().toStdString().c_str());
        }
    }
    static constexpr const char* Location = "Graphics::SavePicture (2)";
    AtomicFileWriter file(path, Location);
    file.Write(
        jpeg ? std::string_view(jpeg->Bytes)
             : std::string_view(encoded.constData(), static_cast<std::size_t>(encoded.size())),
        Location);
    file.Commit();
}

}  // namespace Graphics
