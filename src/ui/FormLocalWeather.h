#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <array>

class COptions;
class CSettings;
class WeatherPictures;
class QAction;
class QMenu;

// The home city's weather in a small frameless window floating over the
// desktop: one picture with per-pixel transparency, dragged with the left
// button and controlled from its context menu. Closing only hides it. It
// draws what the home city already holds and never downloads anything; the
// commands that lead elsewhere are signals for the program to act on.
class CFormLocalWeather : public QWidget {
    Q_OBJECT

public:
    // Draws from the live options and pictures, which outlive the window. Its
    // size and always-on-top state come from the settings and go back into
    // them when the menu changes them; the program saves the settings.
    CFormLocalWeather(const COptions& options, CSettings& settings, const WeatherPictures& pictures,
                      QWidget* parent = nullptr);

    // Redrawn, shown, raised and activated.
    void ShowWindow();
    // Redraws while the window is visible: after new weather or new options.
    void Refresh();
    // Draws in the current size; any failure keeps the previous picture.
    void Redraw();
    // Shows the picture at its size, keeping at least a margin of the window
    // on a screen. A null picture raises "CFormLocalWeather::Update (677)".
    void Update(const QImage& picture);

    // CSettings::ModeLarge, ModeSmall or ModeIconOnly.
    int WindowMode() const { return windowMode_; }
    bool IsAlwaysOnTop() const;
    const QImage& Picture() const { return picture_; }
    // With its marks set as it is about to be shown.
    QMenu& ContextMenu();

signals:
    // The options on the favourite cities' page, where the home city is chosen.
    void changeLocationRequested();
    void optionsRequested();
    void earthRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildMenu();
    void SetMenuMarks();
    void SetMode(int mode);
    void SetAlwaysOnTop(bool onTop);
    void CentreOnItsScreen();

    const COptions& options_;
    CSettings& settings_;
    const WeatherPictures& pictures_;
    int windowMode_;
    bool dragging_ = false;
    // Where in the window the left button went down.
    QPoint dragOrigin_;
    QImage picture_;
    QMenu* menu_;
    // Indexed by window mode.
    std::array<QAction*, 3> modeActions_{};
    QAction* alwaysOnTopAction_ = nullptr;
};
