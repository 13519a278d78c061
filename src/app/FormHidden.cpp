#include "app/FormHidden.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <utility>
#include <vector>

#include "app/AppLog.h"
#include "app/Application.h"
#include "app/Guarded.h"
#include "app/Program.h"
#include "app/UpdateCheck.h"
#include "core/Exceptions.h"
#include "ui/FormEarth.h"
#include "ui/FormLocalWeather.h"
#include "ui/FormOptions.h"
#include "ui/FormTimeZones.h"
#include "ui/Links.h"

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// The edition's tray menu, top to bottom; a null text is a separator.
struct MenuEntry {
    const char* Text;
    void (CFormHidden::*Command)();
};

const std::vector<MenuEntry>& MenuOf(EnumAppKind kind) {
    using H = CFormHidden;
    static const std::vector<MenuEntry> earth{{"Web Site", &H::OpenWebSite},
                                              {"Feedback", &H::OpenFeedback},
                                              {nullptr, nullptr},
                                              {"Options", &H::OpenOptions},
                                              {"Time Zones", &H::ShowTimeZones},
                                              {"Earth", &H::ShowEarth},
                                              {"Local Weather", &H::ShowLocalWeather},
                                              {nullptr, nullptr},
                                              {"Exit", &H::ExitProgram}};
    static const std::vector<MenuEntry> weather{{"Terravue", &H::OpenEarthEditionPage},
                                                {"Web Site", &H::OpenWebSite},
                                                {"Feedback", &H::OpenFeedback},
                                                {nullptr, nullptr},
                                                {"Options", &H::OpenOptions},
                                                {"Change Location", &H::ChangeLocation},
                                                {nullptr, nullptr},
                                                {"Time Zones", &H::ShowTimeZones},
                                                {"Earth", &H::ShowEarth},
                                                {"Local Weather", &H::ShowLocalWeather},
                                                {nullptr, nullptr},
                                                {"Exit", &H::ExitProgram}};
    static const std::vector<MenuEntry> timeZones{{"Terravue", &H::OpenEarthEditionPage},
                                                  {"Web Site", &H::OpenWebSite},
                                                  {"Feedback", &H::OpenFeedback},
                                                  {nullptr, nullptr},
                                                  {"Options", &H::OpenOptions},
                                                  {"Earth", &H::ShowEarth},
                                                  {"Time Zones", &H::ShowTimeZones},
                                                  {nullptr, nullptr},
                                                  {"Exit", &H::ExitProgram}};
    switch (kind) {
        case EnumAppKind::Earth:
            return earth;
        case EnumAppKind::Weather:
            return weather;
        case EnumAppKind::TimeZones:
            break;
    }
    return timeZones;
}

std::string IconPath() {
    return Program::PathUIFolder() + Program::AppDisplayName() + ".svg";
}

}  // namespace

CFormHidden::CFormHidden(Application& application)
    : application_(application), trayMenu_(std::make_unique<QMenu>()) {
    BuildTrayMenu();
    trayIcon_.setContextMenu(trayMenu_.get());
    trayIcon_.setToolTip(Text(Program::AppDisplayName()));
    connect(&trayIcon_, &QSystemTrayIcon::activated, this, &CFormHidden::OnTrayActivated);

    WorkResults& results = application_.Results;
    connect(&results, &WorkResults::weatherPartial, this, &CFormHidden::OnWeatherPartial);
    connect(&results, &WorkResults::weatherDone, this,
            [this] { Program::OnWeatherDone(application_); });
    connect(&results, &WorkResults::cloudImageReady, this,
            [this](const QImage& layer) { Program::OnNewCloudImage(application_, layer); });
    connect(&results, &WorkResults::newVersionAvailable, this, &CFormHidden::OnNewVersion);

    connect(&weatherTimer_, &QTimer::timeout, this, &CFormHidden::OnWeatherTimer);
    connect(&redrawTimer_, &QTimer::timeout, this, &CFormHidden::OnRedrawTimer);
    connect(&nightMaskTimer_, &QTimer::timeout, this, &CFormHidden::OnNightMaskTimer);
    connect(&cloudTimer_, &QTimer::timeout, this, &CFormHidden::OnCloudTimer);
    connect(&minuteWatch_, &QTimer::timeout, this, &CFormHidden::OnMinuteWatch);

    Guarded("the first downloads", [this] {
        if (Program::Kind() == EnumAppKind::Weather) {
            application_.QueueHomeWeatherDownload();
        }
        application_.QueueWeatherDownload(true);
        if (Program::Mode() == EnumAppMode::Desktop) {
            application_.QueueCloudDownload();
        }
        weatherTimer_.start(WeatherCheckFirstPeriod);
        redrawTimer_.start(RedrawPeriod);
        nightMaskTimer_.start(NightMaskPeriod);
        cloudTimer_.start(CloudDownloadPeriod);
        minuteWatch_.start(MinuteWatchPeriod);
    });
}

