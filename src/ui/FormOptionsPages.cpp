#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTreeWidget>
#include <array>
#include <functional>
#include <utility>

#include "data/Options.h"
#include "data/Regions.h"
#include "render/EarthRenderer.h"
#include "render/Graphics.h"
#include "ui/FormOptions.h"
#include "ui/FormOptionsParts.h"
#include "ui/FormSelectCity.h"

// The options dialog's pages, built once with the dialog.

namespace {

using namespace OptionsDialogParts;

// A picture drawn by the dialog into a framed box.
class PreviewBox : public QFrame {
public:
    PreviewBox(std::function<void(QPainter&, const QRect&)> draw, QWidget* parent)
        : QFrame(parent), draw_(std::move(draw)) {
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        setMinimumSize(240, 120);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        QPainter painter(this);
        Graphics::PreparePainter(painter);
        const QRect inside = contentsRect();
        painter.fillRect(inside, Qt::black);
        Guarded("a preview", [&] { draw_(painter, inside); });
    }

private:
    std::function<void(QPainter&, const QRect&)> draw_;
};

// Tab titles in the edition's order, and which page each shows.
struct TabOrder {
    std::array<const char*, CFormOptions::PageCount> Titles;
    std::array<int, CFormOptions::PageCount> Pages;
};

TabOrder TabsOf(EnumAppKind kind) {
    using P = CFormOptions;
    switch (kind) {
        case EnumAppKind::Weather:
            return {{"General", "Favorite Cities", "Skyvane", "Earth Background", "Time Zones"},
                    {P::General, P::FavoriteCities, P::WeatherDisplay, P::EarthBackground,
                     P::TimeZones}};
        case EnumAppKind::TimeZones:
            return {{"General", "Time Zones", "Skyvane", "Favorite Cities", "Earth Background"},
                    {P::General, P::TimeZones, P::WeatherDisplay, P::FavoriteCities,
                     P::EarthBackground}};
        case EnumAppKind::Earth:
            break;
    }
    return {{"General", "Time Zones", "Weather", "Favorite Cities", "Earth Background"},
            {P::General, P::TimeZones, P::WeatherDisplay, P::FavoriteCities, P::EarthBackground}};
}

QTreeWidget* MakeList(QWidget* parent, const QStringList& columns, const std::vector<int>& widths) {
    auto* list = new QTreeWidget(parent);
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (std::size_t column = 0; column < widths.size(); ++column) {
        list->setColumnWidth(static_cast<int>(column), widths[column]);
    }
    return list;
}

QPushButton* AddButton(QBoxLayout* layout, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    layout->addWidget(button);
    return button;
}

}  // namespace

void CFormOptions::BuildPages() {
    const TabOrder order = TabsOf(setup_.Kind);
    std::array<QWidget*, PageCount> pages{BuildGeneralPage(), BuildEarthBackgroundPage(),
                                          BuildFavoriteCitiesPage(), BuildWeatherDisplayPage(),
                                          BuildTimeZonesPage()};
    for (int tab = 0; tab < PageCount; ++tab) {
        const int page = order.Pages[static_cast<std::size_t>(tab)];
        tabs_->addTab(pages[static_cast<std::size_t>(page)],
                      tr(order.Titles[static_cast<std::size_t>(tab)]));
        tabOfPage_[static_cast<std::size_t>(page)] = tab;
    }
}

QCheckBox* CFormOptions::AddShowWeatherBox(QWidget* page) {
    auto* box = new QCheckBox(tr("Show weather information on the map"), page);
    connect(box, &QCheckBox::toggled, this, &CFormOptions::OnShowWeatherToggled);
    const auto slot = std::find(showWeather_.begin(), showWeather_.end(), nullptr);
    *slot = box;
    return box;
}

