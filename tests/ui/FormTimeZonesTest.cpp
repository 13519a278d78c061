#include "ui/FormTimeZones.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/Options.h"
#include "data/Settings.h"
#include "support/EventLoopWait.h"
#include "support/TestSupport.h"

namespace {

// On the test program's two offscreen monitors: 600 x 400 at the origin and
// 400 x 300 to its right.
class FormTimeZonesTest : public ::testing::Test {
protected:
    FormTimeZonesTest()
        : options_(
              EnumAppKind::TimeZones,
              OptionsFiles{folder_.Folder() + "Options.txt", folder_.Folder() + "TimeZones.txt",
                           folder_.Folder() + "Cities.txt", folder_.Folder() + "Earth/"}) {}

    // Six zones of the default four: too many for a row on either monitor.
    void SixZones() {
        std::vector<TimeZoneItem>& zones = *options_.TimeZones;
        zones.push_back(zones[0]);
        zones.back().Label = "Boston";
        zones.push_back(zones[3]);
        zones.back().Label = "Osaka";
    }

    // White texts in the window's font on a black picture of its size.
    static QImage WhiteOnBlack(const QWidget& window,
                               const std::vector<std::pair<QRect, QString>>& texts, int flags) {
        QImage image(window.size(), QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setFont(window.font());
        painter.setPen(Qt::white);
        for (const auto& [box, text] : texts) {
            painter.drawText(box, flags, text);
        }
        return image;
    }

    // What the window must show at the instant: each entry's name and clock in
    // its box of the layout.
    QImage Expected(const CFormTimeZones& window, const DateTime& utcNow) const {
        std::vector<int> widths;
        for (const TimeZoneItem& zone : *options_.TimeZones) {
            widths.push_back(zone.TextWidth);
        }
        const std::vector<QRect> boxes =
            TimeZonesEntryBoxes(window.Layout(), widths, window.LineHeight());
        std::vector<std::pair<QRect, QString>> texts;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const TimeZoneItem& zone = (*options_.TimeZones)[i];
            const std::string time =
                zone.UtcToLocalTimeAsString(options_.TzShowDayOfWeek, options_.TzShowDate,
                                            options_.TzHourFormat, utcNow.ToSystemTime());
            texts.emplace_back(boxes[i], QString::fromStdString(zone.Label + ": " + time));
        }
        return WhiteOnBlack(
            window, texts,
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip);
    }

    // The picture shown matches the clocks of the moment it was taken, whichever
    // side of a minute's turn that was.
    void ExpectShowsTheClocks(CFormTimeZones& window) const {
        const QImage before = Expected(window, DateTime::UtcNow());
        const QImage shown = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage after = Expected(window, DateTime::UtcNow());
        EXPECT_TRUE(shown == before || shown == after);
        EXPECT_EQ(shown.pixel(0, 0), qRgb(0, 0, 0));
        bool white = false;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                white = white || shown.pixel(x, y) == qRgb(255, 255, 255);
            }
        }
        EXPECT_TRUE(white);
    }

    static void Click(QWidget& window, Qt::KeyboardModifiers modifiers) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5),
                          window.mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::LeftButton,
                          modifiers);
        QApplication::sendEvent(&window, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5),
                            window.mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::NoButton,
                            modifiers);
        QApplication::sendEvent(&window, &release);
    }

    TestSupport::TempFolder folder_;
    COptions options_;
    CSettings settings_;
};

TEST_F(FormTimeZonesTest, WithoutZonesAStripOf200PixelsSaysSo) {
    options_.TimeZones->clear();
    CFormTimeZones window(options_, settings_);
    window.ShowWindow();
    ASSERT_EQ(window.size(), QSize(200, window.LineHeight()));

    EXPECT_EQ(window.grab().toImage().convertToFormat(QImage::Format_RGB32),
              WhiteOnBlack(window, {{window.rect(), "No Time Zones to display."}},
                           Qt::AlignLeft | Qt::AlignTop));
}

TEST_F(FormTimeZonesTest, ZonesThatFitMakeOneRowMeasuredWithTheSampleTime) {
    settings_.FormTimeZones_Location = CPoint{20, 10};
    CFormTimeZones window(options_, settings_);
    window.ShowWindow();

    const QFontMetricsF metrics(window.font());
    int total = -4;
    for (const TimeZoneItem& zone : *options_.TimeZones) {
        const QString sample = QString::fromStdString(zone.Label + ": Wed 10:55 AM");
        EXPECT_EQ(zone.TextWidth, static_cast<int>(std::ceil(metrics.horizontalAdvance(sample))))
            << zone.Label;
        total += zone.TextWidth + 20;
    }
    ASSERT_LE(total, 600);
    EXPECT_EQ(window.geometry(), QRect(20, 10, total, window.LineHeight()));
    ExpectShowsTheClocks(window);
}

