#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <filesystem>
#include <stop_token>
#include <string>

#include "core/WorkStop.h"
#include "render/Graphics.h"
#include "render/JpegWriter.h"
#include "support/TestSupport.h"

namespace {

std::string QtJpeg(const QImage& picture, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    EXPECT_TRUE(writer.write(picture));
    return bytes.toStdString();
}

// A size that fills no block evenly, colours that vary everywhere, and an alpha
// that the file leaves out.
QImage VariedPicture(QImage::Format format) {
    QImage picture(53, 37, format);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            picture.setPixel(x, y,
                             qRgba((x * 29 + y * 7) % 256, (x * 3 + y * 41) % 256,
                                   (x * 97 + y * 13) % 256, (x * y) % 256));
        }
    }
    picture.setDotsPerMeterX(3780);
    picture.setDotsPerMeterY(2835);
    return picture;
}

TEST(JpegWriterTest, APictureIsWrittenByteForByteAsQtsWriterWritesIt) {
    TestSupport::TempFolder folder;
    const std::string file = folder.Path().string() + "/picture.jpg";
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32}) {
        const QImage picture = VariedPicture(format);
        for (const int quality : {90, -1, 100}) {
            Graphics::SavePicture(picture, file, "jpg", quality);
            EXPECT_EQ(TestSupport::ReadWholeFile(file), QtJpeg(picture, quality))
                << format << " at " << quality;
        }
    }
    // Other formats are Qt's writer's own.
    EXPECT_FALSE(EncodeJpeg(QImage(8, 8, QImage::Format_Grayscale8), 90, "stopped").has_value());
}

TEST(JpegWriterTest, AStopEndsTheWritingWithNothingWritten) {
    TestSupport::TempFolder folder;
    const std::string file = folder.Path().string() + "/picture.jpg";
    std::stop_source stop;
    const WorkStop::ThreadBinding binding(stop.get_token());
    stop.request_stop();
    EXPECT_EQ(TestSupport::LocationOf([&] {
                  Graphics::SavePicture(VariedPicture(QImage::Format_RGB32), file, "jpg", 90);
              }),
              "Graphics::SavePicture (1)");
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(EncodeJpeg(VariedPicture(QImage::Format_RGB32), 90, "stopped")->Problem, "stopped");
}

}  // namespace
