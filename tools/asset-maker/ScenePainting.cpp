#include "ScenePainting.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "Noise.h"

void PaintSky(Canvas& canvas, std::span<const SkyStop> stops) {
    const int height = canvas.Height();
    for (int y = 0; y < height; ++y) {
        const double at = (y + 0.5) / height;
        Rgb colour = stops.front().Colour;
        for (std::size_t index = 1; index < stops.size(); ++index) {
            if (at >= stops[index - 1].At) {
                colour = Mix(stops[index - 1].Colour, stops[index].Colour,
                             SmoothStep(stops[index - 1].At, stops[index].At, at));
            }
        }
        for (int x = 0; x < canvas.Width(); ++x) {
            canvas.Set(x, y, colour);
        }
    }
}

void AddGlow(Canvas& canvas, QPointF centre, double radius, const Rgb& light) {
    const double reach = radius * 3.5;
    const int left = std::max(0, static_cast<int>(centre.x() - reach));
    const int right = std::min(canvas.Width(), static_cast<int>(centre.x() + reach) + 1);
    const int top = std::max(0, static_cast<int>(centre.y() - reach));
    const int bottom = std::min(canvas.Height(), static_cast<int>(centre.y() + reach) + 1);
    const double spread = 2 * radius * radius;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const double dx = x + 0.5 - centre.x();
            const double dy = y + 0.5 - centre.y();
            canvas.Add(x, y, Scale(light, std::exp(-(dx * dx + dy * dy) / spread)));
        }
    }
}

void PaintSun(Canvas& canvas, QPointF centre, double radius, const Rgb& colour, double glow) {
    const int reach = static_cast<int>(radius) + 2;
    for (int y = static_cast<int>(centre.y()) - reach; y <= centre.y() + reach; ++y) {
        for (int x = static_cast<int>(centre.x()) - reach; x <= centre.x() + reach; ++x) {
            if (x < 0 || y < 0 || x >= canvas.Width() || y >= canvas.Height()) {
                continue;
            }
            const double distance = std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y());
            const double cover = Clamp01(radius - distance + 0.5);
            // Slightly warmer towards the rim, as the real disc is.
            const Rgb disc = Mix(Hex(0xFFFFFA), colour, 0.35 * distance / radius);
            canvas.Blend(x, y, disc, cover);
        }
    }
    // The glow goes over the disc too, so the disc stays the brightest part.
    AddGlow(canvas, centre, radius * 9, Scale(colour, 0.16 * glow));
    AddGlow(canvas, centre, radius * 2.2, Scale(colour, 0.22 * glow));
}

void PaintMoon(Canvas& canvas, QPointF centre, double radius, double lit, const Rgb& skyColour) {
    AddGlow(canvas, centre, radius * 5, Scale(Hex(0x9FB4D8), 0.10 + 0.12 * lit));
    AddGlow(canvas, centre, radius * 1.8, Scale(Hex(0xC8D4EA), 0.10 + 0.12 * lit));
    const Noise maria(77);
    // A crescent is the disc less a second disc shifted to the right.
    const double shift = lit >= 0.99 ? 1e9 : 2.0 * lit * radius;
    const int reach = static_cast<int>(radius) + 2;
    for (int y = static_cast<int>(centre.y()) - reach; y <= centre.y() + reach; ++y) {
        for (int x = static_cast<int>(centre.x()) - reach; x <= centre.x() + reach; ++x) {
            if (x < 0 || y < 0 || x >= canvas.Width() || y >= canvas.Height()) {
                continue;
            }
            const double dx = x + 0.5 - centre.x();
            const double dy = y + 0.5 - centre.y();
            const double cover = Clamp01(radius - std::hypot(dx, dy) + 0.5);
            if (cover <= 0) {
                continue;
            }
            const double shadow = Clamp01(radius - std::hypot(dx - shift, dy) + 0.5);
            const double surface =
                0.86 + 0.14 * maria.Fractal(dx / radius * 1.6, dy / radius * 1.6, 4);
            canvas.Blend(x, y, Scale(Hex(0xF4F1E6), surface), cover * (1 - shadow));
            // The unlit part hides the stars behind it and only just shows by earthshine.
            canvas.Blend(x, y, Mix(skyColour, Hex(0x5A6680), 0.1), cover * shadow * 0.5);
        }
    }
}

