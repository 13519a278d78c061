#pragma once

#include <QDialog>
#include <QImage>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/AppKind.h"

class CFormSelectCity;
class COptions;
class EarthRenderer;
class QBoxLayout;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPainter;
class QPushButton;
class QSlider;
class QTabWidget;
class QTreeWidget;
class WeatherPictures;
struct FontValue;
struct Color;

namespace Data {
class CityDatabase;
}

// What the options dialog asks of the program it belongs to.
class OptionsDialogHost {
public:
    virtual ~OptionsDialogHost() = default;

    // The options in use; null while there are none to edit.
    virtual const COptions* LiveOptions() const = 0;
    // Whether the program starts at log-in, from this executable.
    virtual bool RunsAtLogin() const = 0;
    // OK and Apply: the edited copy becomes the options in use. Raises when it
    // could not; the dialog then hides and the error is shown.
    virtual void Commit(COptions workingCopy, bool runAtLogin) = 0;
    // A configuration run ends with its dialog.
    virtual void EndConfiguration() = 0;
    // Makes the edition the user's screen saver; false when it could not.
    virtual bool MakeScreenSaver() = 0;
    virtual void OpenWeatherBackgrounds(QWidget* owner) = 0;
    virtual void OpenWebSite(QWidget* owner) = 0;
    virtual void OpenFeedback(QWidget* owner) = 0;
};

// What the dialog shows and draws with; every reference must outlive it.
struct OptionsDialogSetup {
    EnumAppKind Kind = EnumAppKind::Earth;
    // A configuration run of the screen saver: OK and Apply save and end it.
    bool ConfigureMode = false;
    QString DisplayName;
    QString Version;
    // Ends in "/"; its pictures are the Earth backgrounds to choose from.
    std::string EarthFolder;
    EarthRenderer& Renderer;
    const WeatherPictures& Pictures;
    Data::CityDatabase& CityRecords;
};

// The one place where the user changes the options: five pages in the
// edition's order over a private copy of the options, which reaches the
// program only on OK or Apply. Modeless; created once, hidden between showings,
// each showing starting from a fresh copy.
class CFormOptions : public QDialog {
    Q_OBJECT

public:
    // The pages as the program names them; each edition orders the tabs its own way.
    enum Page {
        General = 0,
        EarthBackground = 1,
        FavoriteCities = 2,
        WeatherDisplay = 3,
        TimeZones = 4
    };
    static constexpr int PageCount = 5;
    static constexpr int MinimumIconScale = 30;
    static constexpr int MaximumIconScale = 300;
    static constexpr const char* OtherCityText = "Other city...";
    static constexpr const char* SelectCityText = "Please select a city and try again.";
    static constexpr const char* SelectOneCityText = "Please select one city and try again.";
    static constexpr const char* SelectOneItemText = "Please select one item and try again.";
    static constexpr const char* ScreenSaverDoneText = "Screen saver activated.";
    static constexpr const char* ScreenSaverFailedText = "Could not activate the screen saver.";

    CFormOptions(OptionsDialogHost& host, const OptionsDialogSetup& setup,
                 QWidget* owner = nullptr);
    ~CFormOptions() override;

    // Brings the dialog up on the page (any other number keeps the current
    // one); a hidden dialog first takes a fresh copy of the live options.
    void Show(int page);

    // The copy being edited; null while hidden.
    COptions* WorkingCopy() const { return working_.get(); }
    CFormSelectCity& CityPicker() const { return *cityPicker_; }

    void accept() override;
    void reject() override;
    void Apply();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildPages();
    QWidget* BuildGeneralPage();
    QWidget* BuildEarthBackgroundPage();
    QWidget* BuildWeatherDisplayPage();
    QWidget* BuildFavoriteCitiesPage();
    QWidget* BuildTimeZonesPage();
    QCheckBox* AddShowWeatherBox(QWidget* page);
    QButtonGroup* AddUnitsRadios(QWidget* page, QBoxLayout* layout);
    struct ButtonOfRow {
        QString Text;
        std::function<void()> Action;
    };
    // A row of buttons on the left, each action guarded; the row is returned
    // for what goes on its right.
    QBoxLayout* AddButtonRow(QBoxLayout* layout, QWidget* parent,
                             const std::vector<ButtonOfRow>& buttons);

    void Fill();
    void FillHomeCities();
    void FillFavourites();
    void FillTimeZones();
    void UpdatePreviews();
    const QImage& PreviewDay();
    void DrawBackgroundPreview(QPainter& painter, const QRect& rect);
    void DrawWeatherPreview(QPainter& painter, const QRect& rect);

    bool Commit();
    void EndConfigurationRun();

    void OnShowWeatherToggled(bool on);
    void OnUnitsChosen(bool metric);
    void OnHomeCityActivated(int index);
    void OnCitiesChosen();
    void OnCityChoiceCancelled();
    void OnRemoveCity();
    void OnChangeDisplayName(bool fromButton);
    void OnAddTimeZone();
    void OnEditTimeZone(bool fromButton);
    void OnRemoveTimeZone();
    void OnIconScaleChanged(int scale);
    void ChooseFont(FontValue& font, const char* location);
    void ChooseColor(Color& color);
    void OnMakeScreenSaver();
    void SwapWithHomeCity(int favouriteIndex);
    void Message(const QString& text);

    OptionsDialogHost& host_;
    OptionsDialogSetup setup_;
    std::unique_ptr<COptions> working_;
    // Tab index of each page.
    std::array<int, PageCount> tabOfPage_{};
    bool filling_ = false;

    QTabWidget* tabs_ = nullptr;
    std::unique_ptr<CFormSelectCity> cityPicker_;
    // General.
    QCheckBox* updateWallpaper_ = nullptr;
    QCheckBox* runAtLogin_ = nullptr;
    // The check box and the units radios appear on several pages and move together.
    std::array<QCheckBox*, 3> showWeather_{};
    std::array<QButtonGroup*, 2> units_{};
    // Earth Background.
    QComboBox* background_ = nullptr;
    QComboBox* view_ = nullptr;
    QCheckBox* showClouds_ = nullptr;
    QWidget* backgroundPreview_ = nullptr;
    // Weather display.
    QCheckBox* showCityName_ = nullptr;
    QCheckBox* showTemperature_ = nullptr;
    QSlider* iconScale_ = nullptr;
    QLabel* iconScaleLabel_ = nullptr;
    QWidget* weatherPreview_ = nullptr;
    // Favorite Cities.
    QComboBox* homeCity_ = nullptr;
    QTreeWidget* favourites_ = nullptr;
    // Time Zones.
    QCheckBox* zonesOnWallpaper_ = nullptr;
    QCheckBox* zonesOnScreenSaver_ = nullptr;
    QTreeWidget* timeZones_ = nullptr;
    QCheckBox* showDate_ = nullptr;
    QCheckBox* showDayOfWeek_ = nullptr;
    QButtonGroup* hourFormat_ = nullptr;

    // The background as the preview shows it, read small once per picture.
    std::string previewPath_;
    QImage previewDay_;
    qint64 previewCloudsKey_ = 0;
    QImage previewClouds_;
};