CFormHidden::~CFormHidden() = default;

void CFormHidden::BuildTrayMenu() {
    for (const MenuEntry& entry : MenuOf(Program::Kind())) {
        if (entry.Text == nullptr) {
            trayMenu_->addSeparator();
            continue;
        }
        QAction* action = trayMenu_->addAction(QString::fromLatin1(entry.Text));
        connect(action, &QAction::triggered, this, [this, command = entry.Command] {
            Guarded("a tray command", [&] { (this->*command)(); });
        });
    }
}

void CFormHidden::AddNotifyIcon() {
    Guarded("the tray icon", [this] {
        const QIcon icon(Text(IconPath()));
        if (icon.isNull()) {
            static constexpr const char* Location = "CFormHidden::AddNotifyIcon (241)";
            RaiseError(Location);
        }
        // Shown even without a tray: the icon docks as soon as one appears (a panel
        // often starts after the programs of the log-in).
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            qCInfo(lcApp) << "no tray yet; the icon appears when one does";
        }
        trayIcon_.setIcon(icon);
        trayIcon_.show();
    });
}

void CFormHidden::RemoveNotifyIcon() {
    balloon_.Withdraw();
    trayIcon_.hide();
}

void CFormHidden::ShowBalloonTip() {
    Guarded("the balloon", [this] {
        // Without a tray there is no icon to right-click.
        if (!trayIcon_.isVisible() || !QSystemTrayIcon::isSystemTrayAvailable()) {
            static constexpr const char* Location = "CFormHidden::ShowBalloonTip (290)";
            RaiseError(Location);
        }
        const std::string& name = Program::AppDisplayName();
        const QString title = Text(name);
        const QString text = Text("To access " + name + " menu, right click on this icon.");
        if (balloon_.Show(title, title, text, Text(IconPath()), BalloonMilliseconds)) {
            return;
        }
        if (!QSystemTrayIcon::supportsMessages()) {
            static constexpr const char* Location = "CFormHidden::ShowBalloonTip (290)";
            RaiseError(Location);
        }
        trayIcon_.showMessage(title, text, QSystemTrayIcon::Information, BalloonMilliseconds);
    });
}

void CFormHidden::OnInstanceMessage(int message) {
    Guarded("a message of another process", [this, message] {
        if (message == MessageShowTrayIcon && !QSystemTrayIcon::isSystemTrayAvailable()) {
            // Someone clicked the launcher and must see something: with no tray
            // to show the icon in, the Earth window.
            ShowEarth();
        } else if (message == MessageShowTrayIcon) {
            RemoveNotifyIcon();
            AddNotifyIcon();
            ShowBalloonTip();
        } else if (message == MessageOpenOptions) {
            OpenOptions();
        } else if (message == MessageShowEarth) {
            ShowEarth();
        } else if (message == MessageShowLocalWeather) {
            ShowLocalWeather();
        } else if (message == MessageShowTimeZones) {
            ShowTimeZones();
        } else if (message == MessageExit) {
            Program::Exit(application_);
            // The loop ends with the code the senders' scripts expect.
            QCoreApplication::exit(1);
        }
    });
}

