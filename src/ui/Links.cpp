#include "ui/Links.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include "core/Exceptions.h"
#include "ui/UiLog.h"

namespace Util {

void OpenUrl(QWidget* /*owner*/, const std::string& address) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool opened =
        QDesktopServices::openUrl(QUrl(QString::fromStdString(address), QUrl::StrictMode));
    QApplication::restoreOverrideCursor();
    if (!opened) {
        static constexpr const char* Location = "Util::OpenUrl (84)";
        RaiseError(Location);
    }
}

}  // namespace Util

void OpenProductPage(QWidget* owner, const std::string& address, const std::string& whereToGo,
                     const std::string& caption) {
    try {
        Util::OpenUrl(owner, address);
    } catch (...) {
        qCWarning(lcUi) << "cannot open" << address.c_str() << CurrentExceptionText().c_str();
        QMessageBox::information(owner, QString::fromStdString(caption),
                                 QString::fromStdString("Please visit " + whereToGo));
    }
}

void OpenPageQuietly(QWidget* owner, const std::string& address) {
    try {
        Util::OpenUrl(owner, address);
    } catch (...) {
        qCWarning(lcUi) << "cannot open" << address.c_str() << CurrentExceptionText().c_str();
    }
}
