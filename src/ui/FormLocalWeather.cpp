#include "ui/FormLocalWeather.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "core/DateTime.h"
#include "core/Exceptions.h"
#include "data/Options.h"
#include "data/Settings.h"
#include "render/LocalWeatherLayout.h"
#include "render/LocalWeatherPicture.h"
#include "render/Screen.h"
#include "ui/UiLog.h"

CFormLocalWeather::CFormLocalWeather(const COptions& options, CSettings& settings,
                                     const WeatherPictures& pictures, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Tool),
      options_(options),
      settings_(settings),
      pictures_(pictures),
      windowMode_(settings.FormLocalWeather_Mode),
      menu_(new QMenu(this)) {
    if (windowMode_ < CSettings::ModeLarge || windowMode_ > CSettings::ModeIconOnly) {
        windowMode_ = CSettings::ModeLarge;
    }
    setWindowTitle(tr("Local Weather"));
    setAttribute(Qt::WA_TranslucentBackground);
    BuildMenu();
    SetAlwaysOnTop(settings_.FormLocalWeather_AlwaysOnTop);
    // The first picture gives the window its size.
    Redraw();
    CentreOnItsScreen();
}

void CFormLocalWeather::BuildMenu() {
    menu_->addAction(tr("Close"), this, &QWidget::hide);
    menu_->addAction(tr("Change Location"), this, &CFormLocalWeather::changeLocationRequested);
    menu_->addSeparator();
    auto* sizes = new QActionGroup(menu_);
    const auto addMode = [&](const QString& text, int mode) {
        QAction* action = menu_->addAction(text, this, [this, mode] { SetMode(mode); });
        action->setCheckable(true);
        sizes->addAction(action);
        modeActions_[static_cast<std::size_t>(mode)] = action;
    };
    addMode(tr("Icon Only"), CSettings::ModeIconOnly);
    addMode(tr("Small"), CSettings::ModeSmall);
    addMode(tr("Large"), CSettings::ModeLarge);
    menu_->addSeparator();
    alwaysOnTopAction_ =
        menu_->addAction(tr("Always On Top"), this, [this] { SetAlwaysOnTop(!IsAlwaysOnTop()); });
    alwaysOnTopAction_->setCheckable(true);
    menu_->addAction(tr("Options"), this, &CFormLocalWeather::optionsRequested);
    menu_->addAction(tr("Earth"), this, &CFormLocalWeather::earthRequested);
    connect(menu_, &QMenu::aboutToShow, this, &CFormLocalWeather::SetMenuMarks);
}

void CFormLocalWeather::SetMenuMarks() {
    for (std::size_t mode = 0; mode < modeActions_.size(); ++mode) {
        modeActions_[mode]->setChecked(static_cast<int>(mode) == windowMode_);
    }
    alwaysOnTopAction_->setChecked(IsAlwaysOnTop());
}

QMenu& CFormLocalWeather::ContextMenu() {
    SetMenuMarks();
    return *menu_;
}

bool CFormLocalWeather::IsAlwaysOnTop() const {
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void CFormLocalWeather::ShowWindow() {
    Redraw();
    show();
    raise();
    activateWindow();
}

void CFormLocalWeather::Refresh() {
    if (isVisible()) {
        Redraw();
    }
}

void CFormLocalWeather::Redraw() {
    try {
        Update(ComposeLocalWeatherPicture(options_, pictures_, windowMode_, DateTime::UtcNow(),
                                          devicePixelRatioF()));
    } catch (...) {
        qCWarning(lcUi) << "the local weather was not drawn:" << CurrentExceptionText().c_str();
    }
}

void CFormLocalWeather::Update(const QImage& picture) {
    static constexpr const char* Location = "CFormLocalWeather::Update (677)";
    if (picture.isNull()) {
        RaiseError(Location);
    }
    const QPoint corner = pos();
    const QSize size = picture.deviceIndependentSize().toSize();
    const ScreenRect placed = LocalWeatherLayout::KeepReachable(
        {corner.x(), corner.y(), corner.x() + size.width(), corner.y() + size.height()},
        LocalWeatherLayout::ReachableMargin(windowMode_), GetScreens());
    picture_ = picture;
    setFixedSize(size);
    move(placed.Left, placed.Top);
    update();
}

void CFormLocalWeather::SetMode(int mode) {
    windowMode_ = mode;
    settings_.FormLocalWeather_Mode = mode;
    Redraw();
    if (mode != CSettings::ModeLarge) {
        try {
            const ScreenRect placed = LocalWeatherLayout::KeepTopLeftOnScreen(
                ScreenRect::FromQRect(geometry()), GetScreens());
            move(placed.Left, placed.Top);
        } catch (...) {
            qCWarning(lcUi) << "the local weather window was not kept on its screen:"
                            << CurrentExceptionText().c_str();
        }
    }
}

void CFormLocalWeather::SetAlwaysOnTop(bool onTop) {
    // Changing the flags hides a shown window.
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible) {
        show();
    }
    settings_.FormLocalWeather_AlwaysOnTop = onTop;
}

void CFormLocalWeather::CentreOnItsScreen() {
    const QScreen* display = screen();
    if (display != nullptr) {
        const QRect area = display->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void CFormLocalWeather::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, picture_);
}

void CFormLocalWeather::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}

void CFormLocalWeather::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // A Wayland client cannot place its own window: the compositor moves it.
    if (QGuiApplication::platformName() == QLatin1String("wayland") && windowHandle() != nullptr &&
        windowHandle()->startSystemMove()) {
        return;
    }
    dragging_ = true;
    dragOrigin_ = event->position().toPoint();
}

void CFormLocalWeather::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        move(event->globalPosition().toPoint() - dragOrigin_);
    }
}

void CFormLocalWeather::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
    }
}

void CFormLocalWeather::contextMenuEvent(QContextMenuEvent* event) {
    menu_->popup(event->globalPos());
}
