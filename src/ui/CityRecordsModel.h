#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <vector>

#include "data/City.h"

// The city database as a table of country, city and details, read straight from
// the records: the thousands of rows cost nothing until they are drawn.
class CityRecordsModel : public QAbstractTableModel {
public:
    enum Column { CountryColumn = 0, CityColumn = 1, DetailsColumn = 2, ColumnCount = 3 };

    explicit CityRecordsModel(QObject* parent = nullptr);

    // Lists these records; the vector must outlive the model. Attaching the same
    // vector again resets the list only when its size changed (it was loaded).
    void Attach(const std::vector<CityRecord>& records);

    // The record of a row, null past the end of the records.
    const CityRecord* Record(int row) const;
    static QString CellText(const CityRecord& record, int column);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const std::vector<CityRecord>* records_ = nullptr;
    int rows_ = 0;
};

// The order and the search of the city list. Cells compare as UTF-16 code units,
// case-sensitive; the country column falls back on the city name. The search
// keeps the rows whose country, city, station or details hold the text,
// ignoring case.
class CityRecordsFilter : public QSortFilterProxyModel {
public:
    CityRecordsFilter(CityRecordsModel& records, QObject* parent);

    void SetSearchText(const QString& text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    const CityRecordsModel& records_;
    QString searchText_;
};
