#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/FormHidden.h"
#include "app/Program.h"
#include "ui/FormEarth.h"

namespace {

struct EditionMenu {
    std::string StartedAs;
    std::vector<std::string> Entries;  // "-" for a separator
};

void PrintTo(const EditionMenu& value, std::ostream* out) {
    *out << value.StartedAs;
}

// The windows of a desktop start, made in the test's own process (offscreen).
class DesktopWindowsTest : public ::testing::Test {
protected:
    void Start(const std::string& startedAs) {
        Program::ResetForTesting();
        Program::InitPathInfo((std::string(SKYVANE_RUNTIME_DIR) + "/" + startedAs).c_str());
        Program::DetermineAppMode("");
    }
    void TearDown() override { Program::ResetForTesting(); }
};

class TrayMenuTest : public DesktopWindowsTest,
                     public ::testing::WithParamInterface<EditionMenu> {};

TEST_P(TrayMenuTest, TheEditionsEntriesComeInTheirOrder) {
    Start(GetParam().StartedAs);
    Application application;
    CFormHidden hidden(application);
    std::vector<std::string> entries;
    for (const QAction* action : hidden.TrayMenu().actions()) {
        entries.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    }
    EXPECT_EQ(entries, GetParam().Entries);
}

INSTANTIATE_TEST_SUITE_P(
    Editions, TrayMenuTest,
    ::testing::Values(EditionMenu{"terravue",
                                  {"Web Site", "Feedback", "-", "Options", "Time Zones", "Earth",
                                   "Local Weather", "-", "Exit"}},
                      EditionMenu{
                          "nimbara",
                          {"Terravue", "Web Site", "Feedback", "-", "Options", "Change Location",
                           "-", "Time Zones", "Earth", "Local Weather", "-", "Exit"}},
                      EditionMenu{"meridio",
                                  {"Terravue", "Web Site", "Feedback", "-", "Options", "Earth",
                                   "Time Zones", "-", "Exit"}}));

// The window shows the renderer's map at the window's own size.
TEST_F(DesktopWindowsTest, TheEarthWindowDrawsTheMapAtItsSize) {
    Start("terravue");
    Application application;
    application.Renderer.LoadStartupPictures();
    const DateTime instant(2026, 6, 21, 12, 0, 0);
    const auto draw = [&](QPainter& painter, const QRect& rect) {
        application.Renderer.DrawEarth(painter, application.Options, rect, rect, instant);
    };
    CFormEarth window("Terravue", draw);
    window.resize(800, 480);
    window.show();
    const QImage shown =
        window.centralWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_GT(shown.width(), 700);

    QImage expected(shown.size(), QImage::Format_RGB32);
    QPainter painter(&expected);
    draw(painter, expected.rect());
    painter.end();
    EXPECT_EQ(shown, expected);
    if (const char* file = std::getenv("SKYVANE_EARTH_WINDOW_PICTURE")) {
        window.grab().save(file);
    }
}

}  // namespace
