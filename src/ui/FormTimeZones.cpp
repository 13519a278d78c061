#include "ui/FormTimeZones.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QWindow>
#include <algorithm>
#include <memory>
#include <string>

#include "core/Exceptions.h"
#include "data/Options.h"
#include "data/Settings.h"
#include "render/Screen.h"
#include "ui/UiLog.h"
#include "ui/WindowPlacement.h"

namespace {

// Each row of clocks is as tall as a window caption in the desktop's style.
int CaptionHeight() {
    return std::max(QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight), 2);
}

QFont ClockFont(int lineHeight) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(lineHeight / 2);
    return font;
}

QString EntryText(const std::string& label, const std::string& time) {
    return QString::fromStdString(label + ": " + time);
}

std::size_t ZoneCount(const COptions& options) {
    return options.TimeZones ? options.TimeZones->size() : 0;
}

constexpr int EntryFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;

}  // namespace

CFormTimeZones::CFormTimeZones(COptions& options, CSettings& settings, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint),
      options_(options),
      settings_(settings),
      lineHeight_(CaptionHeight()) {
    setWindowTitle(tr("Time Zones"));
    setFont(ClockFont(lineHeight_));
    // The paint covers every pixel: nothing to erase, nothing flickers.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setWindowFlag(Qt::WindowStaysOnTopHint, settings_.FormTimeZones_AlwaysOnTop);
    move(settings_.FormTimeZones_Location.x, settings_.FormTimeZones_Location.y);

    tickTimer_.setInterval(TickInterval);
    connect(&tickTimer_, &QTimer::timeout, this, [this] {
        // A list replaced without a refresh still gets a box per entry.
        if (textWidths_.size() != ZoneCount(options_)) {
            RunLayout();
        }
        update();
    });
    hideTimer_.setSingleShot(true);
    hideTimer_.setInterval(HideInterval);
    connect(&hideTimer_, &QTimer::timeout, this, &CFormTimeZones::ComeBack);
}

void CFormTimeZones::ShowWindow() {
    hideTimer_.stop();
    RunLayout();
    show();
    raise();
    activateWindow();
}

void CFormTimeZones::Refresh() {
    if (isVisible()) {
        RunLayout();
        repaint();
    }
}

void CFormTimeZones::HideForAWhile() {
    EndDrag();
    hideTimer_.start();
    hide();
}

void CFormTimeZones::ComeBack() {
    // Back in sight, but whatever the user is typing into keeps the keyboard. Qt
    // hands the attribute to the platform window only when it creates it; later
    // shows read the platform window's own property.
    static constexpr const char* WithoutActivating = "_q_showWithoutActivating";
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    QWindow* const window = windowHandle();
    if (window != nullptr) {
        window->setProperty(WithoutActivating, true);
    }
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (window != nullptr) {
        window->setProperty(WithoutActivating, QVariant());
    }
}