void PaintStars(Canvas& canvas, std::uint64_t seed, int count, double horizon, double brightness) {
    Random random(seed);
    const double horizonY = horizon * canvas.Height();
    for (int index = 0; index < count; ++index) {
        const double x = random.Uniform(0, canvas.Width());
        const double y = horizonY * std::pow(random.Uniform(), 1.35);
        const double strength =
            brightness * std::pow(random.Uniform(), 3.2) * std::sqrt(Clamp01(1 - y / horizonY));
        const double sigma = 0.5 + 0.55 * strength / std::max(brightness, 1e-6);
        const double warmth = random.Uniform();
        const Rgb tint = warmth < 0.2   ? Hex(0xFFE2C0)
                         : warmth < 0.5 ? Hex(0xCFDCFF)
                                        : Hex(0xFFFFFF);
        for (int dy = -3; dy <= 3; ++dy) {
            for (int dx = -3; dx <= 3; ++dx) {
                const int px = static_cast<int>(x) + dx;
                const int py = static_cast<int>(y) + dy;
                if (px < 0 || py < 0 || px >= canvas.Width() || py >= canvas.Height()) {
                    continue;
                }
                const double ox = px + 0.5 - x;
                const double oy = py + 0.5 - y;
                const double spot = std::exp(-(ox * ox + oy * oy) / (2 * sigma * sigma));
                canvas.Add(px, py, Scale(tint, strength * spot));
            }
        }
    }
}

namespace {

// Density of a cloud deck (about 0..1) at a picture point, and how far away that point is.
class DeckDensity {
public:
    DeckDensity(const CloudDeck& deck, int width, int height)
        : deck_(deck),
          shape_(deck.Seed),
          detail_(deck.Seed * 13 + 3),
          warp_(deck.Seed * 31 + 7),
          width_(width),
          height_(height) {}

    struct Point {
        double U;
        double V;
        double Depth;
    };

    Point Map(double x, double y) const {
        double u = 0;
        double v = 0;
        double depth = 1;
        if (deck_.Perspective) {
            // A level layer seen from the ground: depth grows as 1 / angle above the horizon.
            // Overhead the shapes keep their proportions; towards the horizon they flatten.
            const double above = std::max((deck_.Horizon * height_ - y) / height_, 1e-3);
            depth = deck_.Horizon / above;
            u = (x - width_ / 2.0) / height_ * depth;
            v = depth * deck_.Horizon;
        } else {
            u = x / height_;
            v = y / height_;
        }
        u = u / deck_.Stretch + deck_.Shear * v;
        return {u / deck_.Size, v / deck_.Size, depth};
    }

    // The broad shape only: what the light and shade follow.
    double Broad(const Point& point) const {
        const double warpU = warp_.Fractal(point.U * 1.3, point.V * 1.3, 3);
        const double warpV = warp_.Fractal(point.U * 1.3 + 5.2, point.V * 1.3 + 1.3, 3);
        return 0.5 + 0.5 * shape_.Fractal(point.U + 0.25 * warpU, point.V + 0.25 * warpV, 3);
    }

    double Full(const Point& point, double broad) const {
        const double u = point.U * 8;
        const double v = point.V * 8;
        const double fine = 0.5 * detail_.Fractal(u, v, std::max(1, deck_.Octaves - 3));
        if (deck_.Puff <= 0) {
            return broad + 0.25 * fine;
        }
        double billow = 0;
        double amplitude = 1;
        double total = 0;
        double bu = point.U * 3;
        double bv = point.V * 3;
        for (int octave = 0; octave < std::max(1, deck_.Octaves - 3); ++octave) {
            billow += amplitude * std::abs(detail_.At(bu, bv));
            total += amplitude;
            amplitude *= 0.5;
            bu *= 2.03;
            bv *= 2.03;
        }
        return broad + deck_.Puff * (billow / total - 0.35) + 0.1 * fine;
    }

    // From FadeDepth on the deck fades into the haze, gone by MaxDepth.
    static constexpr double FadeDepth = 2.5;
    static constexpr double MaxDepth = 12;

private:
    const CloudDeck& deck_;
    Noise shape_;
    Noise detail_;
    Noise warp_;
    int width_;
    int height_;
};

}  // namespace

