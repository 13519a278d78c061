#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/DBusCaller.h"
#include "platform/Wallpaper.h"

// KDE Plasma: scripts run by plasmashell's scripting interface (org.kde.PlasmaShell
// /PlasmaShell evaluateScript), one desktop containment per screen and activity. Record's
// values are "<id>.wallpaperPlugin", "<id>.Image" and "<id>.FillMode" of every desktop.
class PlasmaWallpaper : public WallpaperBackend {
public:
    // The image plugin's FillMode that stretches (Qt Quick's Image.Stretch).
    static constexpr int Stretch = 0;

    explicit PlasmaWallpaper(std::unique_ptr<DBusCaller> caller);

    std::string Name() const override { return "KDE Plasma"; }
    std::optional<RecordedWallpaper> Record() override;
    bool Set(const std::string& picturePath) override;
    bool PerMonitor() const override { return true; }
    // Each desktop gets the picture whose place is its screen's geometry.
    bool SetEach(const std::vector<MonitorPicture>& pictures) override;
    bool Restore(const RecordedWallpaper& recorded) override;

    // The scripts, for the tests and for anyone reproducing a call by hand.
    static QString RecordScript();
    static QString SetScript(const std::vector<MonitorPicture>& pictures);
    static QString RestoreScript(const RecordedWallpaper& recorded);

private:
    std::optional<QString> Evaluate(const QString& script);

    std::unique_ptr<DBusCaller> caller_;
};
