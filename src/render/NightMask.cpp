#include "render/NightMask.h"

#include <QRectF>
#include <algorithm>
#include <cmath>

#include "core/Exceptions.h"
#include "render/Background.h"
#include "render/RenderLog.h"
#include "render/Sun.h"

namespace {

constexpr double Pi = 3.141592653589793;
constexpr std::uint8_t Unset = 255;

std::array<ShadeLevel, ShadeLevelCount> MakeShadeLevels() {
    // The shade formula is evaluated in single precision with pi rounded to
    // single precision, so that the ramp lands on the same whole values.
    constexpr float SinglePi = 3.141592502593994F;
    constexpr float SingleHalfPi = 1.570796251296997F;
    constexpr int Last = ShadeLevelCount - 1;
    std::array<ShadeLevel, ShadeLevelCount> levels{};
    for (int k = 0; k < ShadeLevelCount; ++k) {
        const double zenith = 81.0 + (112.0 - 81.0) * k / Last;
        const float angle =
            static_cast<float>(k) / static_cast<float>(Last) * SinglePi - SingleHalfPi;
        const float shade = 255.0F * (std::sin(angle) + 1.0F) * 0.5F;
        levels[k].CosZenith = std::cos(zenith * Pi / 180.0);
        levels[k].Shade = static_cast<std::uint8_t>(std::clamp(std::trunc(shade), 0.0F, 255.0F));
    }
    return levels;
}

// Crossing times are whole milliseconds, so counting in milliseconds gives the
// column that ticks give, without overflowing for any width.
int TimeOfDayColumn(const DateTime& instant, int width) {
    constexpr std::int64_t MillisecondsPerDay =
        TimeSpan::TicksPerDay / TimeSpan::TicksPerMillisecond;
    const auto timeOfDay = static_cast<std::int64_t>(
        instant.Ticks() % static_cast<std::uint64_t>(TimeSpan::TicksPerDay));
    const std::int64_t milliseconds = timeOfDay / TimeSpan::TicksPerMillisecond;
    const auto column = static_cast<int>(milliseconds * width / MillisecondsPerDay);
    return std::clamp(column, 0, width - 1);
}

// Sets the unset pixels at both ends of the range; pixels a brighter level has
// already set stop the walk, so each level only paints the ring outside the
// brighter span.
void FillRange(std::uint8_t* row, int first, int last, std::uint8_t shade) {
    int column = first;
    for (; column <= last && row[column] == Unset; ++column) {
        row[column] = shade;
    }
    for (int back = last; back >= column && row[back] == Unset; --back) {
        row[back] = shade;
    }
}

// One half of the picture from the equator toward its pole (step -1 north,
// +1 south), row by row, every level of a row in turn from the brightest: the
// sun's terms of a latitude serve all of its levels. Each row is built into the
// sink's Pixels(row), all Unset, and then handed to its Done(row, pixels). The
// halves share no rows, so they can be built at the same time.
class HalfBuilder {
public:
    HalfBuilder(int width, int height, const DateTime& date, const SunCrossings& crossings,
                int firstRow, int step)
        : width_(width),
          height_(height),
          date_(date),
          crossings_(crossings),
          firstRow_(firstRow),
          step_(step) {}

    template <class Sink>
    void Build(Sink& sink) const {
        std::array<LevelState, ShadeLevelCount> states;
        states.fill(LevelState{width_ - 1});
        for (int row = firstRow_; InHalf(row); row += step_) {
            std::uint8_t* pixels = sink.Pixels(row);
            BuildRow(row, pixels, states);
            sink.Done(row, pixels);
        }
    }

private:
    // What a level has seen of the rows toward the pole so far.
    struct LevelState {
        int PreviousSpan = 0;
        bool Growing = false;
        // No crossings met: the rest of the half is night for this level, or
        // polar day where its span was still widening.
        bool Ended = false;
        bool PolarDay = false;
    };

    bool InHalf(int row) const { return row >= 0 && row < height_; }

