#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <optional>
#include <string>
#include <vector>

#include "data/CityDatabase.h"
#include "data/TimeZoneInfo.h"
#include "support/TestSupport.h"
#include "ui/FormEditCity.h"
#include "ui/FormEditTimeZone.h"
#include "ui/FormSelectCity.h"

namespace {

using Rows = std::vector<std::string>;

class PickersTest : public ::testing::Test {
protected:
    void SetUp() override { owner_.show(); }

    // A database of "Id;Station;Country;CityName;Details;Latitude;Longitude" lines.
    Data::CityDatabase& Database(const std::string& lines) {
        const std::string path = folder_.Folder() + Data::CityRecordsFileName;
        TestSupport::WriteWholeFile(path, lines);
        return database_.emplace(path);
    }

    // "Country City" of every row, top to bottom.
    static Rows Shown(const QTreeView& list) {
        const QAbstractItemModel& model = *list.model();
        Rows rows;
        for (int row = 0; row < model.rowCount(); ++row) {
            rows.push_back(model.index(row, 0).data().toString().toStdString() + " " +
                           model.index(row, 1).data().toString().toStdString());
        }
        return rows;
    }

    static void ClickHeader(QTreeView& list, int column) {
        QHeaderView& header = *list.header();
        const QPoint point(header.sectionViewportPosition(column) + 5, header.height() / 2);
        QTest::mouseClick(header.viewport(), Qt::LeftButton, Qt::NoModifier, point);
    }

    static void ClickRow(QTreeView& list, int row, Qt::KeyboardModifiers modifiers) {
        const QRect cell = list.visualRect(list.model()->index(row, 1));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, cell.center());
    }

    static void ClickButton(QDialog& dialog, QDialogButtonBox::StandardButton which) {
        QPushButton* button = dialog.findChild<QDialogButtonBox*>()->button(which);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    static std::vector<int> Ids(const std::vector<CityRecord>& records) {
        std::vector<int> ids;
        for (const CityRecord& record : records) {
            ids.push_back(record.Id);
        }
        return ids;
    }

    TestSupport::TempFolder folder_;
    std::optional<Data::CityDatabase> database_;
    QWidget owner_;
};

// Answers every message box that comes up while it lives, keeping what the last one said.
class MessageBoxAnswer {
public:
    MessageBoxAnswer() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                title = box->windowTitle();
                text = box->text();
                icon = box->icon();
                ++count;
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start();
    }

    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int count = 0;

private:
    QTimer timer_;
};

TEST_F(PickersTest, SelectCity_HeaderClicksSortByCodeUnitsWithTheCityBreakingCountryTies) {
    CFormSelectCity picker(Database("1;ZZZA;Zed;a;x;0;0\n"
                                    "2;ZZZB;Land;a;y;0;0\n"
                                    "3;ZZZC;Land;B;z;0;0\n"
                                    "4;ZZZD;land;C;w;0;0\n"),
                           &owner_);
    picker.Showup(CFormSelectCity::Purpose::Favourites);
    QTreeView& list = picker.List();
    EXPECT_EQ(Shown(list), (Rows{"Zed a", "Land a", "Land B", "land C"}));

    ClickHeader(list, 1);
    EXPECT_EQ(Shown(list), (Rows{"Land B", "land C", "Zed a", "Land a"}));
    ClickHeader(list, 1);
    EXPECT_EQ(Shown(list), (Rows{"Zed a", "Land a", "land C", "Land B"}));
    ClickHeader(list, 0);
    EXPECT_EQ(Shown(list), (Rows{"Land B", "Land a", "Zed a", "land C"}));
    ClickHeader(list, 0);
    EXPECT_EQ(Shown(list), (Rows{"land C", "Zed a", "Land a", "Land B"}));

    picker.SortByColumn(3);
    picker.reject();
    picker.Showup(CFormSelectCity::Purpose::HomeCity);
    EXPECT_EQ(picker.SortColumn(), 0);
    EXPECT_FALSE(picker.SortAscending());
    EXPECT_EQ(Shown(list), (Rows{"land C", "Zed a", "Land a", "Land B"}));
}

