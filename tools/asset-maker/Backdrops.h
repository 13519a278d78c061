#pragma once

#include <QImage>

// The sky the weather pictures are drawn over ("LargeWeatherIcons/Sky.png"): a soft blue
// gradient with faint clouds, meant to be stretched over a whole screen.
QImage PaintSkyBackdrop(int width, int height);

// The local-weather panel ("UI/LocalWeatherBackground.png"). The program keeps only its alpha
// and draws it as a nine-slice with 30 x 30 corners, so the alpha rises from 0 at the rim to
// its inside value within those 30 pixels and is uniform beyond, and the corners are rounded.
QImage PaintPanel(int width, int height);

constexpr int PanelBorder = 30;
constexpr double PanelOpacity = 0.6;
