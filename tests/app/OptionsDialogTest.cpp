#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/Program.h"
#include "app/ProgramOptions.h"
#include "data/TimeZoneInfo.h"
#include "support/EventLoopWait.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestSupport.h"
#include "ui/FormOptions.h"
#include "ui/FormSelectCity.h"

namespace {

using namespace TestSupport;

constexpr const char* CloudsPath = "/clouds.jpg";

template <class Widget>
Widget* WithText(const QWidget& root, const QString& text) {
    for (Widget* widget : root.findChildren<Widget*>()) {
        if (widget->text() == text) {
            return widget;
        }
    }
    ADD_FAILURE() << "no control says " << text.toStdString();
    return nullptr;
}

// The running program's options dialog, made in the test's own process over an
// installation of its own whose cloud source is a loopback server.
class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string folder = install_.Folder();
        environment_.Set("XDG_CONFIG_HOME", user_.Folder() + "config");
        environment_.Set("XDG_DATA_HOME", user_.Folder() + "data");
        environment_.Set("SKYVANE_METAR_URL", server_.BaseUrl() + "/metar/");
        environment_.Set("SKYVANE_FORECAST_URL", server_.BaseUrl() + "/forecast");
        Write(folder + Program::InstallationMarkerFileName, "");
        Write(folder + "CloudsUrls.txt", server_.BaseUrl() + CloudsPath + "\r\n");
        Write(folder + "CityRecords.txt",
              "1;KAAA;Aland;Alpha;Alpha Field;10;10\n"
              "2;KBBB;Bland;Beta;Beta Field;20;20\n"
              "3;KCCC;Cland;Gamma;Gamma Field;30;30\n"
              "4;KDDD;Dland;Delta;Delta Field;40;40\n");
        std::filesystem::create_directories(folder + "Earth");
        QImage day(64, 32, QImage::Format_RGB32);
        day.fill(Qt::darkBlue);
        day.save(QString::fromStdString(folder + "Earth/Blue Marble.jpg"));

        Program::ResetForTesting();
        Program::InitPathInfo((folder + "terravue").c_str());
        Program::DetermineAppMode("");
        application_ = std::make_unique<Application>();
        application_->LoadData();
        // Home Alpha, favourites Beta and Gamma; clouds off.
        COptions& options = application_->Options;
        options.HomeCity = new City(ParseCityLine("1;KAAA;Aland;Alpha;Alpha Field;10;10"));
        options.Cities = new std::vector<City>{City(ParseCityLine("2;KBBB;Bland;Beta;;20;20")),
                                               City(ParseCityLine("3;KCCC;Cland;Gamma;;30;30"))};
        options.ShowClouds = false;
        options.Save("test");
        application_->Pool.Initialise();
        application_->FormOptions = Program::MakeFormOptions(*application_);
    }
    void TearDown() override {
        application_->Pool.Stop(0);
        application_.reset();
        Program::ResetForTesting();
    }

    static void Write(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    CFormOptions& Dialog() { return *application_->FormOptions; }
    COptions& Live() { return application_->Options; }
    std::vector<std::string> SavedFiles() {
        std::vector<std::string> contents;
        for (const std::string& path :
             {Program::PathOptions(), Program::PathCities(), Program::PathTimeZones()}) {
            contents.push_back(ReadWholeFile(path));
        }
        return contents;
    }
    int CloudRequests() {
        const std::vector<SeenRequest> seen = server_.RequestsSeen();
        return static_cast<int>(std::count_if(
            seen.begin(), seen.end(), [](const SeenRequest& r) { return r.Target == CloudsPath; }));
    }
    std::vector<int> FavouriteIds() {
        std::vector<int> ids;
        for (const City& city : *Dialog().WorkingCopy()->Cities) {
            ids.push_back(city.Id);
        }
        return ids;
    }
    // The list whose first column is named.
    QTreeWidget& ListHeaded(const QString& firstColumn) {
        for (QTreeWidget* list : Dialog().findChildren<QTreeWidget*>()) {
            if (list->headerItem()->text(0) == firstColumn) {
                return *list;
            }
        }
        throw std::runtime_error("no list");
    }
    QTreeWidget& CityList() { return ListHeaded("City"); }
    QTreeWidget& ZoneList() { return ListHeaded("Display Name"); }
    // As the user picks a favourite in the home-city drop-down.
    void ChooseHomeCity(const QString& name) {
        for (QComboBox* box : Dialog().findChildren<QComboBox*>()) {
            const int index = box->findText(name);
            if (index >= 0 && box->findText(CFormOptions::OtherCityText) >= 0) {
                box->setCurrentIndex(index);
                emit box->activated(index);
                return;
            }
        }
        ADD_FAILURE() << "no home-city entry " << name.toStdString();
    }
    void Click(const QString& text) {
        if (QPushButton* button = WithText<QPushButton>(Dialog(), text)) {
            button->click();
        }
    }

    TempFolder install_;
    TempFolder user_;
    ScopedEnvironment environment_;
    LoopbackHttpServer server_;
    std::unique_ptr<Application> application_;
};