TEST_F(PickersTest, SelectCity_SearchNarrowsTheListAndEnterTakesTheFirstRow) {
    CFormSelectCity picker(Database("10;KORT;Nowhere;Alpha;;0;0\n"
                                    "11;ABCD;Portugal;Lisbon;Humberto Delgado;0;0\n"
                                    "12;EFGH;USA;Fort Worth;Meacham;0;0\n"
                                    "13;IJKL;Spain;Madrid;Barajas Airport;0;0\n"
                                    "14;MNOP;France;Paris;Le Bourget;0;0\n"
                                    "15;QRST;Peru;Lima;Jorge Chavez;0;0\n"),
                           &owner_);
    QSignalSpy chosen(&picker, &CFormSelectCity::citiesChosen);
    picker.Showup(CFormSelectCity::Purpose::Favourites);
    QTreeView& list = picker.List();
    QLineEdit& search = picker.SearchBox();

    QTest::keyClicks(&search, "oRt");
    EXPECT_EQ(Shown(list),
              (Rows{"Nowhere Alpha", "Portugal Lisbon", "USA Fort Worth", "Spain Madrid"}));
    search.clear();
    ASSERT_EQ(Shown(list).size(), 6U);

    // Display order Fort Worth, Lisbon, Madrid; picked in neither that nor the file's order.
    picker.SortByColumn(1);
    ClickRow(list, 4, Qt::NoModifier);
    ClickRow(list, 1, Qt::ControlModifier);
    ClickRow(list, 3, Qt::ControlModifier);
    EXPECT_EQ(Ids(picker.SelectedRecords()), (std::vector<int>{12, 11, 13}));

    QTest::keyClicks(&search, "zzz");
    QTest::keyClick(&search, Qt::Key_Return);
    EXPECT_TRUE(picker.isVisible());
    EXPECT_EQ(chosen.count(), 0);

    search.clear();
    QTest::keyClicks(&search, "ort");
    QTest::keyClick(&search, Qt::Key_Return);
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(chosen.count(), 1);
    EXPECT_EQ(Ids(picker.SelectedRecords()), (std::vector<int>{10}));
}

TEST_F(PickersTest, SelectCity_EveryWayOutHidesItAndGivesTheOwnerBack) {
    CFormSelectCity picker(Database("1;ABCD;Land;Town;;0;0\n2;EFGH;Land;Village;;0;0\n"), &owner_);
    QSignalSpy chosen(&picker, &CFormSelectCity::citiesChosen);
    QSignalSpy cancelled(&picker, &CFormSelectCity::choiceCancelled);

    picker.Showup(CFormSelectCity::Purpose::HomeCity);
    EXPECT_EQ(picker.CurrentPurpose(), CFormSelectCity::Purpose::HomeCity);
    EXPECT_FALSE(owner_.isEnabled());
    EXPECT_TRUE(picker.isEnabled());
    ClickButton(picker, QDialogButtonBox::Cancel);
    EXPECT_FALSE(picker.isVisible());
    EXPECT_TRUE(owner_.isEnabled());
    EXPECT_EQ(cancelled.count(), 1);

    picker.Showup(CFormSelectCity::Purpose::Favourites);
    EXPECT_FALSE(owner_.isEnabled());
    picker.close();
    EXPECT_FALSE(picker.isVisible());
    EXPECT_TRUE(owner_.isEnabled());
    EXPECT_EQ(cancelled.count(), 2);
    EXPECT_EQ(chosen.count(), 0);

    picker.Showup(CFormSelectCity::Purpose::Favourites);
    ClickRow(picker.List(), 1, Qt::NoModifier);
    ClickButton(picker, QDialogButtonBox::Ok);
    EXPECT_FALSE(picker.isVisible());
    EXPECT_TRUE(owner_.isEnabled());
    EXPECT_EQ(chosen.count(), 1);
    EXPECT_EQ(cancelled.count(), 2);
    EXPECT_EQ(Ids(picker.SelectedRecords()), (std::vector<int>{2}));
}

