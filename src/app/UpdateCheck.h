#pragma once

#include <string>
#include <string_view>

#include "core/AppKind.h"
#include "core/DateTime.h"
#include "core/Version.h"

class CSettings;
class QWidget;
class WorkResults;

namespace UpdateCheck {

// The version this program announces and compares against.
Version ProgramVersion();
// "7.4.3"
const std::string& ProgramVersionText();

// Overrides the site root chosen at build time when set and not empty.
inline constexpr const char* SiteRootVariable = "SKYVANE_SITE_ROOT";
// Scheme and host without a trailing "/": the environment's value, else the
// build's. Read anew on every call.
std::string ResolveSiteRoot();
// The same, read once per process.
const std::string& SiteRoot();
// The host of a site root, as the "Please visit " fallback names it.
std::string HostNameOf(std::string_view siteRoot);
// The host of SiteRoot().
std::string SiteHostName();

struct SiteAddresses {
    std::string FeedbackPage;
    std::string ProductPage;
    std::string EarthEditionPage;
    std::string ProductsPage;
    std::string UpdatePage;
    std::string VersionFile;
};
// kindName is the edition's web-link word ("Earth", "Weather", "TimeZones").
SiteAddresses BuildSiteAddresses(std::string_view siteRoot, std::string_view kindName,
                                 EnumAppMode mode);
// The addresses of the running edition and mode, built on first use.
const SiteAddresses& Addresses();

// The product page, or "Please visit " and the site's host in a message box
// over the owner when the desktop cannot open it.
void OpenWebSite(QWidget* owner);
// The feedback page; a failure only leaves a line in the log.
void OpenFeedback(QWidget* owner);

// Whether the version file announces a newer major or minor version. A
// missing or unreadable "Version" counts as 0.0.0; the build is not compared.
bool IsNewerVersionAnnounced(const std::string& versionFileText);

// Worker thread: announces a new version to the main thread when the file
// names one. True when it was posted.
bool CheckVersion(const std::string& versionFileText, WorkResults& results);

// The user is asked at most once in ten days; a date stored more than two
// days in the future (the clock was set back) does not hold the prompt back.
bool ShouldPromptForUpdate(DateTime today, DateTime lastNotification);

// Main thread, on the new-version message: when the prompt is due, records
// today as its date and saves the settings before the user is asked.
bool TakePromptTurn(CSettings& settings, const std::string& settingsPath, DateTime today);

}  // namespace UpdateCheck
