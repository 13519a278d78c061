#include "ui/FormScreenSaver.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <cstdlib>
#include <utility>

#include "core/Exceptions.h"
#include "ui/UiLog.h"

namespace {

constexpr int HostWatchPeriod = 250;

xcb_connection_t* X11Connection() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

// The size of another program's window; nullopt once it is gone.
std::optional<QSize> HostSize(WId window) {
    xcb_connection_t* connection = X11Connection();
    if (connection == nullptr) {
        return std::nullopt;
    }
    xcb_get_geometry_reply_t* reply = xcb_get_geometry_reply(
        connection, xcb_get_geometry(connection, static_cast<xcb_drawable_t>(window)), nullptr);
    if (reply == nullptr) {
        return std::nullopt;
    }
    const QSize size(reply->width, reply->height);
    std::free(reply);
    return size;
}

}  // namespace

CFormScreenSaver::CFormScreenSaver(DrawPicture draw, bool perMonitor, bool clocks, QWidget* parent)
    : QWidget(parent), draw_(std::move(draw)), perMonitor_(perMonitor) {
    // Every pixel is painted each time: nothing to erase, nothing flickers.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::BlankCursor);
    setMouseTracking(true);
    if (clocks) {
        connect(&clockTimer_, &QTimer::timeout, this, [this] { update(); });
        clockTimer_.start(ClockPeriod);
    }
    connect(&hostWatch_, &QTimer::timeout, this, &CFormScreenSaver::FollowHost);
}

CFormScreenSaver::~CFormScreenSaver() {
    // Deleting the other program's window object deletes its child windows, and
    // ours must not go with it before the widget is done with it.
    if (hostWindow_ && windowHandle() != nullptr) {
        windowHandle()->setParent(nullptr);
    }
}

void CFormScreenSaver::ShowFullScreen(bool endsOnInput) {
    endsOnInput_ = endsOnInput;
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        // A Wayland client can neither place a window nor grab the input: the
        // compositor puts a full-screen window on one monitor.
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        showFullScreen();
        activateWindow();
        return;
    }
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::X11BypassWindowManagerHint);
    const QScreen* primary = QGuiApplication::primaryScreen();
    setGeometry(primary != nullptr ? primary->virtualGeometry() : QRect(0, 0, 640, 480));
    show();
    raise();
    activateWindow();
    if (endsOnInput_) {
        // The keys and the mouse come here wherever the focus was.
        grabKeyboard();
        grabMouse();
    }
}

bool CFormScreenSaver::ShowInside(WId window) {
    const std::optional<QSize> size = HostSize(window);
    if (!size) {
        return false;
    }
    host_ = window;
    hostWindow_.reset(QWindow::fromWinId(window));
    setAttribute(Qt::WA_NativeWindow);
    winId();
    windowHandle()->setParent(hostWindow_.get());
    setGeometry(QRect(QPoint(0, 0), *size));
    show();
    hostWatch_.start(HostWatchPeriod);
    return true;
}

void CFormScreenSaver::FollowHost() {
    const std::optional<QSize> size = HostSize(host_);
    if (!size) {
        hostWatch_.stop();
        emit windowGone();
        return;
    }
    if (*size != this->size()) {
        setGeometry(QRect(QPoint(0, 0), *size));
    }
}

void CFormScreenSaver::Refresh() {
    if (isVisible()) {
        repaint();
    }
}

std::vector<QRect> CFormScreenSaver::PictureRects() const {
    std::vector<QRect> rects;
    if (perMonitor_) {
        const QPoint origin = mapToGlobal(QPoint(0, 0));
        for (const QScreen* screen : QGuiApplication::screens()) {
            const QRect monitor = screen->geometry().translated(-origin);
            if (rect().contains(monitor)) {
                rects.push_back(monitor);
            }
        }
    }
    if (rects.empty()) {
        rects.push_back(rect());
    }
    return rects;
}

void CFormScreenSaver::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    try {
        for (const QRect& monitor : PictureRects()) {
            painter.save();
            painter.setClipRect(monitor);
            draw_(painter, monitor);
            painter.restore();
        }
    } catch (...) {
        qCWarning(lcUi) << "the screen saver's picture was not drawn:"
                        << CurrentExceptionText().c_str();
    }
}

void CFormScreenSaver::EndByUser() {
    if (endsOnInput_) {
        endsOnInput_ = false;
        emit closeRequested();
    }
}

void CFormScreenSaver::keyPressEvent(QKeyEvent*) {
    EndByUser();
}

void CFormScreenSaver::keyReleaseEvent(QKeyEvent*) {
    EndByUser();
}

void CFormScreenSaver::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton ||
        event->button() == Qt::MiddleButton) {
        EndByUser();
    }
}

void CFormScreenSaver::mouseMoveEvent(QMouseEvent* event) {
    const QPoint position = event->globalPosition().toPoint();
    if (!mouseStartTaken_) {
        mouseStartTaken_ = true;
        mouseStart_ = position;
        return;
    }
    const QPoint moved = position - mouseStart_;
    if (std::abs(moved.x()) > MouseTolerance || std::abs(moved.y()) > MouseTolerance) {
        EndByUser();
    }
}

void CFormScreenSaver::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && wasActive_) {
        EndByUser();
    }
    wasActive_ = wasActive_ || isActiveWindow();
    QWidget::changeEvent(event);
}
