#include "render/JpegWriter.h"

// jpeglib.h needs the definitions of stdio.h first.
#include <jpeglib.h>
#include <cstdio>

#include <QtGlobal>
#include <array>
#include <csetjmp>
#include <cstdlib>

#include "core/WorkStop.h"

namespace {

struct JpegErrors {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    std::array<char, JMSG_LENGTH_MAX> Message;
};

// libjpeg's own handler ends the process; this one returns to the caller.
[[noreturn]] void JpegFailed(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    info->err->format_message(info, errors->Message.data());
    std::longjmp(errors->Jump, 1);
}

// Row pointers handed to libjpeg at a time: enough for a whole band of blocks.
constexpr int RowsPerCall = 16;

// Between setjmp and a longjmp only plain data lives here: the caller owns the
// strings.
bool Encode(const QImage& picture, int quality, const char* stoppedReason, JpegErrors& errors,
            unsigned char*& data, unsigned long& size) {
    jpeg_compress_struct info{};
    info.err = jpeg_std_error(&errors.Manager);
    errors.Manager.error_exit = JpegFailed;
    if (setjmp(errors.Jump) != 0) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &data, &size);
    info.image_width = static_cast<JDIMENSION>(picture.width());
    info.image_height = static_cast<JDIMENSION>(picture.height());
    info.input_components = 4;
    // A 32-bit pixel's bytes in memory.
    info.in_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // The picture's resolution in dots per inch, as Qt's writer gives it.
    info.density_unit = 1;
    info.X_density = static_cast<UINT16>(qRound(picture.dotsPerMeterX() * 0.0254));
    info.Y_density = static_cast<UINT16>(qRound(picture.dotsPerMeterY() * 0.0254));
    jpeg_start_compress(&info, TRUE);
    std::array<JSAMPROW, RowsPerCall> rows{};
    while (info.next_scanline < info.image_height) {
        if (WorkStop::Requested()) {
            std::snprintf(errors.Message.data(), errors.Message.size(), "%s", stoppedReason);
            jpeg_destroy_compress(&info);
            return false;
        }
        const auto first = static_cast<int>(info.next_scanline);
        const int count = std::min(RowsPerCall, picture.height() - first);
        for (int i = 0; i < count; ++i) {
            // libjpeg only reads the rows it is handed.
            rows[static_cast<std::size_t>(i)] =
                const_cast<JSAMPROW>(picture.constScanLine(first + i));
        }
        jpeg_write_scanlines(&info, rows.data(), static_cast<JDIMENSION>(count));
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

std::optional<JpegResult> EncodeJpeg(const QImage& picture, int quality,
                                     const char* stoppedReason) {
    if (picture.isNull() ||
        (picture.format() != QImage::Format_RGB32 && picture.format() != QImage::Format_ARGB32)) {
        return std::nullopt;
    }
    JpegErrors errors{};
    unsigned char* data = nullptr;
    unsigned long size = 0;
    const bool encoded = Encode(picture, quality < 0 ? 75 : std::min(quality, 100), stoppedReason,
                                errors, data, size);
    JpegResult result;
    if (encoded) {
        result.Bytes.assign(reinterpret_cast<const char*>(data), size);
    } else {
        result.Problem = errors.Message.data();
    }
    std::free(data);
    return result;
}
