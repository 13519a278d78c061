#pragma once

#include <QDialog>
#include <vector>

#include "data/City.h"

class CityRecordsFilter;
class CityRecordsModel;
class QLineEdit;
class QTreeView;

namespace Data {
class CityDatabase;
}

// The whole city database in one list to pick cities from: country, city and
// details, sorted by a click on a column header, several rows at once. It is
// modeless and owned by the options dialog; between showings it is hidden and
// keeps its sort order. A search box above the list narrows it as one types.
class CFormSelectCity : public QDialog {
    Q_OBJECT

public:
    enum class Purpose { HomeCity = 0, Favourites = 1 };

    // The database is read on the first showing; it must outlive the dialog.
    CFormSelectCity(Data::CityDatabase& database, QWidget* owner);
    ~CFormSelectCity() override;

    // Shows the list for the purpose, the owner disabled until it closes.
    void Showup(Purpose purpose);
    Purpose CurrentPurpose() const { return purpose_; }

    // The records of the selected rows in the order the list shows them.
    std::vector<CityRecord> SelectedRecords() const;

    // A click on a column header: a new column sorts ascending, the same one
    // again turns the order round. A column above 2 sorts nothing.
    void SortByColumn(int column);
    int SortColumn() const { return sortColumn_; }
    bool SortAscending() const { return ascending_; }

    QTreeView& List() const { return *list_; }
    QLineEdit& SearchBox() const { return *search_; }

signals:
    // OK: the owner reads SelectedRecords now.
    void citiesChosen();
    // Cancel or the close box.
    void choiceCancelled();

protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Enter in the search box: the first row it left, as if chosen with OK.
    void AcceptFirstMatch();

    Data::CityDatabase& database_;
    Purpose purpose_ = Purpose::Favourites;
    int sortColumn_ = -1;
    bool ascending_ = true;
    QTreeView* list_ = nullptr;
    QLineEdit* search_ = nullptr;
    CityRecordsModel* records_ = nullptr;
    CityRecordsFilter* proxy_ = nullptr;
};
