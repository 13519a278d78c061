#include "platform/DBusCaller.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>

#include "platform/PlatformLog.h"

std::optional<QVariantList> SessionBusCaller::Call(const DBusCall& call) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCInfo(lcPlatform) << "No session bus:" << bus.lastError().message();
        return std::nullopt;
    }
    QDBusMessage message =
        QDBusMessage::createMethodCall(call.Service, call.Path, call.Interface, call.Method);
    message.setArguments(call.Arguments);
    const QDBusMessage reply = bus.call(message, QDBus::Block, static_cast<int>(timeout_.count()));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qCInfo(lcPlatform) << call.Service << call.Method << "failed:" << reply.errorName()
                           << reply.errorMessage();
        return std::nullopt;
    }
    return reply.arguments();
}