TEST_F(OptionsDialogTest, CancelAfterEditsLeavesTheOptionsAndTheirFilesAsTheyWere) {
    const std::vector<std::string> before = SavedFiles();
    const std::size_t zones = Live().TimeZones->size();
    Dialog().Show(CFormOptions::General);
    WithText<QCheckBox>(Dialog(), "Update Desktop Wallpaper")->click();
    WithText<QCheckBox>(Dialog(), "Show clouds")->click();
    ChooseHomeCity("Beta");
    ZoneList().setCurrentItem(ZoneList().topLevelItem(0));
    Click("Remove");
    ASSERT_EQ(Dialog().WorkingCopy()->HomeCity->Id, 2);
    Dialog().reject();

    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(SavedFiles(), before);
    EXPECT_FALSE(Live().ShowClouds);
    EXPECT_EQ(Live().TimeZones->size(), zones);
    EXPECT_EQ(Live().HomeCity->Id, 1);
    EXPECT_EQ(Live().Cities->size(), 2U);
}

// Apply: saved, in use, the weather of the cities kept, the dialog open on a
// fresh copy; clouds just switched on are fetched once, switched off never.
TEST_F(OptionsDialogTest, ApplyPutsTheCopyInPlaceAndFetchesCloudsOnlyWhenSwitchedOn) {
    Dialog().Show(CFormOptions::EarthBackground);
    WithText<QCheckBox>(Dialog(), "Show clouds")->click();
    ChooseHomeCity("Beta");
    // Weather that arrives meanwhile is not lost to the copy.
    (*Live().Cities)[0].CurrentWeather.ReportDateTime = DateTime::UtcNow();
    (*Live().Cities)[0].CurrentWeather.Temprature = 5.0F;
    const COptions* firstCopy = Dialog().WorkingCopy();
    Click("Apply");

    EXPECT_TRUE(Dialog().isVisible());
    ASSERT_NE(Dialog().WorkingCopy(), nullptr);
    EXPECT_NE(Dialog().WorkingCopy(), firstCopy);
    EXPECT_TRUE(Dialog().WorkingCopy()->ShowClouds);
    EXPECT_EQ(Live().HomeCity->Id, 2);
    EXPECT_EQ(Live().HomeCity->CurrentWeather.Temprature.Value(), 5.0F);
    COptions saved(EnumAppKind::Earth, Live().Files());
    saved.Load();
    EXPECT_TRUE(saved.ShowClouds);
    EXPECT_EQ(saved.HomeCity->Id, 2);
    ASSERT_EQ(saved.Cities->size(), 2U);
    EXPECT_EQ((*saved.Cities)[1].Id, 1);
    EXPECT_TRUE(WaitUntil([&] { return CloudRequests() == 1; }));

    // Clouds that stay on are not fetched again; switched off, never.
    Click("Apply");
    WithText<QCheckBox>(Dialog(), "Show clouds")->click();
    Dialog().accept();
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_FALSE(Live().ShowClouds);
    application_->Pool.Stop(5000);
    EXPECT_EQ(CloudRequests(), 1);
}

// The picker adds only cities that are neither home nor favourites; removing
// the home city's row clears it; of two equal clocks one goes.
TEST_F(OptionsDialogTest, CitiesAndClocksChangeByTheirRules) {
    const TimeZoneItem berlin{"Berlin", TimeZoneInfo::FindTimeZoneById("W. Europe Standard Time")};
    const TimeZoneItem tokyo{"Tokyo", TimeZoneInfo::FindTimeZoneById("Tokyo Standard Time")};
    Live().TimeZones = new std::vector<TimeZoneItem>{berlin, berlin, tokyo};
    Dialog().Show(CFormOptions::FavoriteCities);
    Click("Add City");
    CFormSelectCity& picker = Dialog().CityPicker();
    ASSERT_TRUE(picker.isVisible());
    for (const char* city : {"Alpha", "Beta", "Delta"}) {
        const QAbstractItemModel& model = *picker.List().model();
        const QModelIndexList found =
            model.match(model.index(0, 1), Qt::DisplayRole, QString(city), 1, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << city;
        picker.List().selectionModel()->select(
            found.front(), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    picker.accept();
    EXPECT_EQ(FavouriteIds(), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(Dialog().WorkingCopy()->HomeCity->Id, 1);

    QTreeWidget& cities = CityList();
    cities.clearSelection();
    for (int row = 0; row < cities.topLevelItemCount(); ++row) {
        cities.topLevelItem(row)->setSelected(cities.topLevelItem(row)->text(0) == "Alpha");
    }
    Click("Remove City");
    EXPECT_FALSE(Dialog().WorkingCopy()->HomeCity);
    EXPECT_EQ(FavouriteIds(), (std::vector<int>{2, 3, 4}));

    ZoneList().setCurrentItem(ZoneList().topLevelItem(1));
    Click("Remove");
    std::vector<std::string> labels;
    for (const TimeZoneItem& item : *Dialog().WorkingCopy()->TimeZones) {
        labels.push_back(item.Label);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"Berlin", "Tokyo"}));
}

}  // namespace
