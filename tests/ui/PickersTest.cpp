#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <optional>
#include <string>
#include <vector>

#include "data/CityDatabase.h"
#include "support/TestSupport.h"
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

}  // namespace