    void BuildRow(int row, std::uint8_t* pixels,
                  std::array<LevelState, ShadeLevelCount>& states) const {
        const double latitude = 90.0 - row * 180.0 / height_;
        int startColumn = 0;
        // A row a level has filled as polar day takes no further crossings.
        bool completed = false;
        for (int k = 0; k < ShadeLevelCount; ++k) {
            const ShadeLevel& level = ShadeLevels()[static_cast<std::size_t>(k)];
            LevelState& state = states[static_cast<std::size_t>(k)];
            if (state.PolarDay) {
                FillRange(pixels, startColumn, width_ - 1, level.Shade);
                completed = true;
                continue;
            }
            if (state.Ended || completed) {
                continue;
            }
            Nullable<DateTime> sunrise;
            Nullable<DateTime> sunset;
            crossings_(latitude, date_, level.CosZenith, sunrise, sunset);
            if (!sunrise.HasValue() || !sunset.HasValue()) {
                state.Ended = true;
                if (state.Growing) {
                    state.PolarDay = true;
                    FillRange(pixels, startColumn, width_ - 1, level.Shade);
                    completed = true;
                }
                continue;
            }
            const int rise = TimeOfDayColumn(sunrise.Value(), width_);
            const int set = TimeOfDayColumn(sunset.Value(), width_);
            int span = 0;
            if (set >= rise) {
                FillRange(pixels, rise, set, level.Shade);
                span = set - rise;
            } else {
                startColumn = std::max(startColumn, std::min(set + 1, width_ - 1));
                FillRange(pixels, 0, set, level.Shade);
                FillRange(pixels, rise, width_ - 1, level.Shade);
                span = set + width_ - rise - 2;
            }
            state.Growing = state.PreviousSpan < span;
            state.PreviousSpan = span;
        }
    }