TEST_F(FormTimeZonesTest, OnTheNarrowMonitorTheGridFitsItsWorkArea) {
    SixZones();
    settings_.FormTimeZones_Location = CPoint{700, 250};
    CFormTimeZones window(options_, settings_);
    window.ShowWindow();

    std::vector<int> widths;
    for (const TimeZoneItem& zone : *options_.TimeZones) {
        widths.push_back(zone.TextWidth);
    }
    const TimeZonesLayout layout = LayoutTimeZonesWindow(widths, 400, window.LineHeight());
    ASSERT_LT(layout.Columns, 6);
    EXPECT_EQ(window.Layout(), layout);
    // Moved up and left just enough to end at the monitor's edges.
    const QSize size = layout.WindowSize;
    EXPECT_EQ(window.geometry(),
              QRect(QPoint(std::min(700, 1000 - size.width()), 300 - size.height()), size));
    ExpectShowsTheClocks(window);

    // The options changed: one zone fits on a row of its own.
    options_.TimeZones->resize(1);
    window.Refresh();
    EXPECT_EQ(window.Layout().Columns, 1);
    EXPECT_EQ(window.height(), window.LineHeight());
}

TEST_F(FormTimeZonesTest, TheMenuOffersItsCommandsInOrder) {
    CFormTimeZones window(options_, settings_);
    window.ShowWindow();
    std::vector<std::string> requested;
    QObject::connect(&window, &CFormTimeZones::changeTimeZonesRequested,
                     [&] { requested.emplace_back("time zones"); });
    QObject::connect(&window, &CFormTimeZones::optionsRequested,
                     [&] { requested.emplace_back("options"); });
    QObject::connect(&window, &CFormTimeZones::earthRequested,
                     [&] { requested.emplace_back("earth"); });

    const std::unique_ptr<QMenu> menu = window.MakeContextMenu();
    const QList<QAction*> actions = menu->actions();
    std::vector<QString> texts;
    for (const QAction* action : actions) {
        texts.push_back(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(texts,
              (std::vector<QString>{"Close", "Hide 30 Seconds (Ctrl + Click)", "-", "Always On Top",
                                    "-", "Change Time Zones", "Options", "Earth"}));
    EXPECT_TRUE(actions[3]->isChecked());

    for (const int command : {5, 6, 7}) {
        actions[command]->trigger();
    }
    EXPECT_EQ(requested, (std::vector<std::string>{"time zones", "options", "earth"}));
    EXPECT_TRUE(window.isVisible());
    actions[0]->trigger();
    EXPECT_FALSE(window.isVisible());
}

class HideClickTest : public FormTimeZonesTest,
                      public ::testing::WithParamInterface<Qt::KeyboardModifier> {};

TEST_P(HideClickTest, HidesTheWindowUntilTheIntervalIsOver) {
    CFormTimeZones window(options_, settings_);
    window.SetHideIntervalForTest(200);
    window.ShowWindow();
    Click(window, GetParam());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(WaitUntil([&] { return window.isVisible(); }));
    // A plain click is the start of a drag, not a hiding.
    Click(window, Qt::NoModifier);
    EXPECT_TRUE(window.isVisible());
}

INSTANTIATE_TEST_SUITE_P(CtrlOrShift, HideClickTest,
                         ::testing::Values(Qt::ControlModifier, Qt::ShiftModifier));

TEST_F(FormTimeZonesTest, WhereItWasDraggedAndAlwaysOnTopComeBackFromTheSettingsFile) {
    auto window = std::make_unique<CFormTimeZones>(options_, settings_);
    window->ShowWindow();
    ASSERT_TRUE(window->IsAlwaysOnTop());
    const QSize size = window->size();

    // Grabbed 10, 5 into the window and dragged far past the left monitor's corner.
    const QPoint grab = window->pos() + QPoint(10, 5);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 5), grab, Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 5), QPointF(-500, 1000), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(10, 5), QPointF(-500, 1000),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &release);
    const QPoint corner(0, 400 - size.height());
    EXPECT_EQ(window->pos(), corner);
    EXPECT_EQ(settings_.FormTimeZones_Location, (CPoint{corner.x(), corner.y()}));

    window->MakeContextMenu()->actions()[3]->trigger();
    EXPECT_FALSE(window->IsAlwaysOnTop());
    EXPECT_FALSE(window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(settings_.FormTimeZones_AlwaysOnTop);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->pos(), corner);

    const std::string file = folder_.Folder() + "Settings.txt";
    settings_.Save(file);
    window.reset();
    CSettings loaded;
    loaded.Load(file);
    CFormTimeZones again(options_, loaded);
    again.ShowWindow();
    EXPECT_FALSE(again.IsAlwaysOnTop());
    EXPECT_EQ(again.pos(), corner);
    EXPECT_TRUE(again.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(again.windowType(), Qt::Tool);
}

}  // namespace
