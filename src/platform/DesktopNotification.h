#pragma once

#include <QDBusPendingCall>
#include <QString>
#include <optional>

// One notification of the desktop's notification service (org.freedesktop.Notifications
// on the session bus). It is how the tray's balloon is shown: on a status-notifier tray
// (KDE, Xfce's panel, GNOME's extension) Qt's own balloon marks the item as needing
// attention, which shows a generic attention icon instead of the program's for as long
// as the balloon lasts, and leaves the notification on screen after the program ended.
// Main thread only.
class DesktopNotification {
public:
    DesktopNotification() = default;
    DesktopNotification(const DesktopNotification&) = delete;
    DesktopNotification& operator=(const DesktopNotification&) = delete;

    // Asks the service to show it, without waiting for it; false when no service runs.
    bool Show(const QString& appName, const QString& title, const QString& text,
              const QString& iconPath, int milliseconds);
    // Takes a shown notification off the screen, waiting briefly for the service.
    void Withdraw();

private:
    std::optional<QDBusPendingCall> shown_;
};