void CFormHidden::OnTrayActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick) {
        Guarded("the tray's double-click", [this] { OpenOptions(); });
    }
}

void CFormHidden::OpenOptionsOn(int page) {
    if (application_.FormOptions) {
        application_.FormOptions->Show(page);
    }
}

void CFormHidden::OpenOptions() {
    OpenOptionsOn(-1);
}

void CFormHidden::ChangeLocation() {
    OpenOptionsOn(CFormOptions::FavoriteCities);
}

void CFormHidden::ChangeTimeZones() {
    OpenOptionsOn(CFormOptions::TimeZones);
}

void CFormHidden::ShowTimeZones() {
    if (application_.FormTimeZones) {
        application_.FormTimeZones->ShowWindow();
    }
}

void CFormHidden::ShowLocalWeather() {
    if (application_.FormLocalWeather) {
        application_.FormLocalWeather->ShowWindow();
    }
}

void CFormHidden::ExitProgram() {
    Program::Exit(application_);
}

void CFormHidden::ShowEarth() {
    if (application_.FormEarth) {
        application_.FormEarth->ShowWindow();
    }
}

void CFormHidden::OpenFeedback() {
    UpdateCheck::OpenFeedback(nullptr);
}

void CFormHidden::OpenWebSite() {
    UpdateCheck::OpenWebSite(nullptr);
}

void CFormHidden::OpenEarthEditionPage() {
    OpenPageQuietly(nullptr, UpdateCheck::Addresses().EarthEditionPage);
}

void CFormHidden::OnWeatherTimer() {
    Guarded("the weather check", [this] {
        application_.QueueWeatherDownload(false);
        if (weatherTickCount_ < 2) {
            ++weatherTickCount_;
        }
        if (weatherTickCount_ == 2) {
            weatherTickCount_ = 3;
            weatherTimer_.start(WeatherCheckPeriod);
            application_.QueueUpdateCheck();
        }
    });
}

void CFormHidden::OnRedrawTimer() {
    Guarded("the redraw", [this] {
        application_.Renderer.UpdateNightLayer(DateTime::UtcNow());
        if (Program::Kind() == EnumAppKind::Weather) {
            Program::RefreshWindows(application_);
        } else {
            Program::UpdateDisplays(application_);
        }
    });
}

void CFormHidden::OnNightMaskTimer() {
    Guarded("the night mask", [this] { application_.Renderer.BuildNightMask(DateTime::UtcNow()); });
}

void CFormHidden::OnCloudTimer() {
    Guarded("the cloud download", [this] { application_.QueueCloudDownload(); });
}

void CFormHidden::OnMinuteWatch() {
    Guarded("the minute watch", [this] {
        if (!application_.Options.ShowTimeZonesOnWallpaper) {
            return;
        }
        const int minute =
            static_cast<int>(DateTime::UtcNow().Ticks() / TimeSpan::TicksPerMinute % 60);
        if (minute != lastMinute_) {
            lastMinute_ = minute;
            Program::UpdateWallpaper(application_);
        }
    });
}

void CFormHidden::OnWeatherPartial() {
    Guarded("the weather results", [this] {
        if (!Program::IsExiting() && application_.TakeWeatherResults()) {
            Program::RefreshWindows(application_);
        }
    });
}

void CFormHidden::OnNewVersion() {
    Guarded("the new-version prompt", [this] {
        if (Program::Mode() != EnumAppMode::Desktop ||
            !UpdateCheck::TakePromptTurn(application_.Settings, Program::PathSettings(),
                                         DateTime::Now())) {
            return;
        }
        const std::string& name = Program::AppDisplayName();
        const auto answer = QMessageBox::question(
            nullptr, Text(name),
            Text("A new version of " + name + " is available.\r\nWould you like to download it?"),
            QMessageBox::Yes | QMessageBox::No);
        if (answer == QMessageBox::Yes) {
            OpenPageQuietly(nullptr, UpdateCheck::Addresses().UpdatePage);
        }
    });
}
