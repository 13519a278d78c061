#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWindow;

// The picture of the running edition, one per monitor. Full screen it is the
// screen saver: topmost over every monitor, without a cursor, and gone at the
// first key, button, deactivation or a mouse move of more than MouseTolerance
// pixels. Inside another program's window (xscreensaver's, or a preview box)
// it covers that window and follows its size; there the other program decides
// when it ends.
class CFormScreenSaver : public QWidget {
    Q_OBJECT

public:
    static constexpr int MouseTolerance = 100;
    static constexpr int ClockPeriod = 60000;

    // Paints the picture into the rectangle, in the widget's coordinates.
    using DrawPicture = std::function<void(QPainter& painter, const QRect& rect)>;

    // With perMonitor each monitor that lies within the window gets a picture
    // of its own; otherwise the window gets one. With clocks the picture is
    // drawn again every minute.
    CFormScreenSaver(DrawPicture draw, bool perMonitor, bool clocks, QWidget* parent = nullptr);
    ~CFormScreenSaver() override;

    // Topmost over the virtual screen; endsOnInput as the screen saver does.
    void ShowFullScreen(bool endsOnInput);
    // A child of the other program's window, covering it; false when that
    // window cannot be reached. windowGone is emitted once it no longer exists.
    bool ShowInside(WId window);
    // Draws again now, when shown.
    void Refresh();

    // The monitors' rectangles in this window's coordinates: those that lie
    // within the window, or the whole window when none does or per monitor
    // drawing is off.
    std::vector<QRect> PictureRects() const;

signals:
    void closeRequested();
    void windowGone();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void EndByUser();
    void FollowHost();

    DrawPicture draw_;
    bool perMonitor_;
    bool endsOnInput_ = false;
    // Deactivation ends only a window that has been active.
    bool wasActive_ = false;
    bool mouseStartTaken_ = false;
    QPoint mouseStart_;
    QTimer clockTimer_;
    QTimer hostWatch_;
    WId host_ = 0;
    std::unique_ptr<QWindow> hostWindow_;
};
