#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "support/TestSupport.h"
#include "support/XServer.h"

// The windows on a real X server of their own, never on the developer's display,
// and with a home folder of their own as in every test program. Listing the tests
// needs neither.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    const TestSupport::TempFolder home;
    setenv("HOME", home.Folder().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.Folder() + ".config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home.Folder() + ".local/share").c_str(), 1);
    const TestSupport::Xvfb server(1024, 768);
    setenv("DISPLAY", server.Display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    const QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
