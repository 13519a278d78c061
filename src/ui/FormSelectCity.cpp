#include "ui/FormSelectCity.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "core/Exceptions.h"
#include "data/CityDatabase.h"
#include "ui/CityRecordsModel.h"
#include "ui/DialogLayout.h"
#include "ui/UiLog.h"

namespace {

constexpr int CountryWidth = 120;
constexpr int CityWidth = 200;
constexpr int DetailsWidth = 200;

}  // namespace

CFormSelectCity::CFormSelectCity(Data::CityDatabase& database, QWidget* owner)
    : QDialog(owner), database_(database) {
    setWindowTitle(tr("Select City"));
    setMinimumSize(560, 420);

    records_ = new CityRecordsModel(this);
    proxy_ = new CityRecordsFilter(*records_, this);

    search_ = new QLineEdit(this);
    search_->setPlaceholderText(tr("Search country, city or station"));
    search_->setClearButtonEnabled(true);
    search_->installEventFilter(this);
    connect(search_, &QLineEdit::textChanged, proxy_, &CityRecordsFilter::SetSearchText);

    list_ = new QTreeView(this);
    list_->setModel(proxy_);
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QHeaderView* header = list_->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->resizeSection(CityRecordsModel::CountryColumn, CountryWidth);
    header->resizeSection(CityRecordsModel::CityColumn, CityWidth);
    header->resizeSection(CityRecordsModel::DetailsColumn, DetailsWidth);
    // The view sorts nothing itself: the order toggles by the program's own rule.
    connect(header, &QHeaderView::sectionClicked, this, &CFormSelectCity::SortByColumn);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(list_, 1);
    layout->addWidget(MakeOkCancelButtons(*this));
}

CFormSelectCity::~CFormSelectCity() = default;

void CFormSelectCity::Showup(Purpose purpose) {
    purpose_ = purpose;
    records_->Attach(database_.GetCityRecords());
    // Each showing starts from the whole list with nothing picked; the sort stays.
    search_->clear();
    list_->clearSelection();
    if (QWidget* owner = parentWidget()) {
        owner->setEnabled(false);
    }
    // Disabling the owner disabled its child windows as well, this one among them.
    setEnabled(true);
    show();
    raise();
    activateWindow();
    list_->setFocus();
}

std::vector<CityRecord> CFormSelectCity::SelectedRecords() const {
    QModelIndexList rows = list_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& left, const QModelIndex& right) {
        return left.row() < right.row();
    });
    std::vector<CityRecord> records;
    records.reserve(static_cast<std::size_t>(rows.size()));
    for (const QModelIndex& row : rows) {
        if (const CityRecord* record = records_->Record(proxy_->mapToSource(row).row())) {
            records.push_back(*record);
        }
    }
    return records;
}

void CFormSelectCity::SortByColumn(int column) {
    try {
        if (column < 0 || column >= CityRecordsModel::ColumnCount) {
            static constexpr const char* Location =
                "CFormSelectCity::OnLvnColumnclickListCities (210)";
            RaiseError(Location);
        }
        const bool ascending = column == sortColumn_ ? !ascending_ : true;
        const Qt::SortOrder order = ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
        proxy_->sort(column, order);
        sortColumn_ = column;
        ascending_ = ascending;
        QHeaderView* header = list_->header();
        header->setSortIndicator(column, order);
        header->setSortIndicatorShown(true);
    } catch (...) {
        qCWarning(lcUi) << "the city list was not sorted:" << CurrentExceptionText().c_str();
    }
}

void CFormSelectCity::AcceptFirstMatch() {
    if (proxy_->rowCount() == 0) {
        return;
    }
    list_->selectionModel()->setCurrentIndex(
        proxy_->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    accept();
}

bool CFormSelectCity::eventFilter(QObject* watched, QEvent* event) {
    if (watched == search_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Taken here: passed on, Enter would press OK even when no row is left.
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            AcceptFirstMatch();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CFormSelectCity::done(int result) {
    QDialog::done(result);
    if (QWidget* owner = parentWidget()) {
        owner->setEnabled(true);
        owner->activateWindow();
    }
    if (result == Accepted) {
        emit citiesChosen();
    } else {
        emit choiceCancelled();
    }
}
