#include "app/UpdateCheck.h"

#include <cstdlib>

#include "app/Program.h"
#include "app/WorkResults.h"
#include "core/Exceptions.h"
#include "core/UtilProperty.h"
#include "data/Settings.h"
#include "ui/Links.h"

#ifndef SKYVANE_SITE_ROOT
#define SKYVANE_SITE_ROOT "https://skyvane.example"
#endif

namespace UpdateCheck {
namespace {

constexpr const char* Referrer = "ref=app";

std::string WithoutTrailingSlashes(std::string root) {
    while (!root.empty() && root.back() == '/') {
        root.pop_back();
    }
    return root;
}

}  // namespace

Version ProgramVersion() {
    // The project's version, given by the build.
    return Version{SKYVANE_VERSION_MAJOR, SKYVANE_VERSION_MINOR, SKYVANE_VERSION_PATCH};
}

const std::string& ProgramVersionText() {
    static const std::string text = ProgramVersion().ToString();
    return text;
}

std::string ResolveSiteRoot() {
    const char* fromEnvironment = std::getenv(SiteRootVariable);
    if (fromEnvironment != nullptr && *fromEnvironment != '\0') {
        return WithoutTrailingSlashes(fromEnvironment);
    }
    return WithoutTrailingSlashes(SKYVANE_SITE_ROOT);
}

const std::string& SiteRoot() {
    static const std::string root = ResolveSiteRoot();
    return root;
}

std::string HostNameOf(std::string_view siteRoot) {
    const std::size_t scheme = siteRoot.find("://");
    if (scheme != std::string_view::npos) {
        siteRoot.remove_prefix(scheme + 3);
    }
    return std::string(siteRoot.substr(0, siteRoot.find_first_of("/:?")));
}

std::string SiteHostName() {
    return HostNameOf(SiteRoot());
}

SiteAddresses BuildSiteAddresses(std::string_view siteRoot, std::string_view kindName,
                                 EnumAppMode mode) {
    const std::string root(siteRoot);
    const std::string kind(kindName);
    const std::string modeWord = mode == EnumAppMode::Desktop ? "Desktop" : "ScreenSaver";
    const std::string ownFolder = root + "/custom/plovex";
    SiteAddresses addresses;
    addresses.FeedbackPage = root + "/contact/?" + Referrer;
    addresses.ProductPage = root + "/?product=" + kind + "&" + Referrer;
    addresses.EarthEditionPage = root + "/earth/?" + Referrer;
    addresses.ProductsPage = root + "/products/?" + Referrer;
    addresses.UpdatePage = ownFolder + "/" + kind + "-Update.htm?" + Referrer;
    addresses.VersionFile = ownFolder + "/other/version/" + kind + "-Version-" + modeWord +
                            ".txt?version=" + ProgramVersionText();
    return addresses;
}

const SiteAddresses& Addresses() {
    static const SiteAddresses addresses =
        BuildSiteAddresses(SiteRoot(), Program::AppKindName(), Program::Mode());
    return addresses;
}

bool IsNewerVersionAnnounced(const std::string& versionFileText) {
    Version announced;
    try {
        announced =
            Version::Parse(UtilProperty::ReadPropertyValueAsString(versionFileText, "Version"));
    } catch (const ApplicationException&) {
        announced = Version{};
    }
    const Version own = ProgramVersion();
    return announced.Major > own.Major ||
           (announced.Major == own.Major && announced.Minor > own.Minor);
}

bool CheckVersion(const std::string& versionFileText, WorkResults& results) {
    return IsNewerVersionAnnounced(versionFileText) && results.PostNewVersion();
}

bool ShouldPromptForUpdate(DateTime today, DateTime lastNotification) {
    static constexpr std::int64_t ClockSetBackTolerance = 48 * TimeSpan::TicksPerHour;
    static constexpr std::int64_t QuietPeriod = 240 * TimeSpan::TicksPerHour;
    const std::int64_t sinceLast = (today - lastNotification).Ticks();
    const bool askedRecently = sinceLast >= -ClockSetBackTolerance && sinceLast < QuietPeriod;
    return !askedRecently;
}

bool TakePromptTurn(CSettings& settings, const std::string& settingsPath, DateTime today) {
    if (!ShouldPromptForUpdate(today, settings.LastUpdateNotificationDate)) {
        return false;
    }
    settings.LastUpdateNotificationDate = today;
    settings.Save(settingsPath);
    return true;
}

void OpenWebSite(QWidget* owner) {
    OpenProductPage(owner, Addresses().ProductPage, SiteHostName(), Program::AppDisplayName());
}

void OpenFeedback(QWidget* owner) {
    OpenPageQuietly(owner, Addresses().FeedbackPage);
}

}  // namespace UpdateCheck
