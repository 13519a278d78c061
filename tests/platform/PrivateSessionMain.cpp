#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

// The desktop-store tests change real settings; they run only inside private-session.sh,
// never against the settings of whoever started them.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (std::getenv("SKYVANE_PRIVATE_SESSION") == nullptr ||
        std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
        std::fprintf(stderr,
                     "Run these tests through ctest or tests/platform/private-session.sh\n");
        return 2;
    }
    const QCoreApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
