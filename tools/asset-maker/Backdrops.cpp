#include "Backdrops.h"

#include <algorithm>
#include <cmath>

#include "Noise.h"
#include "ScenePainting.h"

QImage PaintSkyBackdrop(int width, int height) {
    Canvas canvas(width, height);
    constexpr SkyStop sky[] = {{0.0, Hex(0x3C78C0)}, {0.55, Hex(0x77A9DC)}, {1.0, Hex(0xBCD8F0)}};
    PaintSky(canvas, sky);
    PaintClouds(canvas, {.Seed = 5,
                         .Coverage = 0.35,
                         .Softness = 0.14,
                         .Size = 0.7,
                         .Octaves = 6,
                         .Stretch = 3,
                         .Shear = 0.3,
                         .Perspective = false,
                         .Top = 0.0,
                         .Bottom = 1.0,
                         .Light = Hex(0xFFFFFF),
                         .Shadow = Hex(0xD3E3F3),
                         .Opacity = 0.35,
                         .Shading = 0.3,
                         .Thickness = 0.2});
    return canvas.ToRgb888(0);
}

QImage PaintPanel(int width, int height) {
    QImage panel(width, height, QImage::Format_ARGB32);
    const double border = PanelBorder;
    for (int y = 0; y < height; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(panel.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double px = x + 0.5;
            const double py = y + 0.5;
            // Distance inwards from the rounded outline: the corners are quarter circles of the
            // border's radius, so every corner slice holds its whole curve.
            const double cornerX = std::clamp(px, border, width - border);
            const double cornerY = std::clamp(py, border, height - border);
            double inside = 0;
            if (cornerX != px && cornerY != py) {
                inside = border - std::hypot(px - cornerX, py - cornerY);
            } else {
                inside = std::min({px, py, width - px, height - py});
            }
            const double t = Clamp01(inside / border);
            const double rise = t * t * t * (t * (t * 6 - 15) + 10);
            const int alpha = static_cast<int>(std::lround(255 * PanelOpacity * rise));
            line[x] = qRgba(0, 0, 0, alpha);
        }
    }
    return panel;
}
