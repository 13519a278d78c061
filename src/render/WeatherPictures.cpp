#include "render/WeatherPictures.h"

#include <QRgb>
#include <algorithm>
#include <filesystem>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Exceptions.h"
#include "render/Graphics.h"
#include "render/RenderLog.h"
#include "render/Sun.h"
#include "weather/WeatherCodes.h"

namespace {

constexpr const char* SmallIconsFolder = "SmallWeatherIcons/";
constexpr const char* LargeIconsFolder = "LargeWeatherIcons/";
constexpr const char* NotAvailableFile = "NA.png";
constexpr const char* SkyFile = "Sky.png";
constexpr const char* LocalWeatherBackgroundFile = "UI/LocalWeatherBackground.png";
constexpr const char* WeatherBackgroundsFolder = "Weather Backgrounds/";
constexpr TimeSpan BackgroundLifetime(30 * TimeSpan::TicksPerMinute);

// -1 for an absent code or one outside the table.
int TableIndex(const Nullable<EnumWeatherCode>& code) {
    if (!code.HasValue()) {
        return -1;
    }
    const auto index = static_cast<int>(code.Value());
    return index >= 0 && index < WeatherCodeCount ? index : -1;
}

void AppendPictures(const std::string& folder, std::vector<std::string>& files) {
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        // Built from the folder text itself, so that the cache test finds the folder in it.
        std::string path = folder + entry->path().filename().string();
        if (Graphics::IsCandidatePicture(*entry)) {
            files.push_back(std::move(path));
        }
    }
}

QImage MakeShadow(const QImage& picture) {
    if (picture.isNull()) {
        return QImage();
    }
    QImage shadow = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < shadow.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        for (int x = 0; x < shadow.width(); ++x) {
            line[x] = qRgba(0, 0, 0, qAlpha(line[x]));
        }
    }
    return shadow;
}

}  // namespace

bool IsDaytime(const City& city, const DateTime& utc) {
    try {
        return CSun::IsDaylight(city.Latitude, city.Longitude, utc);
    } catch (...) {
        qCDebug(lcRender) << "day or night unknown, day taken:" << CurrentExceptionText().c_str();
        // A place the sun model cannot answer for still gets its day icons.
        return true;
    }
}

WeatherPictures::WeatherPictures(std::string installationFolder, std::string userBackgroundsFolder)
    : installationFolder_(std::move(installationFolder)),
      userBackgroundsFolder_(std::move(userBackgroundsFolder)) {}

void WeatherPictures::Load() {
    // Several codes share a file: each file is decoded once and shared.
    std::map<std::string, QImage> decoded;
    auto load = [&](const std::string& relativePath,
                    Graphics::PictureBounds bounds = Graphics::IconPicture) {
        auto found = decoded.find(relativePath);
        if (found == decoded.end()) {
            found = decoded
                        .emplace(relativePath,
                                 Graphics::LoadPicture(installationFolder_ + relativePath, bounds))
                        .first;
        }
        return found->second;
    };

    for (int index = 0; index < WeatherCodeCount; ++index) {
        const auto code = static_cast<EnumWeatherCode>(index);
        const std::string dayFile = IconFileName(code, true);
        const std::string nightFile = IconFileName(code, false);
        const auto slot = static_cast<std::size_t>(index);
        smallDay_[slot] = load(SmallIconsFolder + dayFile);
        smallNight_[slot] = load(SmallIconsFolder + nightFile);
        largeDay_[slot] = load(LargeIconsFolder + dayFile);
        largeNight_[slot] = load(LargeIconsFolder + nightFile);
    }
    smallNotAvailable_ = load(std::string(SmallIconsFolder) + NotAvailableFile);
    largeNotAvailable_ = load(std::string(LargeIconsFolder) + NotAvailableFile);
    sky_ = load(std::string(LargeIconsFolder) + SkyFile, Graphics::ScreenPicture);
    localWeatherShadow_ = MakeShadow(load(LocalWeatherBackgroundFile, Graphics::ScreenPicture));
}

const QImage* WeatherPictures::SmallIcon(const Nullable<EnumWeatherCode>& code, bool isDay) const {
    const int index = TableIndex(code);
    if (index < 0) {
        return nullptr;
    }
    const auto slot = static_cast<std::size_t>(index);
    return isDay ? &smallDay_[slot] : &smallNight_[slot];
}

const QImage& WeatherPictures::LargeIcon(const Nullable<EnumWeatherCode>& code, bool isDay,
                                         const QImage& fallback) const {
    const int index = TableIndex(code);
    if (index < 0) {
        return fallback;
    }
    const auto slot = static_cast<std::size_t>(index);
    return isDay ? largeDay_[slot] : largeNight_[slot];
}

std::string WeatherPictures::WeatherBackgroundFolder(const Nullable<EnumWeatherCode>& code) const {
    const std::string name = ShortText(code);
    if (name.empty()) {
        return "";
    }
    return installationFolder_ + WeatherBackgroundsFolder + name + "/";
}

const QImage* WeatherPictures::WeatherBackground(bool isDay, const Nullable<EnumWeatherCode>& code,
                                                 const DateTime& utcNow) {
    const std::string folder = WeatherBackgroundFolder(code);
    if (folder.empty()) {
        return nullptr;
    }
    std::vector<std::string> folders{folder};
    if (!userBackgroundsFolder_.empty()) {
        folders.push_back(userBackgroundsFolder_ + ShortText(code) + "/");
    }
    const bool cached = !backgroundPath_.empty() &&
                        std::any_of(folders.begin(), folders.end(),
                                    [this](const std::string& candidate) {
                                        return backgroundPath_.starts_with(candidate);
                                    }) &&
                        utcNow - backgroundChosen_ <= BackgroundLifetime;
    if (!cached) {
        // Read-only files stay candidates: the attribute says nothing about a picture here.
        std::vector<std::string> files;
        for (const std::string& candidate : folders) {
            AppendPictures(candidate, files);
            AppendPictures(candidate + (isDay ? "Day/" : "Night/"), files);
        }
        if (files.empty()) {
            return nullptr;
        }
        std::uniform_int_distribution<std::size_t> pick(0, files.size() - 1);
        std::string path = std::move(files[pick(random_)]);
        background_ = Graphics::LoadPicture(path, Graphics::ScreenPicture);
        backgroundPath_ = std::move(path);
        backgroundChosen_ = utcNow;
    }
    return background_.isNull() ? nullptr : &background_;
}