bool CFormTimeZones::IsAlwaysOnTop() const {
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void CFormTimeZones::ToggleAlwaysOnTop() {
    const bool onTop = !IsAlwaysOnTop();
    // Told straight to the window system: setWindowFlags would hide the window.
    const Qt::WindowFlags flags = windowFlags().setFlag(Qt::WindowStaysOnTopHint, onTop);
    overrideWindowFlags(flags);
    if (QWindow* const window = windowHandle()) {
        window->setFlags(flags);
    }
    settings_.FormTimeZones_AlwaysOnTop = onTop;
}

std::unique_ptr<QMenu> CFormTimeZones::MakeContextMenu() {
    // Not a child: a menu of its own keeps the desktop's menu font, not the clocks'.
    auto menu = std::make_unique<QMenu>();
    menu->addAction(tr("Close"), this, &QWidget::close);
    menu->addAction(tr("Hide 30 Seconds (Ctrl + Click)"), this, &CFormTimeZones::HideForAWhile);
    menu->addSeparator();
    QAction* onTop = menu->addAction(tr("Always On Top"), this, &CFormTimeZones::ToggleAlwaysOnTop);
    onTop->setCheckable(true);
    onTop->setChecked(IsAlwaysOnTop());
    menu->addSeparator();
    menu->addAction(tr("Change Time Zones"), this, &CFormTimeZones::changeTimeZonesRequested);
    menu->addAction(tr("Options"), this, &CFormTimeZones::optionsRequested);
    menu->addAction(tr("Earth"), this, &CFormTimeZones::earthRequested);
    return menu;
}

void CFormTimeZones::RunLayout() {
    try {
        std::vector<int> widths;
        if (options_.TimeZones) {
            // A fixed sample time keeps the window from changing size with the clock.
            const std::string sample = TimeZoneItem::FormatSampleTime(
                options_.TzShowDayOfWeek, options_.TzShowDate, options_.TzHourFormat);
            const QFontMetrics metrics = fontMetrics();
            for (TimeZoneItem& zone : *options_.TimeZones) {
                const QRect bounds =
                    metrics.boundingRect(QRect(), EntryFlags, EntryText(zone.Label, sample));
                zone.TextWidth = bounds.width();
                zone.TextHeight = bounds.height();
                widths.push_back(bounds.width());
            }
        }
        const std::vector<Screen> screens = GetScreens();
        const ScreenRect current = ScreenRect::FromQRect(QRect(pos(), layout_.WindowSize));
        const int workAreaWidth = NearestScreen(screens, current).WorkArea.Width();
        const TimeZonesLayout layout = LayoutTimeZonesWindow(widths, workAreaWidth, lineHeight_);
        const QRect fitted = FitToNearestScreen(QRect(pos(), layout.WindowSize), screens);
        layout_ = layout;
        textWidths_ = std::move(widths);
        setFixedSize(layout_.WindowSize);
        move(fitted.topLeft());
        update();
    } catch (...) {
        qCWarning(lcUi) << "the time-zones window kept its size:" << CurrentExceptionText().c_str();
    }
}

void CFormTimeZones::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    try {
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.fillRect(rect(), Qt::black);
        painter.setPen(Qt::white);
        if (ZoneCount(options_) == 0) {
            painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop, tr(EmptyText));
            return;
        }
        const std::vector<TimeZoneItem>& zones = *options_.TimeZones;
        const std::vector<QRect> boxes = TimeZonesEntryBoxes(layout_, textWidths_, lineHeight_);
        const SystemTime utc = DateTime::UtcNow().ToSystemTime();
        for (std::size_t i = 0; i < zones.size() && i < boxes.size(); ++i) {
            try {
                const std::string time = zones[i].UtcToLocalTimeAsString(
                    options_.TzShowDayOfWeek, options_.TzShowDate, options_.TzHourFormat, utc);
                painter.drawText(boxes[i], EntryFlags, EntryText(zones[i].Label, time));
            } catch (...) {
                qCWarning(lcUi) << "a clock of the time-zones window was not drawn:"
                                << CurrentExceptionText().c_str();
            }
        }
    } catch (...) {
        qCWarning(lcUi) << "the time-zones window was not drawn:" << CurrentExceptionText().c_str();
    }
}

void CFormTimeZones::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if ((event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) != 0) {
        HideForAWhile();
        return;
    }
    dragPoint_ = event->position().toPoint();
    isDragging_ = true;
}

void CFormTimeZones::mouseMoveEvent(QMouseEvent* event) {
    if (!isDragging_) {
        return;
    }
    try {
        const QPoint topLeft = event->globalPosition().toPoint() - dragPoint_;
        const QRect fitted = FitToNearestScreen(QRect(topLeft, layout_.WindowSize), GetScreens());
        move(fitted.topLeft());
        settings_.FormTimeZones_Location = CPoint{fitted.x(), fitted.y()};
    } catch (...) {
        qCWarning(lcUi) << "the time-zones window's drag ended:" << CurrentExceptionText().c_str();
        EndDrag();
    }
}

void CFormTimeZones::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        EndDrag();
    }
}

void CFormTimeZones::EndDrag() {
    isDragging_ = false;
}

void CFormTimeZones::contextMenuEvent(QContextMenuEvent* event) {
    try {
        const std::unique_ptr<QMenu> menu = MakeContextMenu();
        menu->exec(MenuPointOnScreens(event->globalPos(), GetScreens()));
    } catch (...) {
        qCWarning(lcUi) << "the time-zones window's menu did not open:"
                        << CurrentExceptionText().c_str();
    }
}

void CFormTimeZones::closeEvent(QCloseEvent* event) {
    event->ignore();
    hideTimer_.stop();
    hide();
}

void CFormTimeZones::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    tickTimer_.start();
}

void CFormTimeZones::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    tickTimer_.stop();
}
