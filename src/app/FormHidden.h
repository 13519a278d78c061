#pragma once

#include <QImage>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <array>
#include <memory>

#include "platform/DesktopNotification.h"

class Application;
class QMenu;

// The program's clock and post office in desktop and screen-saver modes: the
// tray icon with the edition's menu, the five timers behind every periodic
// refresh, and the receiver of the background results and of the messages of
// other processes. Main thread only.
class CFormHidden : public QObject {
    Q_OBJECT

public:
    // The timers' periods in milliseconds.
    static constexpr int WeatherCheckFirstPeriod = 60000;
    static constexpr int WeatherCheckPeriod = 900000;
    static constexpr int RedrawPeriod = 600000;
    static constexpr int NightMaskPeriod = 82870000;
    static constexpr int CloudDownloadPeriod = 10800000;
    static constexpr int MinuteWatchPeriod = 1000;
    static constexpr int BalloonMilliseconds = 60000;

    // The private messages that other processes send.
    static constexpr int MessageShowTrayIcon = 1154;
    static constexpr int MessageOpenOptions = 1155;
    static constexpr int MessageExit = 1164;
    static constexpr int MessageShowEarth = 1170;
    static constexpr int MessageShowLocalWeather = 1171;
    static constexpr int MessageShowTimeZones = 1172;

    // The creation handler: queues the first downloads and starts the timers.
    explicit CFormHidden(Application& application);
    ~CFormHidden() override;

    // Without a tray on the desktop the program runs on without an icon, which
    // appears once a tray does.
    void AddNotifyIcon();
    void RemoveNotifyIcon();
    void ShowBalloonTip();

    QMenu& TrayMenu() { return *trayMenu_; }

    // A message of another process of the same edition.
    void OnInstanceMessage(int message);

    // The menu's and the windows' commands. The options open on their
    // current page, the favourite cities' or the time zones'.
    void OpenOptions();
    void ChangeLocation();
    void ChangeTimeZones();
    void ShowTimeZones();
    void ShowEarth();
    void ShowLocalWeather();
    void OpenFeedback();
    void OpenWebSite();
    void OpenEarthEditionPage();
    void ExitProgram();

private:
    void OpenOptionsOn(int page);
    void BuildTrayMenu();
    void OnWeatherTimer();
    void OnRedrawTimer();
    void OnNightMaskTimer();
    void OnCloudTimer();
    void OnMinuteWatch();
    void OnWeatherPartial();
    void OnNewVersion();
    void OnTrayActivated(QSystemTrayIcon::ActivationReason reason);

    Application& application_;
    std::unique_ptr<QMenu> trayMenu_;
    QSystemTrayIcon trayIcon_;
    // The welcome, where the desktop has a notification service.
    DesktopNotification balloon_;
    QTimer weatherTimer_;
    QTimer redrawTimer_;
    QTimer nightMaskTimer_;
    QTimer cloudTimer_;
    QTimer minuteWatch_;
    unsigned weatherTickCount_ = 0;
    int lastMinute_ = -1;
};