    int width_;
    int height_;
    DateTime date_;
    const SunCrossings& crossings_;
    int firstRow_;
    int step_;
};

inline QRgb ShadePixel(QRgb pixel, std::uint32_t weight) {
    if (weight == 0 || weight == 255) {
        return (pixel & 0x00FFFFFFU) | (weight << 24);
    }
    int red = qRed(pixel);
    int green = qGreen(pixel);
    int blue = qBlue(pixel);
    // City lights fade to the dark blue of the twilight sky toward the day side.
    if (red + green + blue > 128) {
        const int k = std::max(0, static_cast<int>(weight) - 127);
        red = (k * red + (128 - k) * 32) / 128;
        green = (k * green + (128 - k) * 32) / 128;
        blue = (k * blue + (128 - k) * 64) / 128;
    }
    return qRgba(red, green, blue, static_cast<int>(weight));
}

// qPremultiply is the conversion the raster engine applies to ARGB32 pictures
// when it draws them, so the premultiplied layer draws exactly like the plain one.
inline QRgb ShadePixelPremultiplied(QRgb pixel, std::uint32_t weight) {
    if (weight == 0) {
        return 0;
    }
    if (weight == 255) {
        return pixel | 0xFF000000U;
    }
    return qPremultiply(ShadePixel(pixel, weight));
}

template <bool Premultiplied>
void ShadeSpan(const QRgb* source, QRgb* target, const std::uint8_t* weights, int count) {
    // Most of a map is full day or full night, which needs no arithmetic: such runs
    // go a block at a time, in the compiler's vector code.
    constexpr int Block = 16;
    int x = 0;
    for (; x + Block <= count; x += Block) {
        bool plain = true;
        for (int i = 0; i < Block; ++i) {
            plain &= weights[x + i] == 0 || weights[x + i] == 255;
        }
        if (!plain) {
            for (int i = x; i < x + Block; ++i) {
                target[i] = Premultiplied ? ShadePixelPremultiplied(source[i], weights[i])
                                          : ShadePixel(source[i], weights[i]);
            }
            continue;
        }
        for (int i = x; i < x + Block; ++i) {
            const QRgb pixel = source[i];
            const QRgb day = Premultiplied ? 0U : (pixel & 0x00FFFFFFU);
            target[i] = weights[i] != 0 ? (pixel | 0xFF000000U) : day;
        }
    }
    for (; x < count; ++x) {
        target[x] = Premultiplied ? ShadePixelPremultiplied(source[x], weights[x])
                                  : ShadePixel(source[x], weights[x]);
    }
}

// Source and target may be the same row. shift is already in [0, width).
template <bool Premultiplied>
void ShadeRow(const QRgb* source, QRgb* target, const std::uint8_t* maskRow, int width, int shift) {
    ShadeSpan<Premultiplied>(source, target, maskRow + shift, width - shift);
    ShadeSpan<Premultiplied>(source + (width - shift), target + (width - shift), maskRow, shift);
}

int WrapShift(int shift, int width) {
    const int wrapped = shift % width;
    return wrapped < 0 ? wrapped + width : wrapped;
}

bool MaskFits(std::span<const std::uint8_t> mask, const QImage& image) {
    return !image.isNull() && mask.size() == static_cast<std::size_t>(image.width()) *
                                                 static_cast<std::size_t>(image.height());
}

// Splits the rows between this thread and the background; a refresh runs the pass
// over the whole night picture.
template <class RowFunction>
void ForEachRowInTwo(int height, RowFunction&& shadeRow) {
    auto rows = [&shadeRow](int first, int last) {
        for (int y = first; y < last; ++y) {
            shadeRow(y);
        }
    };
    const int middle = height / 2;
    QFuture<void> helper = RunInBackground([&rows, middle] { rows(0, middle); });
    rows(middle, height);
    WaitFor(helper);
}

// Every row and level asks for the sun on one date: the table answers those
// questions for a fraction of the model's cost.
SunCrossings SampledCrossings(const SunTable& sun) {
    return [sun](double latitude, const DateTime& date, double cosZenith,
                 Nullable<DateTime>& sunrise, Nullable<DateTime>& sunset) {
        sun.GetSunriseSunset(latitude, 0.0, date, cosZenith, sunrise, sunset);
    };
}

// The sun is asked once per row and level: the two halves are built on two cores,
// the northern one on the background. False when either failed.
template <class Sink>
bool BuildInTwo(int width, int height, const DateTime& utcDate, const SunCrossings& crossings,
                Sink& northSink, Sink& southSink) {
    const DateTime date = utcDate.Date();
    const HalfBuilder north(width, height, date, crossings, height / 2, -1);
    const HalfBuilder south(width, height, date, crossings, height / 2 + 1, +1);
    // False, with a line on the log, when the half failed.
    const auto build = [](const HalfBuilder& half, Sink& sink, const char* name) {
        try {
            half.Build(sink);
            return true;
        } catch (...) {
            qCWarning(lcRender) << "the" << name << "half of the night mask failed:"
                                << CurrentExceptionText().c_str();
        }
        return false;
    };
    bool northBuilt = false;
    QFuture<void> helper =
        RunInBackground([&] { northBuilt = build(north, northSink, "northern"); });
    const bool southBuilt = build(south, southSink, "southern");
    WaitFor(helper);
    return northBuilt && southBuilt;
}

// A night picture's own words as its premultiplied layer: the shading reads only
// the colour bits and writes every pixel whole. False when the picture cannot be
// used so.
bool ReadyForLayerInPlace(QImage& night) {
    if (night.format() != QImage::Format_RGB32 && night.format() != QImage::Format_ARGB32) {
        night = night.convertToFormat(QImage::Format_ARGB32);
    }
    return night.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

const std::array<ShadeLevel, ShadeLevelCount>& ShadeLevels() {
    static const std::array<ShadeLevel, ShadeLevelCount> levels = MakeShadeLevels();
    return levels;
}

std::vector<std::uint8_t> BuildNightMask(int width, int height, const DateTime& utcDate) {
    return BuildNightMask(width, height, utcDate, SampledCrossings(SunTable(utcDate)));
}

std::vector<std::uint8_t> BuildNightMask(int width, int height, const DateTime& utcDate,
                                         const SunCrossings& crossings) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(width) * height, Unset);
    struct WholeMask {
        std::uint8_t* Mask;
        int Width;

