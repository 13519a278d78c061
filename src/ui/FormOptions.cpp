#include "ui/FormOptions.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QTabWidget>
#include <algorithm>
#include <utility>

#include "core/ErrorDisplay.h"
#include "core/Exceptions.h"
#include "data/Options.h"
#include "render/EarthRenderer.h"
#include "render/Graphics.h"
#include "render/NightMask.h"
#include "render/Overlays.h"
#include "ui/FormOptionsParts.h"
#include "ui/FormSelectCity.h"
#include "ui/UiLog.h"

namespace {

using namespace OptionsDialogParts;

// Backgrounds are read no larger than this for the previews.
constexpr QSize PreviewPictureBox(1024, 512);

// The sample the weather page's preview shows.
City SampleCity() {
    City city;
    city.CityName = "City Name";
    city.CurrentWeather.ReportDateTime = DateTime::UtcNow();
    city.CurrentWeather.Temprature = 23.0F;
    // With an icon, so that its size can be judged while it is changed.
    city.CurrentWeather.WeatherCode = EnumWeatherCode::Fair;
    return city;
}

}  // namespace

CFormOptions::CFormOptions(OptionsDialogHost& host, const OptionsDialogSetup& setup, QWidget* owner)
    : QDialog(owner), host_(host), setup_(setup) {
    setWindowTitle(setup_.DisplayName + " " + setup_.Version);
    setModal(false);
    cityPicker_ = std::make_unique<CFormSelectCity>(setup_.CityRecords, this);
    connect(cityPicker_.get(), &CFormSelectCity::citiesChosen, this,
            [this] { Guarded("the chosen cities", [this] { OnCitiesChosen(); }); });
    connect(cityPicker_.get(), &CFormSelectCity::choiceCancelled, this,
            [this] { Guarded("the city choice", [this] { OnCityChoiceCancelled(); }); });

    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    // Every page's title in sight: the dialog is as wide as its tabs.
    tabs_->setUsesScrollButtons(false);
    layout->addWidget(tabs_);
    BuildPages();

    QBoxLayout* buttonRow = AddButtonRow(layout, this,
                                         {{tr("Web Site"), [this] { host_.OpenWebSite(this); }},
                                          {tr("Feedback"), [this] { host_.OpenFeedback(this); }}});
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    buttonRow->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFormOptions::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFormOptions::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &CFormOptions::Apply);
}

CFormOptions::~CFormOptions() = default;

void CFormOptions::Show(int page) {
    const COptions* live = host_.LiveOptions();
    if (live == nullptr) {
        return;
    }
    try {
        if (page >= 0 && page < PageCount) {
            tabs_->setCurrentIndex(tabOfPage_[static_cast<std::size_t>(page)]);
        }
        if (isHidden() || !working_) {
            working_ = std::make_unique<COptions>(*live);
            Fill();
            show();
        }
        raise();
        activateWindow();
    } catch (...) {
        qCWarning(lcUi) << "the options could not be shown:" << CurrentExceptionText().c_str();
        hide();
        working_.reset();
    }
}

void CFormOptions::Fill() {
    // The controls' own signals must not write back what they are being set to.
    filling_ = true;
    const auto filled = qScopeGuard([this] { filling_ = false; });
    const COptions& options = *working_;
    updateWallpaper_->setChecked(options.UpdateWallpaper);
    runAtLogin_->setChecked(host_.RunsAtLogin());
    for (QCheckBox* box : showWeather_) {
        box->setChecked(options.ShowWeather);
    }
    for (QButtonGroup* group : units_) {
        group->button(options.UseMetricSystem ? 1 : 0)->setChecked(true);
    }
    background_->setCurrentIndex(background_->findText(Text(options.Background.FileName)));
    view_->setCurrentIndex(view_->findText(Text(options.Region.Name)));
    showClouds_->setChecked(options.ShowClouds);
    showCityName_->setChecked(options.DispalyCityName);
    showTemperature_->setChecked(options.DisplayCityTemprature);
    iconScale_->setValue(options.WeatherIconScale);
    iconScaleLabel_->setText(QString::asprintf("%i%%", options.WeatherIconScale));
    zonesOnWallpaper_->setChecked(options.ShowTimeZonesOnWallpaper);
    zonesOnScreenSaver_->setChecked(options.ShowTimeZonesOnScreenSaver);
    showDate_->setChecked(options.TzShowDate);
    showDayOfWeek_->setChecked(options.TzShowDayOfWeek);
    if (QAbstractButton* format = hourFormat_->button(options.TzHourFormat)) {
        format->setChecked(true);
    } else {
        // A format the file made up is shown as neither until one is chosen.
        hourFormat_->setExclusive(false);
        for (QAbstractButton* button : hourFormat_->buttons()) {
            button->setChecked(false);
        }
        hourFormat_->setExclusive(true);
    }
    FillHomeCities();
    FillFavourites();
    FillTimeZones();
    UpdatePreviews();
}

void CFormOptions::UpdatePreviews() {
    backgroundPreview_->update();
    weatherPreview_->update();
}

const QImage& CFormOptions::PreviewDay() {
    if (previewPath_ != working_->Background.Path) {
        previewPath_ = working_->Background.Path;
        previewDay_ =
            Graphics::LoadPictureFitted(previewPath_, Graphics::WorldPicture, PreviewPictureBox);
    }
    return previewDay_;
}

