#pragma once

#include <QStringList>

#include <QImage>
#include <QString>

// The background of one folder of "Weather Backgrounds/" (a short text of the weather codes) by
// day or by night, as 8-bit RGB. Throws ToolFailure for an unknown name.
QImage RenderWeatherBackground(const QString& name, bool day, int width, int height);

// Every background as "<name>/Day/<name> Day.jpg" and "<name>/Night/<name> Night.jpg" under
// "Weather Backgrounds/" of `assetsFolder`; returns the paths written.
QStringList WriteWeatherBackgrounds(const QString& assetsFolder, int width, int height);
