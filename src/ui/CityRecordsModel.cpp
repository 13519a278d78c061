#include "ui/CityRecordsModel.h"

#include <algorithm>
#include <limits>

namespace {

const std::string& CellString(const CityRecord& record, int column) {
    switch (column) {
        case CityRecordsModel::CountryColumn:
            return record.Country;
        case CityRecordsModel::CityColumn:
            return record.CityName;
        default:
            return record.Details;
    }
}

bool Holds(const std::string& text, const QString& searchText) {
    return QString::fromStdString(text).contains(searchText, Qt::CaseInsensitive);
}

}  // namespace

CityRecordsModel::CityRecordsModel(QObject* parent) : QAbstractTableModel(parent) {}

void CityRecordsModel::Attach(const std::vector<CityRecord>& records) {
    const int rows =
        static_cast<int>(std::min<std::size_t>(records.size(), std::numeric_limits<int>::max()));
    if (&records == records_ && rows == rows_) {
        return;
    }
    beginResetModel();
    records_ = &records;
    rows_ = rows;
    endResetModel();
}

const CityRecord* CityRecordsModel::Record(int row) const {
    // The database may have been read again behind the model's back.
    if (records_ == nullptr || row < 0 || row >= rows_ ||
        static_cast<std::size_t>(row) >= records_->size()) {
        return nullptr;
    }
    return &(*records_)[static_cast<std::size_t>(row)];
}

QString CityRecordsModel::CellText(const CityRecord& record, int column) {
    return QString::fromStdString(CellString(record, column));
}

int CityRecordsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int CityRecordsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CityRecordsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return {};
    }
    const CityRecord* record = Record(index.row());
    if (record == nullptr || index.column() < 0 || index.column() >= ColumnCount) {
        return {};
    }
    return CellText(*record, index.column());
}

QVariant CityRecordsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case CountryColumn:
            return tr("Country");
        case CityColumn:
            return tr("City");
        case DetailsColumn:
            return tr("Details");
        default:
            return {};
    }
}

CityRecordsFilter::CityRecordsFilter(CityRecordsModel& records, QObject* parent)
    : QSortFilterProxyModel(parent), records_(records) {
    setSourceModel(&records);
}

void CityRecordsFilter::SetSearchText(const QString& text) {
    if (text == searchText_) {
        return;
    }
    searchText_ = text;
    invalidateFilter();
}

bool CityRecordsFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (searchText_.isEmpty()) {
        return true;
    }
    const CityRecord* record = records_.Record(sourceRow);
    return record != nullptr &&
           (Holds(record->Country, searchText_) || Holds(record->CityName, searchText_) ||
            Holds(record->Station, searchText_) || Holds(record->Details, searchText_));
}

bool CityRecordsFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const CityRecord* first = records_.Record(left.row());
    const CityRecord* second = records_.Record(right.row());
    if (first == nullptr || second == nullptr) {
        return false;
    }
    const int column = left.column();
    // QString's own comparison is ordinal over UTF-16 code units, not the locale's.
    int order = CityRecordsModel::CellText(*first, column)
                    .compare(CityRecordsModel::CellText(*second, column), Qt::CaseSensitive);
    if (order == 0 && column == CityRecordsModel::CountryColumn) {
        order = CityRecordsModel::CellText(*first, CityRecordsModel::CityColumn)
                    .compare(CityRecordsModel::CellText(*second, CityRecordsModel::CityColumn),
                             Qt::CaseSensitive);
    }
    return order < 0;
}
