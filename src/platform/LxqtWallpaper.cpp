#include "platform/LxqtWallpaper.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/Folders.h"
#include "platform/PlatformLog.h"

namespace {

constexpr const char* Profile = "pcmanfm-qt/lxqt";
constexpr const char* ImageKey = "Wallpaper";
constexpr const char* ModeKey = "WallpaperMode";
// The mode that shows no picture, only the background colour.
constexpr const char* NoPicture = "none";
constexpr const char* Stretched = "stretch";

std::string ValueOf(const RecordedWallpaper& recorded, const std::string& key) {
    const auto found = std::find_if(recorded.Values.begin(), recorded.Values.end(),
                                    [&](const auto& entry) { return entry.first == key; });
    return found == recorded.Values.end() ? std::string() : found->second;
}

// The modes that show the picture; pcmanfm-qt takes any other word for none.
bool ShowsAPicture(const std::string& mode) {
    for (const char* shown : {"stretch", "fit", "center", "tile", "zoom"}) {
        if (mode == shown) {
            return true;
        }
    }
    return false;
}

// pcmanfm-qt's own rule: root's folder is always under its home, whatever the variable.
std::string UserConfigFolder() {
    if (::geteuid() == 0) {
        const std::optional<std::string> home = Folders::HomeFolder();
        return home ? *home + "/.config/" : std::string();
    }
    return Folders::ConfigHome().value_or(std::string());
}

}  // namespace

LxqtWallpaper::LxqtWallpaper(std::unique_ptr<CommandRunner> runner, std::string settingsPath)
    : runner_(std::move(runner)), settingsPath_(std::move(settingsPath)) {}

std::string LxqtWallpaper::ProfileSettingsPath() {
    const std::string user = UserConfigFolder();
    if (user.empty()) {
        return {};
    }
    const QString userProfile = QString::fromStdString(user) + Profile;
    if (!QDir(userProfile).exists()) {
        const QByteArray dirs = qgetenv("XDG_CONFIG_DIRS");
        const QStringList system = QString::fromLocal8Bit(dirs.isEmpty() ? "/etc/xdg" : dirs)
                                       .split(':', Qt::SkipEmptyParts);
        for (const QString& folder : system) {
            const QString profile = folder + "/" + Profile;
            if (QDir(profile).exists()) {
                return (profile + "/settings.conf").toStdString();
            }
        }
    }
    return (userProfile + "/settings.conf").toStdString();
}

std::string LxqtWallpaper::SettingsPath() const {
    return settingsPath_.empty() ? ProfileSettingsPath() : settingsPath_;
}

std::optional<RecordedWallpaper> LxqtWallpaper::Record() {
    const QString path = QString::fromStdString(SettingsPath());
    const QFileInfo file(path);
    // No file at all is pcmanfm-qt's defaults: no picture.
    if (path.isEmpty() || (file.exists() && !file.isReadable())) {
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
    std::vector<std::string> arguments{"--set-wallpaper", picturePath};
    if (!mode.empty()) {
        arguments.insert(arguments.end(), {"--wallpaper-mode", mode});
    }
    if (!runner_->Run(Tool, arguments).Succeeded) {
        qCWarning(lcPlatform) << "LXQt: cannot set the wallpaper" << picturePath.c_str();
        return false;
    }
    return true;
}

bool LxqtWallpaper::Set(const std::string& picturePath) {
    QSettings settings(QString::fromStdString(SettingsPath()), QSettings::IniFormat);
    const bool shown =
        ShowsAPicture(settings.value("Desktop/WallpaperMode").toString().toStdString());
    if (!Apply(picturePath, shown ? std::string() : Stretched)) {
        return false;
    }
    changedMode_ = changedMode_ || !shown;
    return true;
}

bool LxqtWallpaper::Restore(const RecordedWallpaper& recorded) {
    const std::string picture = ValueOf(recorded, ImageKey);
    if (recorded.Picture.empty() || picture.empty()) {
        qCInfo(lcPlatform) << "LXQt: pcmanfm-qt cannot be told to show no picture";
        return false;
    }
    std::string mode;
    if (changedMode_) {
        mode = ValueOf(recorded, ModeKey);
        mode = ShowsAPicture(mode) ? mode : NoPicture;
    }
    if (!Apply(picture, mode)) {
        return false;
    }
    changedMode_ = false;
    return true;
}
