#include "ui/FormEarth.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QPainter>
#include <utility>

#include "core/Exceptions.h"
#include "ui/UiLog.h"

// Every pixel is painted each time, so the widget needs no background of its
// own: nothing is erased between frames and nothing flickers.
class CFormEarth::View : public QWidget {
public:
    View(DrawMap drawMap, QWidget* parent) : QWidget(parent), drawMap_(std::move(drawMap)) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        try {
            drawMap_(painter, rect());
        } catch (...) {
            qCWarning(lcUi) << "the Earth window's map was not drawn:"
                            << CurrentExceptionText().c_str();
        }
    }

private:
    DrawMap drawMap_;
};

CFormEarth::CFormEarth(const QString& displayName, DrawMap drawMap, QWidget* parent)
    : QMainWindow(parent), view_(new View(std::move(drawMap), this)) {
    setWindowTitle(displayName);
    setCentralWidget(view_);

    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("E&xit"), this, &CFormEarth::exitRequested);
    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    tools->addAction(tr("&Options"), this, &CFormEarth::optionsRequested);
    tools->addAction(tr("&Local Weather"), this, &CFormEarth::localWeatherRequested);
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("&Web Page"), this, &CFormEarth::webPageRequested);
    help->addAction(tr("&Feedback"), this, &CFormEarth::feedbackRequested);
    help->addAction(tr("&Request Feature or Product"), this, &CFormEarth::feedbackRequested);
    help->addSeparator();
    help->addAction(tr("&About..."), this, &CFormEarth::aboutRequested);
}

void CFormEarth::ShowWindow() {
    if (firstShow_) {
        firstShow_ = false;
        showMaximized();
    } else if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

void CFormEarth::Refresh() {
    if (isVisible()) {
        view_->repaint();
    }
}

void CFormEarth::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}