void CFormOptions::DrawBackgroundPreview(QPainter& painter, const QRect& rect) {
    if (!working_) {
        return;
    }
    DrawRegion(painter, PreviewDay(), working_->Region, rect);
    if (!working_->ShowClouds) {
        return;
    }
    const QImage& clouds = setup_.Renderer.CloudLayer();
    if (clouds.cacheKey() != previewCloudsKey_) {
        previewCloudsKey_ = clouds.cacheKey();
        previewClouds_ =
            clouds.scaled(PreviewPictureBox, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    DrawCloudLayer(painter, previewClouds_, working_->Region, rect);
}

void CFormOptions::DrawWeatherPreview(QPainter& painter, const QRect& rect) {
    if (!working_) {
        return;
    }
    DrawRegion(painter, PreviewDay(), working_->Region, rect);
    DrawCityItem(painter, *working_, setup_.Pictures, SampleCity(), true, true, true, rect.center(),
                 DateTime::UtcNow());
}

void CFormOptions::OnShowWeatherToggled(bool on) {
    if (filling_ || !working_) {
        return;
    }
    working_->ShowWeather = on;
    for (QCheckBox* box : showWeather_) {
        const QSignalBlocker block(box);
        box->setChecked(on);
    }
}

void CFormOptions::OnUnitsChosen(bool metric) {
    if (!working_) {
        return;
    }
    working_->UseMetricSystem = metric;
    for (QButtonGroup* group : units_) {
        group->button(metric ? 1 : 0)->setChecked(true);
    }
    UpdatePreviews();
}

void CFormOptions::OnIconScaleChanged(int scale) {
    if (filling_ || !working_ || scale < MinimumIconScale || scale > MaximumIconScale) {
        return;
    }
    working_->WeatherIconScale = scale;
    iconScaleLabel_->setText(QString::asprintf("%i%%", scale));
    weatherPreview_->update();
}

void CFormOptions::ChooseFont(FontValue& font, const char* location) {
    if (font.Family.empty() || !(font.Size > 0.0)) {
        qCWarning(lcUi) << location << "the font cannot be described";
        return;
    }
    QFont current(Text(font.Family));
    current.setPointSizeF(font.Size);
    current.setBold((font.Style & FontValue::Bold) != 0);
    current.setItalic((font.Style & FontValue::Italic) != 0);
    current.setUnderline((font.Style & FontValue::Underline) != 0);
    current.setStrikeOut((font.Style & FontValue::Strikeout) != 0);
    bool chosen = false;
    const QFont picked = QFontDialog::getFont(&chosen, current, this);
    if (!chosen) {
        return;
    }
    // Qt's dialog speaks points already.
    int style = 0;
    style |= picked.weight() >= QFont::Bold ? FontValue::Bold : 0;
    style |= picked.italic() ? FontValue::Italic : 0;
    style |= picked.underline() ? FontValue::Underline : 0;
    style |= picked.strikeOut() ? FontValue::Strikeout : 0;
    font = FontValue{picked.family().toStdString(), picked.pointSizeF(), style};
    UpdatePreviews();
}

void CFormOptions::ChooseColor(Color& color) {
    const QColor picked = QColorDialog::getColor(Graphics::ToQColor(color), this);
    if (!picked.isValid()) {
        return;
    }
    color = Color::FromRgb(picked.red(), picked.green(), picked.blue());
    UpdatePreviews();
}

void CFormOptions::OnMakeScreenSaver() {
    if (host_.MakeScreenSaver()) {
        QMessageBox::information(this, setup_.DisplayName, tr(ScreenSaverDoneText));
    } else {
        QMessageBox::critical(this, setup_.DisplayName, tr(ScreenSaverFailedText));
    }
}

bool CFormOptions::Commit() {
    if (!working_) {
        return false;
    }
    try {
        host_.Commit(COptions(*working_), runAtLogin_->isChecked());
        return true;
    } catch (...) {
        const std::string error = CurrentExceptionText();
        hide();
        working_.reset();
        ShowError(error, setup_.DisplayName.toStdString());
        return false;
    }
}

void CFormOptions::EndConfigurationRun() {
    hide();
    working_.reset();
    host_.EndConfiguration();
}

void CFormOptions::accept() {
    if (!Commit()) {
        return;
    }
    if (setup_.ConfigureMode) {
        EndConfigurationRun();
        return;
    }
    hide();
    working_.reset();
}

void CFormOptions::Apply() {
    if (!Commit()) {
        return;
    }
    if (setup_.ConfigureMode) {
        EndConfigurationRun();
        return;
    }
    Guarded("a fresh copy of the options", [this] {
        const COptions* live = host_.LiveOptions();
        if (live == nullptr) {
            hide();
            working_.reset();
            return;
        }
        working_ = std::make_unique<COptions>(*live);
        Fill();
    });
}

void CFormOptions::reject() {
    // The picker gives the dialog back its input as it goes.
    if (cityPicker_->isVisible()) {
        cityPicker_->reject();
    }
    if (setup_.ConfigureMode) {
        EndConfigurationRun();
        return;
    }
    hide();
    working_.reset();
}

void CFormOptions::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}
