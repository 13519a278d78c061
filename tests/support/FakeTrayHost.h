#pragma once

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

namespace TestSupport {

// What a status-notifier tray brings to the session bus, faked in the test's own
// process: a StatusNotifierWatcher that has a host, and the desktop's Notifications
// service. What programs register and ask of them is written down. The test's event
// loop serves them, so a test waits for a Serving condition.
class FakeTrayHost : public QDBusVirtualObject {
public:
    struct Notification {
        uint Id;
        QString Summary;
        QString Body;
    };

    FakeTrayHost() : bus_(QDBusConnection::sessionBus()) {
        bus_.registerVirtualObject(WatcherPath, this);
        bus_.registerVirtualObject(NotificationsPath, this);
        bus_.registerService("org.kde.StatusNotifierWatcher");
        bus_.registerService("org.freedesktop.Notifications");
    }
    FakeTrayHost(const FakeTrayHost&) = delete;
    FakeTrayHost& operator=(const FakeTrayHost&) = delete;
    ~FakeTrayHost() override {
        bus_.unregisterService("org.kde.StatusNotifierWatcher");
        bus_.unregisterService("org.freedesktop.Notifications");
        bus_.unregisterObject(WatcherPath);
        bus_.unregisterObject(NotificationsPath);
    }

    QString introspect(const QString& path) const override {
        if (path == WatcherPath) {
            return R"(<interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
</interface>)";
        }
        return R"(<interface name="org.freedesktop.Notifications">
  <method name="Notify">
    <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
    <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
    <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/>
  </method>
  <method name="CloseNotification"><arg type="u" direction="in"/></method>
  <method name="GetCapabilities"><arg type="as" direction="out"/></method>
  <method name="GetServerInformation">
    <arg type="s" direction="out"/><arg type="s" direction="out"/>
    <arg type="s" direction="out"/><arg type="s" direction="out"/>
  </method>
</interface>)";
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        const QVariantList arguments = message.arguments();
        QVariantList reply;
        if (member == "RegisterStatusNotifierItem") {
            QString service = arguments.value(0).toString();
            // An item may name only its path; the sender is then its service.
            Items.push_back(service.startsWith('/') ? message.service() : service);
        } else if (member == "Get" || member == "GetAll") {
            const QString property = arguments.value(1).toString();
            if (member == "GetAll") {
                QVariantMap all{{"IsStatusNotifierHostRegistered", true},
                                {"ProtocolVersion", 0},
                                {"RegisteredStatusNotifierItems", Items}};
                reply << all;
            } else if (property == "IsStatusNotifierHostRegistered") {
                reply << QVariant::fromValue(QDBusVariant(true));
            } else if (property == "ProtocolVersion") {
                reply << QVariant::fromValue(QDBusVariant(0));
            } else {
                reply << QVariant::fromValue(QDBusVariant(Items));
            }
        } else if (member == "Notify") {
            Notifications.push_back(
                {nextId_, arguments.value(3).toString(), arguments.value(4).toString()});
            reply << nextId_++;
        } else if (member == "CloseNotification") {
            Closed.push_back(arguments.value(0).toUInt());
        } else if (member == "GetCapabilities") {
            reply << QStringList{"body"};
        } else if (member == "GetServerInformation") {
            reply << QString("fake") << QString("skyvane tests") << QString("1") << QString("1.2");
        } else if (member != "RegisterStatusNotifierHost") {
            return false;
        }
        connection.send(message.createReply(reply));
        return true;
    }

    // A property of a registered item, read the way a tray reads it.
    QVariant ItemProperty(const QString& service, const QString& name) const {
        QDBusMessage get = QDBusMessage::createMethodCall(service, "/StatusNotifierItem",
                                                          "org.freedesktop.DBus.Properties", "Get");
        get << QString("org.kde.StatusNotifierItem") << name;
        QDBusMessage answer = bus_.call(get, QDBus::BlockWithGui, 2000);
        return answer.arguments().value(0).value<QDBusVariant>().variant();
    }

    QStringList Items;
    std::vector<Notification> Notifications;
    std::vector<uint> Closed;

    static constexpr const char* WatcherPath = "/StatusNotifierWatcher";
    static constexpr const char* NotificationsPath = "/org/freedesktop/Notifications";

private:
    QDBusConnection bus_;
    uint nextId_ = 41;
};

// A condition for Eventually that serves the test's own bus objects each time it
// is asked: a program that calls them waits for their answers meanwhile.
inline std::function<bool()> Serving(std::function<bool()> condition) {
    return [condition = std::move(condition)] {
        QCoreApplication::processEvents();
        return condition();
    };
}

}  // namespace TestSupport
