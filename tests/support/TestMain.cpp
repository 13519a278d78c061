#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/TestSupport.h"

#if defined(SKYVANE_TEST_WIDGETS)
#include <QApplication>
using TestApplication = QApplication;
#elif defined(SKYVANE_TEST_GUI)
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

// Every test program runs with a home folder of its own, so that nothing a
// test does, or forgets to redirect, can reach the real user's files.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const TestSupport::TempFolder home;
    const std::string folder = home.Folder();
    setenv("HOME", (folder + "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder + "home/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (folder + "home/.local/share").c_str(), 1);
    setenv("SKYVANE_USER_REGISTRY", (folder + "user.reg").c_str(), 1);
    setenv("SKYVANE_MACHINE_REGISTRY", (folder + "machine.reg").c_str(), 1);
    setenv("SKYVANE_SYSTEM_DIR", (folder + "system/").c_str(), 1);
    // Tests talk to their own servers on loopback: neither a proxy nor a service
    // address of the developer's environment may redirect them.
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY", "SKYVANE_METAR_URL",
                             "SKYVANE_FORECAST_URL", "SKYVANE_SITE_ROOT"}) {
        unsetenv(name);
    }
    // A closed port: the worldwide forecast is asked whenever NDFD fails, also
    // in tests that never think of it.
    setenv("SKYVANE_WORLD_FORECAST_URL", "http://127.0.0.1:9/v1/forecast", 1);
#ifdef SKYVANE_TEST_GUI
    // Offscreen, as the test's own configuration of it may say.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform == nullptr || std::string(platform).rfind("offscreen", 0) != 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    const TestApplication application(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