QButtonGroup* CFormOptions::AddUnitsRadios(QWidget* page, QBoxLayout* layout) {
    auto* group = new QButtonGroup(page);
    auto* fahrenheit = new QRadioButton(tr("Fahrenheit (°F)"), page);
    auto* celsius = new QRadioButton(tr("Celsius (°C)"), page);
    group->addButton(fahrenheit, 0);
    group->addButton(celsius, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(fahrenheit);
    row->addWidget(celsius);
    row->addStretch();
    layout->addLayout(row);
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { OnUnitsChosen(id == 1); });
    const auto slot = std::find(units_.begin(), units_.end(), nullptr);
    *slot = group;
    return group;
}

QBoxLayout* CFormOptions::AddButtonRow(QBoxLayout* layout, QWidget* parent,
                                       const std::vector<ButtonOfRow>& buttons) {
    auto* row = new QHBoxLayout;
    for (const ButtonOfRow& button : buttons) {
        QPushButton* pushButton = AddButton(row, button.Text, parent);
        connect(pushButton, &QPushButton::clicked, this,
                [this, text = button.Text.toStdString(), action = button.Action] {
                    Guarded(text.c_str(), action);
                });
    }
    row->addStretch();
    layout->addLayout(row);
    return row;
}

QWidget* CFormOptions::BuildGeneralPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    updateWallpaper_ = new QCheckBox(tr("Update Desktop Wallpaper"), page);
    layout->addWidget(updateWallpaper_);
    connect(updateWallpaper_, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_ && working_) {
            working_->UpdateWallpaper = on;
        }
    });
    runAtLogin_ = new QCheckBox("Run " + setup_.DisplayName + " when I log in", page);
    // Only the desktop program can put itself in the log-in; a configuring
    // screen saver would start itself configuring at every log-in.
    runAtLogin_->setEnabled(!setup_.ConfigureMode);
    layout->addWidget(runAtLogin_);
    layout->addWidget(AddShowWeatherBox(page));
    AddUnitsRadios(page, layout);

    std::vector<ButtonOfRow> buttons{
        {"Make " + setup_.DisplayName + " my Screen Saver", [this] { OnMakeScreenSaver(); }}};
    if (setup_.Kind == EnumAppKind::Weather) {
        buttons.push_back({tr("Add Your Own Weather Backgrounds"),
                           [this] { host_.OpenWeatherBackgrounds(this); }});
    }
    AddButtonRow(layout, page, buttons);
    layout->addStretch();
    return page;
}

QWidget* CFormOptions::BuildEarthBackgroundPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    background_ = new QComboBox(page);
    for (const std::string& name : EarthBackgroundNames(setup_.EarthFolder)) {
        background_->addItem(Text(name));
    }
    view_ = new QComboBox(page);
    for (const RegionRecord& region : Regions::All()) {
        view_->addItem(Text(region.Name));
    }
    form->addRow(tr("Earth Background:"), background_);
    form->addRow(tr("View:"), view_);
    layout->addLayout(form);
    showClouds_ = new QCheckBox(tr("Show clouds"), page);
    layout->addWidget(showClouds_);
    backgroundPreview_ = new PreviewBox(
        [this](QPainter& painter, const QRect& rect) { DrawBackgroundPreview(painter, rect); },
        page);
    layout->addWidget(backgroundPreview_, 1);

    connect(background_, &QComboBox::currentTextChanged, this, [this](const QString& name) {
        if (filling_ || !working_ || name.isEmpty()) {
            return;
        }
        const std::string path = setup_.EarthFolder + name.toStdString();
        // Only a picture that is there can be chosen.
        if (QFileInfo(Text(path)).isFile()) {
            working_->Background = BackgroundRecord{name.toStdString(), path};
        }
        UpdatePreviews();
    });
    connect(view_, &QComboBox::currentIndexChanged, this, [this](int index) {
        const auto views = Regions::All();
        if (filling_ || !working_ || index < 0 || static_cast<std::size_t>(index) >= views.size()) {
            return;
        }
        working_->Region = views[static_cast<std::size_t>(index)];
        UpdatePreviews();
    });
    connect(showClouds_, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_ && working_) {
            working_->ShowClouds = on;
            UpdatePreviews();
        }
    });
    return page;
}