void PaintClouds(Canvas& canvas, const CloudDeck& deck) {
    const int width = canvas.Width();
    const int height = canvas.Height();
    const DeckDensity density(deck, width, height);
    // The threshold that leaves `Coverage` of the band covered, found from a sample.
    Random random(deck.Seed + 1000);
    std::vector<double> sample;
    for (int index = 0; index < 4000; ++index) {
        const double nearest =
            deck.Perspective ? deck.Horizon * (1 - 1 / DeckDensity::FadeDepth) : 1.0;
        const double y = random.Uniform(deck.Top, std::min(deck.Bottom, nearest)) * height;
        const DeckDensity::Point point = density.Map(random.Uniform(0, width), y);
        sample.push_back(density.Full(point, density.Broad(point)));
    }
    std::sort(sample.begin(), sample.end());
    const auto rank = static_cast<std::size_t>(Clamp01(1 - deck.Coverage) * (sample.size() - 1));
    const double threshold = sample[rank];
    const double nudge = 0.03 * height;
    // The texts there run leftwards from the corner: a wide, low patch.
    const double cornerWidth = 0.45 * height;
    const double cornerHeight = 0.22 * height;

    const auto [firstRow, endRow] = canvas.Rows(deck.Top, deck.Bottom);
    for (int y = firstRow; y < endRow; ++y) {
        const double at = (y + 0.5) / height;
        double band = 1;
        if (deck.Top > 0) {
            band *= SmoothStep(deck.Top, deck.Top + deck.Fade, at);
        }
        if (deck.Bottom < 1) {
            band *= 1 - SmoothStep(deck.Bottom - deck.Fade, deck.Bottom, at);
        }
        if (band <= 0) {
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const DeckDensity::Point point = density.Map(x + 0.5, y + 0.5);
            if (point.Depth >= DeckDensity::MaxDepth) {
                continue;
            }
            const double broad = density.Broad(point);
            const double here = density.Full(point, broad);
            double cover =
                SmoothStep(threshold - deck.Softness, threshold + deck.Softness, here) * band;
            if (deck.Perspective) {
                cover *= 1 - SmoothStep(DeckDensity::FadeDepth, DeckDensity::MaxDepth, point.Depth);
            }
            if (deck.CalmCorner > 0) {
                const double dx = (width - x) / cornerWidth;
                const double dy = y / cornerHeight;
                cover *= 1 - deck.CalmCorner * std::exp(-(dx * dx + dy * dy) / 2);
            }
            if (cover <= 0.002) {
                continue;
            }
            const double towardX = deck.LightFrom.x() - x;
            const double towardY = deck.LightFrom.y() - y;
            const double length = std::max(std::hypot(towardX, towardY), 1.0);
            const double lightward = density.Broad(density.Map(x + 0.5 + towardX / length * nudge,
                                                               y + 0.5 + towardY / length * nudge));
            const double thick = SmoothStep(threshold, threshold + 0.3, here);
            const double rim = deck.Rim * (1 - SmoothStep(threshold, threshold + 0.12, here));
            const double brightness = Clamp01(0.75 + deck.Shading * (broad - lightward) * 4.0 -
                                              deck.Thickness * thick * 0.7 + 0.25 * rim);
            canvas.Blend(x, y, Mix(deck.Shadow, deck.Light, brightness), cover * deck.Opacity);
        }
    }
}

namespace {

// The height (in pixels from the top) of a ridge's outline at column x.
double RidgeLine(const Ridge& ridge, const Noise& shape, const Noise& trees, double x, int width,
                 int height) {
    const double u = x / (ridge.Width * width);
    const double rounded = 0.5 + 0.5 * shape.Fractal(u, 0.37, 5, 0.45);
    const double crests = SmoothStep(0.35, 0.95, shape.Ridged(u * 1.3, 7.1, 6));
    double line = ridge.Base * height - ridge.Height * height * Mix(rounded, crests, ridge.Peaks);
    if (ridge.Trees > 0) {
        const double crowns = 0.5 + 0.5 * trees.Fractal(x / 9.0, 3.1, 3, 0.55);
        const double groves = SmoothStep(-0.2, 0.3, trees.At(x / 260.0, 9.7));
        line -= ridge.Trees * height * std::pow(crowns, 1.6) * (0.25 + 0.75 * groves);
    }
    return line;
}

}  // namespace

