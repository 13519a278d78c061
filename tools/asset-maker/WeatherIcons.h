#pragma once

#include <QImage>
#include <QString>
#include <span>

// Where one SVG drawing goes inside an icon: its 64 x 64 view box is placed at (Left, Top) and
// scaled to Size, all in the icon's own 64-unit square. The drawings show rain, snow and hail
// overlapping the cloud's lower edge; FallScale and FallDrop enlarge everything drawn after
// the cloud and move it down below the cloud, so that it still reads at the map's size.
// Colour, when given, replaces every plain fill and stroke colour of the drawing.
struct IconLayer {
    const char* Svg;
    double Left = 0;
    double Top = 0;
    double Size = 64;
    double FallScale = 1;
    double FallDrop = 0;
    const char* Colour = nullptr;
};

// One icon file of the installation and the drawings it is made of, first layer at the back.
struct IconRecipe {
    const char* FileName;
    std::span<const IconLayer> Layers;
};

// Every icon the program loads from "SmallWeatherIcons/" and "LargeWeatherIcons/".
std::span<const IconRecipe> WeatherIconTable();

enum class IconEdge {
    None,
    // A faint soft shadow, for the large icons on the desktop and the local-weather panel.
    Shadow,
    // A dark rim, for the small icons on the Earth map, where white clouds meet white clouds.
    Outline,
};

constexpr int SmallIconSize = 64;
constexpr int LargeIconSize = 256;

// A size x size transparent picture of the layers, the SVG files read from `svgFolder`.
QImage RenderIcon(std::span<const IconLayer> layers, const QString& svgFolder, int size,
                  IconEdge edge);

// Writes every icon of the table into "SmallWeatherIcons/" and "LargeWeatherIcons/" of
// `assetsFolder`; returns the paths written.
QStringList WriteWeatherIcons(const QString& svgFolder, const QString& assetsFolder);