QWidget* CFormOptions::BuildWeatherDisplayPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(AddShowWeatherBox(page));
    AddUnitsRadios(page, layout);

    const auto addTextRow = [&](const QString& text, QCheckBox*& box, bool COptions::*option,
                                FontValue COptions::*font, Color COptions::*color,
                                const char* fontLocation) {
        auto* row = new QHBoxLayout;
        box = new QCheckBox(text, page);
        row->addWidget(box, 1);
        QPushButton* fontButton = AddButton(row, tr("Font"), page);
        QPushButton* colorButton = AddButton(row, tr("Color"), page);
        layout->addLayout(row);
        connect(box, &QCheckBox::toggled, this, [this, option](bool on) {
            if (!filling_ && working_) {
                (*working_).*option = on;
                UpdatePreviews();
            }
        });
        connect(fontButton, &QPushButton::clicked, this, [this, font, fontLocation] {
            if (working_) {
                ChooseFont((*working_).*font, fontLocation);
            }
        });
        connect(colorButton, &QPushButton::clicked, this, [this, color] {
            if (working_) {
                ChooseColor((*working_).*color);
            }
        });
    };
    addTextRow(tr("Show City Name"), showCityName_, &COptions::DispalyCityName,
               &COptions::FontCityName, &COptions::ColorCityName,
               "CFormOptions::OnBnClickedCityNameFont (839)");
    addTextRow(tr("Show City Temprature"), showTemperature_, &COptions::DisplayCityTemprature,
               &COptions::FontCityTemprature, &COptions::ColorCityTemprature,
               "CFormOptions::OnBnClickedTempratureFont (877)");

    auto* scaleRow = new QHBoxLayout;
    scaleRow->addWidget(new QLabel(tr("Change Weather Icon Size"), page));
    iconScale_ = new QSlider(Qt::Horizontal, page);
    iconScale_->setRange(MinimumIconScale, MaximumIconScale);
    iconScale_->setSingleStep(5);
    iconScale_->setPageStep(20);
    scaleRow->addWidget(iconScale_, 1);
    iconScaleLabel_ = new QLabel(page);
    iconScaleLabel_->setMinimumWidth(iconScaleLabel_->fontMetrics().horizontalAdvance("3000%"));
    scaleRow->addWidget(iconScaleLabel_);
    layout->addLayout(scaleRow);
    connect(iconScale_, &QSlider::valueChanged, this, &CFormOptions::OnIconScaleChanged);

    weatherPreview_ = new PreviewBox(
        [this](QPainter& painter, const QRect& rect) { DrawWeatherPreview(painter, rect); }, page);
    layout->addWidget(weatherPreview_, 1);
    return page;
}

QWidget* CFormOptions::BuildFavoriteCitiesPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(AddShowWeatherBox(page));
    auto* form = new QFormLayout;
    homeCity_ = new QComboBox(page);
    form->addRow(tr("Home City (Local Weather)"), homeCity_);
    layout->addLayout(form);
    connect(homeCity_, &QComboBox::activated, this, [this](int index) {
        Guarded("the home city", [this, index] { OnHomeCityActivated(index); });
    });

    favourites_ = MakeList(page, {tr("City"), tr("Details")}, {220, 220});
    favourites_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    favourites_->setSortingEnabled(true);
    favourites_->sortByColumn(0, Qt::AscendingOrder);
    layout->addWidget(favourites_, 1);
    connect(favourites_, &QTreeWidget::itemDoubleClicked, this,
            [this] { Guarded("the display name", [this] { OnChangeDisplayName(false); }); });

    AddButtonRow(
        layout, page,
        {{tr("Add City"), [this] { cityPicker_->Showup(CFormSelectCity::Purpose::Favourites); }},
         {tr("Remove City"), [this] { OnRemoveCity(); }},
         {tr("Change Display Name"), [this] { OnChangeDisplayName(true); }}});
    return page;
}

