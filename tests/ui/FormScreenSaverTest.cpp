#include "ui/FormScreenSaver.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <vector>

namespace {

// Two monitors of different sizes side by side (the offscreen platform's
// configuration of this test program).
TEST(FormScreenSaverTest, EachMonitorShowsItsOwnWholePicture) {
    ASSERT_EQ(QGuiApplication::screens().size(), 2);
    std::vector<QRect> drawn;
    CFormScreenSaver window(
        [&drawn](QPainter& painter, const QRect& rect) {
            drawn.push_back(rect);
            painter.fillRect(rect, Qt::blue);
            painter.setPen(Qt::white);
            painter.drawRect(rect.adjusted(0, 0, -1, -1));
        },
        true, false);
    window.ShowFullScreen(false);
    EXPECT_EQ(window.geometry(), QRect(0, 0, 1000, 400));

    const QImage shown = window.grab().toImage();
    EXPECT_EQ(drawn, (std::vector<QRect>{QRect(0, 0, 600, 400), QRect(600, 0, 400, 300)}));
    // Each picture is framed by its own monitor's edges; below the smaller one nothing is drawn.
    EXPECT_EQ(shown.pixel(599, 200), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(600, 200), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(800, 299), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(800, 150), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(800, 350), qRgb(0, 0, 0));
}

}  // namespace
