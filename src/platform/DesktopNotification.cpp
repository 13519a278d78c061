#include "platform/DesktopNotification.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include "platform/PlatformLog.h"

namespace {

constexpr const char* Service = "org.freedesktop.Notifications";
constexpr const char* Path = "/org/freedesktop/Notifications";
constexpr const char* Interface = "org.freedesktop.Notifications";
// Withdrawing runs on the way out, which must stay short.
constexpr int WithdrawWaitMs = 250;

}  // namespace

bool DesktopNotification::Show(const QString& appName, const QString& title, const QString& text,
                               const QString& iconPath, int milliseconds) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(Service)) {
        return false;
    }
    Withdraw();
    QDBusMessage notify = QDBusMessage::createMethodCall(Service, Path, Interface, "Notify");
    notify << appName << 0U << QUrl::fromLocalFile(iconPath).toString() << title << text
           << QStringList() << QVariantMap() << milliseconds;
    shown_ = bus.asyncCall(notify);
    return true;
}

void DesktopNotification::Withdraw() {
    if (!shown_) {
        return;
    }
    // An answer still outstanding means nothing was shown that could be taken back.
    const QDBusPendingReply<uint> reply(*std::exchange(shown_, std::nullopt));
    if (!reply.isFinished() || !reply.isValid()) {
        return;
    }
    QDBusMessage close =
        QDBusMessage::createMethodCall(Service, Path, Interface, "CloseNotification");
    close << reply.value();
    const QDBusMessage answer =
        QDBusConnection::sessionBus().call(close, QDBus::Block, WithdrawWaitMs);
    if (answer.type() == QDBusMessage::ErrorMessage) {
        qCInfo(lcPlatform) << "the notification was not withdrawn:" << answer.errorMessage();
    }
}