QWidget* CFormOptions::BuildTimeZonesPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);

    auto* showOn = new QHBoxLayout;
    auto* showOnLabel = new QLabel(tr("Show time zones on: "), page);
    zonesOnWallpaper_ = new QCheckBox(tr("Wallpaper"), page);
    zonesOnScreenSaver_ = new QCheckBox(tr("Screen Saver"), page);
    showOn->addWidget(showOnLabel);
    showOn->addWidget(zonesOnWallpaper_);
    showOn->addWidget(zonesOnScreenSaver_);
    showOn->addStretch();
    layout->addLayout(showOn);
    // The weather edition's wallpaper and screen saver show no clocks.
    if (setup_.Kind == EnumAppKind::Weather) {
        showOnLabel->hide();
        zonesOnWallpaper_->hide();
        zonesOnScreenSaver_->hide();
    }

    timeZones_ = MakeList(page, {tr("Display Name"), tr("Time Zone")}, {120, 320});
    timeZones_->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(timeZones_, 1);
    connect(timeZones_, &QTreeWidget::itemDoubleClicked, this,
            [this] { Guarded("editing a time zone", [this] { OnEditTimeZone(false); }); });
    AddButtonRow(layout, page,
                 {{tr("Add"), [this] { OnAddTimeZone(); }},
                  {tr("Remove"), [this] { OnRemoveTimeZone(); }},
                  {tr("Edit"), [this] { OnEditTimeZone(true); }}});

    auto* textRow = new QHBoxLayout;
    showDate_ = new QCheckBox(tr("Show Date"), page);
    showDayOfWeek_ = new QCheckBox(tr("Show Day Of Week"), page);
    auto* twelve = new QRadioButton(tr("12 hour (AM/PM)"), page);
    auto* twentyFour = new QRadioButton(tr("24 hour"), page);
    hourFormat_ = new QButtonGroup(page);
    hourFormat_->addButton(twelve, 1);
    hourFormat_->addButton(twentyFour, 2);
    for (QWidget* widget :
         std::initializer_list<QWidget*>{showDate_, showDayOfWeek_, twelve, twentyFour}) {
        textRow->addWidget(widget);
    }
    textRow->addStretch();
    layout->addLayout(textRow);

    auto* appearance = new QGroupBox(tr("Customize the appearance on the Map"), page);
    auto* appearanceRow = new QHBoxLayout(appearance);
    QPushButton* font = AddButton(appearanceRow, tr("Font"), appearance);
    QPushButton* color = AddButton(appearanceRow, tr("Color"), appearance);
    appearanceRow->addStretch();
    layout->addWidget(appearance);

    const auto bindBox = [this](QCheckBox* box, bool COptions::*option) {
        connect(box, &QCheckBox::toggled, this, [this, option](bool on) {
            if (!filling_ && working_) {
                (*working_).*option = on;
            }
        });
    };
    bindBox(zonesOnWallpaper_, &COptions::ShowTimeZonesOnWallpaper);
    bindBox(zonesOnScreenSaver_, &COptions::ShowTimeZonesOnScreenSaver);
    bindBox(showDate_, &COptions::TzShowDate);
    bindBox(showDayOfWeek_, &COptions::TzShowDayOfWeek);
    connect(hourFormat_, &QButtonGroup::idClicked, this, [this](int format) {
        if (working_) {
            working_->TzHourFormat = format;
        }
    });
    connect(font, &QPushButton::clicked, this, [this] {
        if (working_) {
            ChooseFont(working_->FontTzMap, "CFormOptions::OnBnClickedTimeZoneFontMap (1382)");
        }
    });
    connect(color, &QPushButton::clicked, this, [this] {
        if (working_) {
            ChooseColor(working_->ColorTzMap);
        }
    });
    return page;
}
