#include "platform/LxqtWallpaper.h"

#include <QFileInfo>
#include <QSettings>
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/Folders.h"
#include "platform/PlatformLog.h"

namespace {

constexpr const char* ImageKey = "Wallpaper";
constexpr const char* ModeKey = "WallpaperMode";
// The mode that shows no picture, only the background colour.
constexpr const char* NoPicture = "color";

std::string DefaultSettingsPath() {
    const std::optional<std::string> configHome = Folders::ConfigHome();
    return configHome ? *configHome + "pcmanfm-qt/lxqt/settings.conf" : std::string();
}

std::string ValueOf(const RecordedWallpaper& recorded, const std::string& key) {
    const auto found = std::find_if(recorded.Values.begin(), recorded.Values.end(),
                                    [&](const auto& entry) { return entry.first == key; });
    return found == recorded.Values.end() ? std::string() : found->second;
}

// The stored mode words are the command line's; anything else is not passed on.
bool IsModeWord(const std::string& mode) {
    return !mode.empty() &&
           std::all_of(mode.begin(), mode.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

}  // namespace

LxqtWallpaper::LxqtWallpaper(std::unique_ptr<CommandRunner> runner, std::string settingsPath)
    : runner_(std::move(runner)),
      settingsPath_(settingsPath.empty() ? DefaultSettingsPath() : std::move(settingsPath)) {}

std::optional<RecordedWallpaper> LxqtWallpaper::Record() {
    const QString path = QString::fromStdString(settingsPath_);
    if (settingsPath_.empty() || !QFileInfo(path).isReadable()) {
        qCWarning(lcPlatform) << "LXQt: cannot read" << path;
        return std::nullopt;
    }
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup("Desktop");
    RecordedWallpaper recorded;
    recorded.Picture = settings.value(ImageKey).toString().toStdString();
    recorded.Values = {{ImageKey, recorded.Picture},
                       {ModeKey, settings.value(ModeKey).toString().toStdString()}};
    if (settings.status() != QSettings::NoError) {
        qCWarning(lcPlatform) << "LXQt: cannot read" << path;
        return std::nullopt;
    }
    return recorded;
}

bool LxqtWallpaper::Apply(const std::string& picturePath, const std::string& mode) {
    std::vector<std::string> arguments;
    if (!picturePath.empty()) {
        arguments = {"--set-wallpaper", picturePath};
    }
    if (IsModeWord(mode)) {
        arguments.insert(arguments.end(), {"--wallpaper-mode", mode});
    }
    if (arguments.empty() || !runner_->Run(Tool, arguments).Succeeded) {
        qCWarning(lcPlatform) << "LXQt: cannot set the wallpaper" << picturePath.c_str();
        return false;
    }
    return true;
}

bool LxqtWallpaper::Set(const std::string& picturePath) {
    return Apply(picturePath, "stretch");
}

bool LxqtWallpaper::Restore(const RecordedWallpaper& recorded) {
    const std::string picture = ValueOf(recorded, ImageKey);
    if (recorded.Picture.empty() || picture.empty()) {
        return Apply({}, NoPicture);
    }
    return Apply(picture, ValueOf(recorded, ModeKey));
}
