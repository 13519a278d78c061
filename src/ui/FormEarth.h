#pragma once

#include <QMainWindow>
#include <functional>

class QCloseEvent;
class QPainter;

// The map the wallpaper shows, drawn live at the window's size. Closing only
// hides it; the program goes on in the tray. The menu's commands are signals
// for the program to act on.
class CFormEarth : public QMainWindow {
    Q_OBJECT

public:
    // Paints the map over the rectangle, which is also where the clocks and the
    // logo go.
    using DrawMap = std::function<void(QPainter& painter, const QRect& rect)>;

    CFormEarth(const QString& displayName, DrawMap drawMap, QWidget* parent = nullptr);

    // Maximised the first time; a minimised window is restored; then raised and activated.
    void ShowWindow();
    // Redraws at once while the window is visible; a hidden one is not drawn.
    void Refresh();

signals:
    void exitRequested();
    void optionsRequested();
    void localWeatherRequested();
    void webPageRequested();
    void feedbackRequested();
    void aboutRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class View;
    View* view_;
    bool firstShow_ = true;
};