        std::uint8_t* Pixels(int row) const {
            return Mask + static_cast<std::ptrdiff_t>(row) * Width;
        }
        void Done(int /*row*/, const std::uint8_t* /*pixels*/) const {}
    };
    WholeMask north{mask.data(), width};
    WholeMask south = north;
    if (!BuildInTwo(width, height, utcDate, crossings, north, south)) {
        std::fill(mask.begin(), mask.end(), std::uint8_t{0});
    }
    return mask;
}

int NightMaskShift(int width, const DateTime& utcNow) {
    const auto timeOfDay =
        static_cast<double>(utcNow.Ticks() % static_cast<std::uint64_t>(TimeSpan::TicksPerDay));
    return static_cast<int>(
        std::trunc((timeOfDay / static_cast<double>(TimeSpan::TicksPerDay) - 0.5) * width));
}

void ApplyNightMask(QImage& image, std::span<const std::uint8_t> mask, int shift) {
    if (!MaskFits(mask, image)) {
        return;
    }
    if (image.format() != QImage::Format_ARGB32) {
        image.convertTo(QImage::Format_ARGB32);
    }
    const int width = image.width();
    const int wrapped = WrapShift(shift, width);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        ShadeRow<false>(row, row, mask.data() + static_cast<std::ptrdiff_t>(y) * width, width,
                        wrapped);
    }
}

QImage MakeNightLayer(const QImage& night, std::span<const std::uint8_t> mask,
                      const DateTime& utcNow, QImage recycled) {
    if (night.isNull()) {
        return QImage();
    }
    if (!MaskFits(mask, night)) {
        return night.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    // The pass reads only the colour bits, so RGB32 and ARGB32 pictures are read
    // as they are; anything else is made ARGB32 first.
    const bool readable =
        night.format() == QImage::Format_RGB32 || night.format() == QImage::Format_ARGB32;
    const QImage converted = readable ? QImage() : night.convertToFormat(QImage::Format_ARGB32);
    const QImage& source = readable ? night : converted;

    QImage layer;
    if (recycled.size() == night.size() &&
        recycled.format() == QImage::Format_ARGB32_Premultiplied && recycled.isDetached()) {
        layer = std::move(recycled);
    } else {
        recycled = QImage();
        layer = QImage(night.size(), QImage::Format_ARGB32_Premultiplied);
        if (layer.isNull()) {
            return QImage();
        }
    }
    const int width = night.width();
    const int shift = WrapShift(NightMaskShift(width, utcNow), width);
    // Row addresses come from one bits() call: scanLine() on a writable picture
    // touches its detach counter, which two threads must not do at once.
    const uchar* sourceBits = source.constBits();
    const qsizetype sourceStride = source.bytesPerLine();
    uchar* layerBits = layer.bits();
    const qsizetype layerStride = layer.bytesPerLine();
    ForEachRowInTwo(night.height(), [&](int y) {
        ShadeRow<true>(reinterpret_cast<const QRgb*>(sourceBits + y * sourceStride),
                       reinterpret_cast<QRgb*>(layerBits + y * layerStride),
                       mask.data() + static_cast<std::ptrdiff_t>(y) * width, width, shift);
    });
    return layer;
}

QRect RegionSourceRect(const RegionRecord& region, const QSize& imageSize) {
    const double width = imageSize.width();
    const double height = imageSize.height();
    const auto x = [width](int longitude) {
        return static_cast<int>(std::lround((longitude + 180.0) * width / 360.0));
    };
    const auto y = [height](int latitude) {
        return static_cast<int>(std::lround((90.0 - latitude) * height / 180.0));
    };
    const int left = x(region.West);
    const int top = y(region.North);
    return QRect(left, top, x(region.East) - left, y(region.South) - top);
}

void DrawRegion(QPainter& painter, const QImage& image, const RegionRecord& region,
                const QRect& dest) {
    const QRect source = RegionSourceRect(region, image.size());
    if (image.isNull() || source.isEmpty() || dest.isEmpty()) {
        return;
    }
    painter.drawImage(QRectF(dest), image, QRectF(source));
}

void DrawCloudLayer(QPainter& painter, const QImage& layer, const RegionRecord& region,
                    const QRect& dest) {
    if (layer.format() != QImage::Format_Grayscale8) {
        DrawRegion(painter, layer, region, dest);
        return;
    }
    const QPainter::CompositionMode previous = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_Screen);
    DrawRegion(painter, layer, region, dest);
    painter.setCompositionMode(previous);
}

