#include "WeatherEffects.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "Images.h"
#include "Noise.h"
#include "ScenePainting.h"

namespace {

// Where a streak of the given length and angle starts, anywhere it may show in the band.
QPointF StreakStart(Random& random, const Canvas& canvas, const Precipitation& fall, double slope,
                    double length) {
    const double top = fall.Top * canvas.Height() - length;
    const double bottom = fall.Bottom * canvas.Height();
    const double y = random.Uniform(top, bottom);
    // Leaning streaks enter from beyond the sides too.
    const double spread = std::abs(slope) * canvas.Height();
    const double x = random.Uniform(-spread, canvas.Width() + spread) - slope * (y - top);
    return {x, y};
}

void Finish(Canvas& canvas, QImage& layer, int blur) {
    BlurImage(layer, blur);
    canvas.Composite(layer, QPainter::CompositionMode_SourceOver);
}

}  // namespace

void PaintRain(Canvas& canvas, const Precipitation& rain) {
    QImage layer = canvas.NewLayer();
    QPainter painter(&layer);
    painter.setRenderHint(QPainter::Antialiasing);
    Random random(rain.Seed);
    const double slope = std::tan(rain.Angle * std::numbers::pi / 180);
    for (int index = 0; index < rain.Count; ++index) {
        const double length = rain.Length * random.Uniform(0.55, 1.45);
        const QPointF start = StreakStart(random, canvas, rain, slope, length);
        const QPointF end(start.x() + slope * length, start.y() + length);
        const double alpha = rain.Opacity * random.Uniform(0.45, 1.0);
        QLinearGradient fade(start, end);
        fade.setColorAt(0, ToQColor(rain.Colour, 0));
        fade.setColorAt(0.7, ToQColor(rain.Colour, alpha));
        fade.setColorAt(1, ToQColor(rain.Colour, alpha * 0.6));
        painter.setPen(
            QPen(QBrush(fade), rain.Width * random.Uniform(0.7, 1.3), Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(start, end);
    }
    painter.end();
    Finish(canvas, layer, rain.Blur);
}

void PaintSnow(Canvas& canvas, const Precipitation& snow) {
    QImage layer = canvas.NewLayer();
    QPainter painter(&layer);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    Random random(snow.Seed);
    const double top = snow.Top * canvas.Height();
    const double bottom = snow.Bottom * canvas.Height();
    for (int index = 0; index < snow.Count; ++index) {
        const QPointF centre(random.Uniform(0, canvas.Width()), random.Uniform(top, bottom));
        const double size = std::max(1.6, snow.Length * std::pow(random.Uniform(), 2.2));
        const double alpha = snow.Opacity * random.Uniform(0.55, 1.0);
        QRadialGradient flake(centre, size / 2);
        flake.setColorAt(0, ToQColor(snow.Colour, alpha));
        flake.setColorAt(0.55, ToQColor(snow.Colour, alpha * 0.8));
        flake.setColorAt(1, ToQColor(snow.Colour, 0));
        painter.setBrush(flake);
        painter.drawEllipse(centre, size / 2, size / 2);
    }
    painter.end();
    Finish(canvas, layer, snow.Blur);
}

void PaintHail(Canvas& canvas, const Precipitation& hail) {
    QImage layer = canvas.NewLayer();
    QPainter painter(&layer);
    painter.setRenderHint(QPainter::Antialiasing);
    Random random(hail.Seed);
    const double slope = std::tan(hail.Angle * std::numbers::pi / 180);
    for (int index = 0; index < hail.Count; ++index) {
        const double trail = hail.Length * random.Uniform(0.6, 1.4);
        const QPointF start = StreakStart(random, canvas, hail, slope, trail);
        const QPointF stone(start.x() + slope * trail, start.y() + trail);
        const double alpha = hail.Opacity * random.Uniform(0.6, 1.0);
        const double radius = hail.Width * random.Uniform(0.6, 1.3) / 2;
        QLinearGradient fade(start, stone);
        fade.setColorAt(0, ToQColor(hail.Colour, 0));
        fade.setColorAt(1, ToQColor(hail.Colour, alpha * 0.45));
        painter.setPen(QPen(QBrush(fade), radius * 1.2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(start, stone);
        QRadialGradient ice(stone - QPointF(radius * 0.3, radius * 0.3), radius * 1.3);
        ice.setColorAt(0, ToQColor(Hex(0xFFFFFF), alpha));
        ice.setColorAt(0.6, ToQColor(hail.Colour, alpha));
        ice.setColorAt(1, ToQColor(Scale(hail.Colour, 0.75), alpha * 0.9));
        painter.setPen(Qt::NoPen);
        painter.setBrush(ice);
        painter.drawEllipse(stone, radius, radius);
    }
    painter.end();
    Finish(canvas, layer, hail.Blur);
}

namespace {

// A jagged line: each halving moves the midpoint sideways by a share of the segment's length.
void Subdivide(Random& random, QPointF from, QPointF to, int levels, double roughness,
               std::vector<QPointF>& points) {
    if (levels == 0) {
        points.push_back(to);
        return;
    }
    const QPointF along = to - from;
    const double length = std::hypot(along.x(), along.y());
    const QPointF across(-along.y() / std::max(length, 1e-9), along.x() / std::max(length, 1e-9));
    const QPointF middle = (from + to) / 2 + across * (random.Uniform(-1, 1) * roughness * length);
    Subdivide(random, from, middle, levels - 1, roughness, points);
    Subdivide(random, middle, to, levels - 1, roughness, points);
}

std::vector<QPointF> Bolt(Random& random, QPointF from, QPointF to, int levels) {
    std::vector<QPointF> points{from};
    Subdivide(random, from, to, levels, 0.22, points);
    return points;
}

struct Stroke {
    std::vector<QPointF> Points;
    double Width;
};

void DrawStrokes(QImage& layer, const std::vector<Stroke>& strokes, double widthFactor,
                 const Rgb& colour, double alpha) {
    QPainter painter(&layer);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const Stroke& stroke : strokes) {
        painter.setPen(QPen(ToQColor(colour, alpha), stroke.Width * widthFactor, Qt::SolidLine,
                            Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(stroke.Points.data(), static_cast<int>(stroke.Points.size()));
    }
}

}  // namespace

void PaintLightning(Canvas& canvas, std::uint64_t seed, QPointF from, QPointF to,
                    double brightness) {
    Random random(seed);
    std::vector<Stroke> strokes;
    strokes.push_back({Bolt(random, from, to, 8), 2.2});
    const std::vector<QPointF> trunk = strokes.front().Points;
    const int branches = 5 + random.Below(4);
    for (int index = 0; index < branches; ++index) {
        const auto at = static_cast<std::size_t>(random.Uniform(0.05, 0.7) * trunk.size());
        const QPointF start = trunk[at];
        const double remaining = std::hypot(to.x() - start.x(), to.y() - start.y());
        const double length = remaining * random.Uniform(0.15, 0.45);
        const double heading = std::atan2(to.y() - start.y(), to.x() - start.x()) +
                               random.Uniform(0.35, 0.9) * (random.Below(2) == 0 ? -1 : 1);
        const QPointF end = start + QPointF(std::cos(heading), std::sin(heading)) * length;
        strokes.push_back({Bolt(random, start, end, 6), random.Uniform(0.7, 1.2)});
    }
    AddGlow(canvas, from, 0.22 * canvas.Height(), Scale(Hex(0xB9B6F0), 0.30 * brightness));
    AddGlow(canvas, (from + to) / 2, 0.35 * canvas.Height(),
            Scale(Hex(0x8E8CD8), 0.10 * brightness));
    const Rgb glow = Hex(0xA9A6FF);
    QImage wide = canvas.NewLayer();
    DrawStrokes(wide, strokes, 6, glow, 0.55 * brightness);
    BlurImage(wide, 12);
    canvas.Composite(wide, QPainter::CompositionMode_Plus);
    QImage near = canvas.NewLayer();
    DrawStrokes(near, strokes, 2.2, glow, 0.8 * brightness);
    BlurImage(near, 2);
    canvas.Composite(near, QPainter::CompositionMode_Plus);
    QImage core = canvas.NewLayer();
    DrawStrokes(core, strokes, 0.75, Hex(0xFFFFFF), 1.0);
    canvas.Composite(core, QPainter::CompositionMode_SourceOver);
}

void PaintTornado(Canvas& canvas, std::uint64_t seed, QPointF top, QPointF ground, double width,
                  const Rgb& colour, const Rgb& dust) {
    const Noise texture(seed);
    const Noise wobble(seed + 5);
    const double span = ground.y() - top.y();
    const int firstRow = std::max(0, static_cast<int>(top.y()));
    const int endRow = std::min(canvas.Height(), static_cast<int>(ground.y()) + 1);
    for (int y = firstRow; y < endRow; ++y) {
        const double t = (y - top.y()) / span;
        const double centre = Mix(top.x(), ground.x(), t) +
                              0.35 * width * std::sin(std::numbers::pi * t) +
                              0.04 * width * wobble.Fractal(t * 6, 0.5, 3);
        const double half = width * 0.5 * (0.06 + 0.94 * std::pow(1 - t, 2.6));
        const int left = std::max(0, static_cast<int>(centre - half * 1.4));
        const int right = std::min(canvas.Width(), static_cast<int>(centre + half * 1.4) + 1);
        for (int x = left; x < right; ++x) {
            const double u = (x + 0.5 - centre) / half;
            const double ragged = 0.15 * texture.Fractal(t * 18, u * 0.8 + 3.3, 3);
            const double edge = 1 - SmoothStep(0.7, 1.05 + ragged, std::abs(u));
            if (edge <= 0) {
                continue;
            }
            // Bands wound around the funnel, slanting with the turn.
            const double bands = 0.5 + 0.5 * texture.Fractal(t * 30 - u * 1.6, u * 2.5 + t * 3, 4);
            const double side = 0.5 - 0.45 * u;
            const Rgb shade =
                Scale(Mix(Scale(colour, 0.65), Scale(colour, 1.2), side), 0.8 + 0.4 * bands);
            const double alpha = edge * (0.7 + 0.3 * bands) * SmoothStep(0.0, 0.15, t) *
                                 (1 - 0.35 * SmoothStep(0.85, 1.0, t));
            canvas.Blend(x, y, shade, alpha);
        }
    }
    // The debris cloud where the funnel meets the ground.
    const double dustWidth = width * 0.55;
    const double dustHeight = width * 0.3;
    for (int y = static_cast<int>(ground.y() - dustHeight * 1.6);
         y < std::min(canvas.Height(), static_cast<int>(ground.y() + dustHeight * 0.4)); ++y) {
        for (int x = std::max(0, static_cast<int>(ground.x() - dustWidth * 1.5));
             x < std::min(canvas.Width(), static_cast<int>(ground.x() + dustWidth * 1.5)); ++x) {
            const double dx = (x - ground.x()) / dustWidth;
            const double dy = (y - (ground.y() - dustHeight * 0.4)) / dustHeight;
            const double body = 1 - (dx * dx + dy * dy);
            if (body <= -0.3) {
                continue;
            }
            const double puff = texture.Fractal(x / 38.0, y / 30.0, 5);
            const double alpha = Clamp01(body + 0.45 * puff) * 0.85;
            canvas.Blend(x, y, Scale(dust, 0.85 + 0.3 * puff), alpha);
        }
    }
}

void PaintHeatShimmer(Canvas& canvas, std::uint64_t seed, double top, double bottom,
                      double strength) {
    const Noise air(seed);
    const QImage before = canvas.Image().copy();
    const int width = canvas.Width();
    const int height = canvas.Height();
    const auto [firstRow, endRow] = canvas.Rows(top, bottom);
    const auto sample = [&before, width, height](double x, double y) {
        x = std::clamp(x, 0.0, width - 1.001);
        y = std::clamp(y, 0.0, height - 1.001);
        const int x0 = static_cast<int>(x);
        const int y0 = static_cast<int>(y);
        const double fx = x - x0;
        const double fy = y - y0;
        const auto at = [&before](int px, int py) {
            const float* pixel = reinterpret_cast<const float*>(before.constScanLine(py)) + px * 4;
            return Rgb{pixel[0], pixel[1], pixel[2]};
        };
        return Mix(Mix(at(x0, y0), at(x0 + 1, y0), fx), Mix(at(x0, y0 + 1), at(x0 + 1, y0 + 1), fx),
                   fy);
    };
    for (int y = firstRow; y < endRow; ++y) {
        const double at = (y - firstRow) / std::max(1.0, static_cast<double>(endRow - firstRow));
        const double amount = strength * std::sin(std::numbers::pi * at);
        for (int x = 0; x < width; ++x) {
            const double dx = amount * (0.6 * std::sin(y * 0.9 + 4 * air.At(x / 90.0, y / 20.0)) +
                                        air.Fractal(x / 30.0, y / 5.0, 3));
            const double dy = amount * 0.4 * air.Fractal(x / 45.0 + 7.1, y / 7.0, 3);
            canvas.Set(x, y, sample(x + dx, y + dy));
        }
    }
}

void PaintDiamondDust(Canvas& canvas, std::uint64_t seed, int count, double top, double bottom) {
    Random random(seed);
    QImage layer = canvas.NewLayer();
    QPainter painter(&layer);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int index = 0; index < count; ++index) {
        const QPointF centre(random.Uniform(0, canvas.Width()),
                             random.Uniform(top, bottom) * canvas.Height());
        const double strength = std::pow(random.Uniform(), 2.0);
        const double ray = 2 + 9 * strength;
        for (const QPointF& direction : {QPointF(1, 0), QPointF(0, 1)}) {
            QLinearGradient fade(centre - direction * ray, centre + direction * ray);
            fade.setColorAt(0, ToQColor(Hex(0xE8F4FF), 0));
            fade.setColorAt(0.5, ToQColor(Hex(0xFFFFFF), 0.35 + 0.6 * strength));
            fade.setColorAt(1, ToQColor(Hex(0xE8F4FF), 0));
            painter.setPen(QPen(QBrush(fade), 1.0));
            painter.drawLine(centre - direction * ray, centre + direction * ray);
        }
        QRadialGradient core(centre, 1.5 + strength);
        core.setColorAt(0, ToQColor(Hex(0xFFFFFF), 0.5 + 0.5 * strength));
        core.setColorAt(1, ToQColor(Hex(0xFFFFFF), 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(core);
        painter.drawEllipse(centre, 1.5 + strength, 1.5 + strength);
    }
    painter.end();
    canvas.Composite(layer, QPainter::CompositionMode_Plus);
}

void PaintHalo(Canvas& canvas, QPointF centre, double radius, double strength) {
    const double width = radius * 0.035;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const double distance = std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y());
            const double inner = (distance - radius * 0.985) / width;
            const double outer = (distance - radius * 1.03) / (width * 1.6);
            if (std::abs(inner) > 5 && std::abs(outer) > 5) {
                continue;
            }
            canvas.Add(x, y, Scale(Hex(0xFFD9B0), strength * std::exp(-inner * inner / 2)));
            canvas.Add(x, y, Scale(Hex(0xCFE0FF), 0.7 * strength * std::exp(-outer * outer / 2)));
        }
    }
}
