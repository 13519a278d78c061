#pragma once

#include <string>
#include <string_view>

#include "core/CPoint.h"
#include "core/CPtr.h"
#include "core/DateTime.h"

// The state of the user interface that is not an option: how the floating
// windows look, where the time-zones window stands, and when the user was last
// told about a new version. Persisted in "Settings.txt"; the windows and the
// update check read and set the fields directly.
class CSettings {
public:
    // The sizes of the local-weather window, as its menu names them.
    static constexpr int ModeLarge = 0;
    static constexpr int ModeSmall = 1;
    static constexpr int ModeIconOnly = 2;

    bool FormLocalWeather_AlwaysOnTop = true;
    int FormLocalWeather_Mode = ModeLarge;
    bool FormTimeZones_AlwaysOnTop = true;
    CPoint FormTimeZones_Location{100, 0};
    DateTime LastUpdateNotificationDate{1990, 1, 1};

    // Reads the file when it exists. A missing or unreadable file leaves every
    // field as it is; a damaged line leaves only its own field. Never raises.
    // An unreadable file or a damaged line is remembered until the next save,
    // which first keeps the old file whole as "Settings.txt.bad".
    void Load(const std::string& path);
    // The same for file content already in memory.
    void LoadFromContent(std::string_view content);

    // Replaces the file as a whole; a failure leaves the previous file as it
    // was. Never raises and never shows anything: losing window positions is
    // not worth bothering the user about.
    void Save(const std::string& path);

private:
    bool damaged_ = false;
};

template <>
struct CPtrLocations<CSettings> {
    static constexpr const char* Arrow = "CPtr<class CSettings>::operator -> (114)";
    static constexpr const char* Star = "CPtr<class CSettings>::operator * (108)";
};
