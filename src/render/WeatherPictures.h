#pragma once

#include <QImage>
#include <array>
#include <random>
#include <string>

#include "core/DateTime.h"
#include "core/Nullable.h"
#include "data/City.h"
#include "weather/WeatherCode.h"

// Whether the sun is up at the city; any failure of the sun computation counts as day.
bool IsDaytime(const City& city, const DateTime& utc);

// The weather pictures of the installation, loaded once and drawn for every
// frame, and the background photograph chosen for the current condition.
class WeatherPictures {
public:
    // Both folders end in "/". The user's own weather backgrounds lie in
    // userBackgroundsFolder laid out as the installation's "Weather Backgrounds/";
    // empty for none.
    explicit WeatherPictures(std::string installationFolder,
                             std::string userBackgroundsFolder = "");

    // Loads every icon, "NA.png", "Sky.png" and the shadow of the local-weather
    // background. A missing or unreadable file leaves a null image in its slot.
    void Load();

    // Null for an absent code or one outside the table. A code in the table always
    // has its slot, which holds a null image when its file could not be read.
    const QImage* SmallIcon(const Nullable<EnumWeatherCode>& code, bool isDay) const;
    const QImage& LargeIcon(const Nullable<EnumWeatherCode>& code, bool isDay,
                            const QImage& fallback) const;

    const QImage& SmallNotAvailable() const { return smallNotAvailable_; }
    const QImage& LargeNotAvailable() const { return largeNotAvailable_; }
    const QImage& Sky() const { return sky_; }
    // "LocalWeatherBackground.png" as a black silhouette that keeps its alpha.
    const QImage& LocalWeatherShadow() const { return localWeatherShadow_; }

    // Installation folder + "Weather Backgrounds/" + short text + "/"; empty for
    // an absent code or one outside the table.
    std::string WeatherBackgroundFolder(const Nullable<EnumWeatherCode>& code) const;

    // A random picture of the condition's folder and its "Day" or "Night"
    // subfolder, in the installation and in the user's folder, kept for 30 minutes per folder (day
    // turning to night keeps it). Null when the folder offers no picture, and also while the chosen
    // file could not be read: that choice is kept for the 30 minutes all the same, so a broken file
    // is not read again at every frame. The pointer stays valid until the next call.
    const QImage* WeatherBackground(bool isDay, const Nullable<EnumWeatherCode>& code,
                                    const DateTime& utcNow);

    // For tests: the path of the cached background, empty when none.
    const std::string& CachedBackgroundPath() const { return backgroundPath_; }
    void SeedRandom(unsigned seed) { random_.seed(seed); }

private:
    std::string installationFolder_;
    std::string userBackgroundsFolder_;
    std::array<QImage, WeatherCodeCount> smallDay_;
    std::array<QImage, WeatherCodeCount> smallNight_;
    std::array<QImage, WeatherCodeCount> largeDay_;
    std::array<QImage, WeatherCodeCount> largeNight_;
    QImage smallNotAvailable_;
    QImage largeNotAvailable_;
    QImage sky_;
    QImage localWeatherShadow_;
    std::string backgroundPath_;
    QImage background_;
    DateTime backgroundChosen_;
    std::minstd_rand random_;
};
