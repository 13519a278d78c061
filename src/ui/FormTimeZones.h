#pragma once

#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "ui/TimeZonesLayout.h"

class COptions;
class CSettings;
class QMenu;

// The floating strip of world clocks: each chosen zone's name and local time,
// white on black, ticking every second. It has no frame and no taskbar entry;
// the user drags it with the left button, hides it for a while with a Ctrl- or
// Shift-click and reaches its menu with the right one. Where it stands and
// whether it stays on top live in the settings; closing only hides it. The
// commands that lead elsewhere are signals for the program to act on.
class CFormTimeZones : public QWidget {
    Q_OBJECT

public:
    static constexpr int TickInterval = 1000;
    static constexpr int HideInterval = 30000;
    static constexpr const char* EmptyText = "No Time Zones to display.";

    // Draws the zones and text options of the live options; keeps its position
    // and topmost state in the settings. Both must outlive the window.
    CFormTimeZones(COptions& options, CSettings& settings, QWidget* parent = nullptr);

    // Laid out for the current options, shown, raised and activated.
    void ShowWindow();
    // After the options changed: laid out and drawn again at once while shown.
    void Refresh();
    // Hidden; back after the hide interval without taking the focus.
    void HideForAWhile();
    void ToggleAlwaysOnTop();
    bool IsAlwaysOnTop() const;

    const TimeZonesLayout& Layout() const { return layout_; }
    // The line height of the entries, from the desktop's caption height; the
    // widget's font is half as many pixels high.
    int LineHeight() const { return lineHeight_; }
    // Tests need not wait the full interval.
    void SetHideIntervalForTest(int milliseconds) { hideTimer_.setInterval(milliseconds); }

    // The context menu, made anew for each right click.
    std::unique_ptr<QMenu> MakeContextMenu();

signals:
    // Both open the options on their time-zones page.
    void changeTimeZonesRequested();
    void optionsRequested();
    void earthRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void RunLayout();
    void ComeBack();
    void EndDrag();

    COptions& options_;
    CSettings& settings_;
    int lineHeight_;
    TimeZonesLayout layout_;
    std::vector<int> textWidths_;
    QTimer tickTimer_;
    QTimer hideTimer_;
    bool isDragging_ = false;
    QPoint dragPoint_;
};