bool LayCloudLayer(QImage& picture, const QImage& layer) {
    const bool opaque = picture.format() == QImage::Format_RGB32 ||
                        (picture.format() == QImage::Format_ARGB32 && !picture.hasAlphaChannel());
    if (!opaque || layer.format() != QImage::Format_Grayscale8 || picture.isNull() ||
        layer.isNull()) {
        return false;
    }
    const QImage densities =
        layer.size() == picture.size()
            ? layer
            : layer.scaled(picture.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // White of opacity g over d: g + d - g * d / 255 in the painter's own rounding.
    const auto lay = [](std::uint32_t d, std::uint32_t g) {
        const std::uint32_t product = d * g;
        return g + d - ((product + (product >> 8) + 0x80) >> 8);
    };
    const int width = picture.width();
    const int height = picture.height();
    for (int row = 0; row < height; ++row) {
        auto* pixels = reinterpret_cast<std::uint32_t*>(picture.scanLine(row));
        const std::uint8_t* density = densities.constScanLine(row);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t g = density[x];
            const std::uint32_t pixel = pixels[x];
            pixels[x] = (pixel & 0xFF000000u) | (lay((pixel >> 16) & 0xFF, g) << 16) |
                        (lay((pixel >> 8) & 0xFF, g) << 8) | lay(pixel & 0xFF, g);
        }
    }
    return true;
}

QImage MakeNightLayerInPlace(QImage night, std::span<const std::uint8_t> mask,
                             const DateTime& utcNow) {
    if (night.isNull() || !MaskFits(mask, night) || !ReadyForLayerInPlace(night)) {
        return MakeNightLayer(night, mask, utcNow);
    }
    const int width = night.width();
    const int shift = WrapShift(NightMaskShift(width, utcNow), width);
    uchar* bits = night.bits();
    const qsizetype stride = night.bytesPerLine();
    ForEachRowInTwo(night.height(), [&](int y) {
        auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
        ShadeRow<true>(row, row, mask.data() + static_cast<std::ptrdiff_t>(y) * width, width,
                       shift);
    });
    return night;
}

QImage MakeNightLayerInPlace(QImage night, const DateTime& utcNow) {
    if (night.isNull()) {
        return night;
    }
    if (!ReadyForLayerInPlace(night)) {
        return MakeNightLayer(night, BuildNightMask(night.width(), night.height(), utcNow), utcNow);
    }
    // Each half shades a row as soon as its mask row is built, in a row of its own.
    struct ShadingRows {
        uchar* Bits;
        qsizetype Stride;
        int Width;
        int Shift;
        std::vector<std::uint8_t> Mask;

        std::uint8_t* Pixels(int /*row*/) {
            std::fill(Mask.begin(), Mask.end(), Unset);
            return Mask.data();
        }
        void Done(int row, const std::uint8_t* pixels) const {
            auto* target = reinterpret_cast<QRgb*>(Bits + row * Stride);
            ShadeRow<true>(target, target, pixels, Width, Shift);
        }
    };
    const int width = night.width();
    ShadingRows north{night.bits(), night.bytesPerLine(), width,
                      WrapShift(NightMaskShift(width, utcNow), width),
                      std::vector<std::uint8_t>(static_cast<std::size_t>(width))};
    ShadingRows south = north;
    if (!BuildInTwo(width, night.height(), utcNow, SampledCrossings(SunTable(utcNow)), north,
                    south)) {
        // Daylight everywhere, as a mask that failed gives.
        night.fill(Qt::transparent);
    }
    return night;
}