TEST_F(PickersTest, EditCity_OkStoresTheTrimmedNameEvenEmptyAndCancelKeepsIt) {
    City city(1, "Land", "", "Airport", "Town", 0.0F, 0.0F, "ABCD");
    {
        CFormEditCity editor(city, &owner_);
        editor.show();
        for (QLineEdit* box : editor.findChildren<QLineEdit*>()) {
            if (box != &editor.DisplayName()) {
                EXPECT_FALSE(box->isEnabled());
                EXPECT_EQ(box->text().toStdString(), "Airport");
            }
        }
        EXPECT_EQ(editor.DisplayName().text().toStdString(), "Town");
        editor.DisplayName().selectAll();
        QTest::keyClicks(&editor.DisplayName(), " \t ");
        ClickButton(editor, QDialogButtonBox::Ok);
        EXPECT_EQ(editor.result(), QDialog::Accepted);
        EXPECT_EQ(city.CityName, "");
    }
    city.CityName = "Town";
    CFormEditCity editor(city, &owner_);
    editor.show();
    QTest::keyClicks(&editor.DisplayName(), " Other ");
    ClickButton(editor, QDialogButtonBox::Cancel);
    EXPECT_EQ(editor.result(), QDialog::Rejected);
    EXPECT_EQ(city.CityName, "Town");
}

TEST_F(PickersTest, EditTimeZone_OkWithoutAZoneSaysSoAndAnEmptyLabelIsAccepted) {
    const std::vector<TimeZoneInfo>& zones = TimeZoneInfo::GetSystemTimeZones();
    ASSERT_GT(zones.size(), 3U);
    const std::string chosenZone = zones[2].DisplayName;

    std::string label = "Home";
    std::string zone = "(UTC+99:00) Nowhere";
    FormEditTimeZone editor(label, zone, &owner_);
    QComboBox& list = editor.TimeZones();
    ASSERT_EQ(list.count(), static_cast<int>(zones.size()));
    for (int index = 0; index < list.count(); ++index) {
        EXPECT_EQ(list.itemText(index).toStdString(),
                  zones[static_cast<std::size_t>(index)].DisplayName);
        EXPECT_EQ(list.itemData(index).toInt(), index);
    }
    EXPECT_EQ(list.currentIndex(), -1);

    editor.show();
    {
        const MessageBoxAnswer answer;
        ClickButton(editor, QDialogButtonBox::Ok);
        EXPECT_EQ(answer.count, 1);
        EXPECT_EQ(answer.text.toStdString(), FormEditTimeZone::NoZoneText);
        EXPECT_EQ(answer.title.toStdString(), "");
        EXPECT_EQ(answer.icon, QMessageBox::Information);
    }
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(label, "Home");

    editor.CityName().selectAll();
    QTest::keyClicks(&editor.CityName(), "  ");
    list.setCurrentIndex(2);
    ClickButton(editor, QDialogButtonBox::Ok);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(label, "");
    EXPECT_EQ(zone, chosenZone);

    std::string otherLabel = "Work";
    std::string otherZone = chosenZone;
    FormEditTimeZone again(otherLabel, otherZone, &owner_);
    EXPECT_EQ(again.TimeZones().currentIndex(), 2);
    again.show();
    QTest::keyClicks(&again.CityName(), "shop");
    again.TimeZones().setCurrentIndex(0);
    ClickButton(again, QDialogButtonBox::Cancel);
    EXPECT_EQ(again.result(), QDialog::Rejected);
    EXPECT_EQ(otherLabel, "Work");
    EXPECT_EQ(otherZone, chosenZone);
}

}  // namespace