void PaintRidge(Canvas& canvas, const Ridge& ridge) {
    const int width = canvas.Width();
    const int height = canvas.Height();
    const Noise shape(ridge.Seed);
    const Noise trees(ridge.Seed + 11);
    const Noise texture(ridge.Seed + 23);
    for (int x = 0; x < width; ++x) {
        const double line = RidgeLine(ridge, shape, trees, x + 0.5, width, height);
        const int first = std::max(0, static_cast<int>(std::floor(line)));
        for (int y = first; y < height; ++y) {
            const double cover = Clamp01(y + 1 - line);
            const double fall = ridge.Fall > 0 ? ridge.Fall * height : height - line;
            const double depth = Clamp01((y - line) / std::max(fall, 1.0));
            Rgb colour = Mix(ridge.Top, ridge.Bottom, depth);
            if (ridge.Texture > 0) {
                colour = Scale(colour, 1 + ridge.Texture * texture.Fractal(x / 70.0, y / 14.0, 4));
            }
            canvas.Blend(x, y, colour, cover);
        }
    }
}

void PaintForest(Canvas& canvas, std::uint64_t seed, double base, double treeHeight, double spacing,
                 const Rgb& colour, const Rgb& floorColour) {
    const int width = canvas.Width();
    const int height = canvas.Height();
    const Ridge floor{.Seed = seed,
                      .Base = base,
                      .Height = 0.025,
                      .Width = 0.3,
                      .Top = floorColour,
                      .Bottom = floorColour};
    const Noise shape(seed);
    const Noise unused(seed + 11);
    const auto ground = [&](double x) { return RidgeLine(floor, shape, unused, x, width, height); };
    PaintRidge(canvas, floor);
    QImage layer = canvas.NewLayer();
    QPainter painter(&layer);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(colour));
    Random random(seed + 1);
    const Noise groves(seed + 2);
    for (double x = -20; x < width + 20; x += spacing * random.Uniform(0.4, 1.6)) {
        // Woods come in stands with clearings between them.
        const double stand = SmoothStep(-0.45, 0.1, groves.At(x / 300.0, 1.7));
        if (random.Uniform() > stand) {
            continue;
        }
        const double tall = treeHeight * height * random.Uniform(0.45, 1.0) * (0.6 + 0.4 * stand);
        const double foot = ground(x) + 2;
        const double halfWidth = tall * random.Uniform(0.16, 0.22);
        // Tiers of branches: each a little wider at its lower edge than the one above.
        QPolygonF tree;
        const int tiers = 5;
        tree << QPointF(x, foot - tall);
        for (int tier = 1; tier <= tiers; ++tier) {
            const double down = static_cast<double>(tier) / tiers;
            const double reach = halfWidth * down * random.Uniform(0.85, 1.15);
            const double y = foot - tall + tall * 0.92 * down;
            tree << QPointF(x + reach, y) << QPointF(x + reach * 0.55, y - tall * 0.03);
        }
        tree << QPointF(x + halfWidth * 0.15, foot) << QPointF(x - halfWidth * 0.15, foot);
        for (int tier = tiers; tier >= 1; --tier) {
            const double down = static_cast<double>(tier) / tiers;
            const double reach = halfWidth * down * random.Uniform(0.85, 1.15);
            const double y = foot - tall + tall * 0.92 * down;
            tree << QPointF(x - reach * 0.55, y - tall * 0.03) << QPointF(x - reach, y);
        }
        painter.drawPolygon(tree);
    }
    painter.end();
    canvas.Composite(layer, QPainter::CompositionMode_SourceOver);
}

void PaintFog(Canvas& canvas, std::uint64_t seed, double top, double densest, double bottom,
              const Rgb& colour, double opacity) {
    const Noise banks(seed);
    const int width = canvas.Width();
    const int height = canvas.Height();
    const auto [firstRow, endRow] = canvas.Rows(top, bottom);
    for (int y = firstRow; y < endRow; ++y) {
        const double at = (y + 0.5) / height;
        const double profile =
            at < densest ? SmoothStep(top, densest, at) : 1 - SmoothStep(densest, bottom, at);
        if (profile <= 0) {
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const double drift =
                0.62 + 0.38 * banks.Fractal(x / (0.45 * width), y / (0.05 * height), 5);
            canvas.Blend(x, y, colour, opacity * profile * drift);
        }
    }
}

void CalmTextCorner(Canvas& canvas, double strength) {
    const double sigma = 0.42 * canvas.Height();
    const double reach = 3 * sigma;
    const int width = canvas.Width();
    for (int y = 0; y < std::min(canvas.Height(), static_cast<int>(reach)); ++y) {
        for (int x = std::max(0, static_cast<int>(width - reach)); x < width; ++x) {
            const double dx = width - x;
            const double dy = y;
            const double keep = 1 - strength * std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma));
            canvas.Set(x, y, Scale(canvas.At(x, y), keep));
        }
    }
}
