#include "ui/FormLocalWeather.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <string>
#include <vector>

#include "data/Options.h"
#include "data/Settings.h"
#include "render/WeatherPictures.h"
#include "support/TestSupport.h"

namespace {

// The offscreen platform of this test program has two monitors: 600 x 400 at
// the origin and 400 x 300 to its right.
class FormLocalWeatherTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Fresh weather without a forecast: Large is as large as Small.
        City& home = *options_.HomeCity;
        home.CurrentWeather.ReportDateTime = DateTime::UtcNow();
        home.CurrentWeather.Temprature = 18.0F;
    }

    static QAction* Command(CFormLocalWeather& window, const std::string& text) {
        for (QAction* action : window.ContextMenu().actions()) {
            if (action->text().toStdString() == text) {
                return action;
            }
        }
        ADD_FAILURE() << "no menu entry " << text;
        return nullptr;
    }

    static void Trigger(CFormLocalWeather& window, const std::string& text) {
        if (QAction* action = Command(window, text)) {
            action->trigger();
        }
    }

    static void SendMouse(QWidget& window, QEvent::Type type, QPoint global, Qt::MouseButton button,
                          Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(global - window.pos()), QPointF(global), button, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &event);
    }

    TestSupport::TempFolder folder_;
    COptions options_{EnumAppKind::Earth, OptionsFiles{}};
    CSettings settings_;
    WeatherPictures pictures_{folder_.Folder()};
};

TEST_F(FormLocalWeatherTest, TheMenuHasItsCommandsInOrderAndSendsThoseThatLeadElsewhere) {
    CFormLocalWeather window(options_, settings_, pictures_);
    window.ShowWindow();
    ASSERT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window.windowType(), Qt::Tool);
    EXPECT_TRUE(window.testAttribute(Qt::WA_TranslucentBackground));

    std::vector<std::string> entries;
    for (const QAction* action : window.ContextMenu().actions()) {
        entries.push_back(action->isSeparator() ? "-"
                          : action->isChecked() ? "* " + action->text().toStdString()
                                                : action->text().toStdString());
    }
    EXPECT_EQ(entries,
              (std::vector<std::string>{"Close", "Change Location", "-", "Icon Only", "Small",
                                        "* Large", "-", "* Always On Top", "Options", "Earth"}));

    std::vector<std::string> sent;
    QObject::connect(&window, &CFormLocalWeather::changeLocationRequested,
                     [&sent] { sent.push_back("change location"); });
    QObject::connect(&window, &CFormLocalWeather::optionsRequested,
                     [&sent] { sent.push_back("options"); });
    QObject::connect(&window, &CFormLocalWeather::earthRequested,
                     [&sent] { sent.push_back("earth"); });
    Trigger(window, "Change Location");
    Trigger(window, "Options");
    Trigger(window, "Earth");
    EXPECT_EQ(sent, (std::vector<std::string>{"change location", "options", "earth"}));
    EXPECT_TRUE(window.isVisible());

    Trigger(window, "Close");
    EXPECT_FALSE(window.isVisible());
    window.ShowWindow();
    window.close();
    EXPECT_FALSE(window.isVisible());
    window.ShowWindow();
    EXPECT_TRUE(window.isVisible());
}

TEST_F(FormLocalWeatherTest, DraggingKeepsThePointGrabbedUnderTheCursorUntilTheButtonIsLetGo) {
    CFormLocalWeather window(options_, settings_, pictures_);
    window.ShowWindow();
    window.move(100, 50);
    const QPoint grabbed(130, 140);  // 30, 90 inside the window

    SendMouse(window, QEvent::MouseButtonPress, grabbed, Qt::LeftButton, Qt::LeftButton);
    SendMouse(window, QEvent::MouseMove, {250, 260}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), QPoint(220, 170));
    SendMouse(window, QEvent::MouseMove, {40, 100}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), QPoint(10, 10));
    SendMouse(window, QEvent::MouseButtonRelease, {40, 100}, Qt::LeftButton, Qt::NoButton);
    SendMouse(window, QEvent::MouseMove, {300, 300}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(window.pos(), QPoint(10, 10));

    // The right button opens the menu and drags nothing.
    SendMouse(window, QEvent::MouseButtonPress, {40, 100}, Qt::RightButton, Qt::RightButton);
    SendMouse(window, QEvent::MouseMove, {300, 300}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(window.pos(), QPoint(10, 10));
}

TEST_F(FormLocalWeatherTest, SizeAndAlwaysOnTopComeBackFromTheSavedSettings) {
    const std::string file = folder_.Folder() + "Settings.txt";
    {
        CFormLocalWeather window(options_, settings_, pictures_);
        EXPECT_EQ(window.size(), QSize(290, 160));
        Trigger(window, "Icon Only");
        EXPECT_EQ(window.size(), QSize(210, 160));
        EXPECT_EQ(window.Picture().size(), QSize(210, 160));
        Trigger(window, "Always On Top");
        EXPECT_FALSE(window.IsAlwaysOnTop());
        settings_.Save(file);
    }
    CSettings loaded;
    loaded.Load(file);
    EXPECT_EQ(loaded.FormLocalWeather_Mode, CSettings::ModeIconOnly);
    EXPECT_FALSE(loaded.FormLocalWeather_AlwaysOnTop);

    CFormLocalWeather window(options_, loaded, pictures_);
    EXPECT_EQ(window.WindowMode(), CSettings::ModeIconOnly);
    EXPECT_EQ(window.size(), QSize(210, 160));
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(Command(window, "Icon Only")->isChecked());
    EXPECT_FALSE(Command(window, "Large")->isChecked());
    EXPECT_FALSE(Command(window, "Always On Top")->isChecked());

    Trigger(window, "Always On Top");
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(loaded.FormLocalWeather_AlwaysOnTop);
}

TEST_F(FormLocalWeatherTest,
       LargeKeepsANegativeLeftEdgeWithAMarginOnScreenAndSmallPullsItToTheEdge) {
    CFormLocalWeather window(options_, settings_, pictures_);
    window.ShowWindow();
    window.move(-250, -20);
    window.Refresh();
    EXPECT_EQ(window.pos(), QPoint(-190, -20));

    Trigger(window, "Large");
    EXPECT_EQ(window.pos(), QPoint(-190, -20));
    Trigger(window, "Small");
    EXPECT_EQ(window.pos(), QPoint(0, 0));

    // Below the right monitor, where no monitor shows it.
    window.move(700, 350);
    window.Refresh();
    EXPECT_EQ(window.pos(), QPoint(700, 200));
}

}  // namespace
