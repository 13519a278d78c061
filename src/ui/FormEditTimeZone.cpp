#include "ui/FormEditTimeZone.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <vector>

#include "core/Exceptions.h"
#include "data/TimeZoneInfo.h"
#include "ui/DialogLayout.h"
#include "ui/UiLog.h"

namespace {

// Every system zone by its display name, the item's data its index in the
// system list, so that a zone left out shifts none of the others.
void PopulateComboTimeZones(QComboBox& box) {
    box.clear();
    const std::vector<TimeZoneInfo>* zones = nullptr;
    try {
        zones = &TimeZoneInfo::GetSystemTimeZones();
    } catch (...) {
        qCWarning(lcUi) << "no time zones to choose from:" << CurrentExceptionText().c_str();
        return;
    }
    for (std::size_t index = 0; index < zones->size(); ++index) {
        try {
            const int count = box.count();
            box.addItem(QString::fromStdString((*zones)[index].DisplayName),
                        static_cast<int>(index));
            if (box.count() != count + 1) {
                static constexpr const char* Location =
                    "FormEditTimeZone::PopulateComboTimeZones (51)";
                RaiseError(Location);
            }
        } catch (...) {
            qCWarning(lcUi) << "a time zone was left out of the list:"
                            << CurrentExceptionText().c_str();
        }
    }
}

}  // namespace

FormEditTimeZone::FormEditTimeZone(std::string& cityName, std::string& timeZoneDisplayName,
                                   QWidget* parent)
    : QDialog(parent), cityName_(cityName), timeZoneDisplayName_(timeZoneDisplayName) {
    setWindowTitle(tr("Time Zone Information"));
    setMinimumWidth(420);

    cityNameBox_ = new QLineEdit(QString::fromStdString(cityName_), this);
    timeZones_ = new QComboBox(this);
    timeZones_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    timeZones_->setMinimumContentsLength(32);
    PopulateComboTimeZones(*timeZones_);
    // A filled drop-down selects its first entry by itself; an unknown zone selects none.
    timeZones_->setCurrentIndex(timeZones_->findText(QString::fromStdString(timeZoneDisplayName_),
                                                     Qt::MatchExactly | Qt::MatchCaseSensitive));

    auto* fields = new QFormLayout;
    fields->addRow(tr("City Name:"), cityNameBox_);
    fields->addRow(tr("Time Zone: "), timeZones_);
    LayOutFieldsDialog(*this, fields);

    cityNameBox_->setFocus();
}

void FormEditTimeZone::accept() {
    const QString cityName = cityNameBox_->text().trimmed();
    const QString zone = timeZones_->currentText();
    if (zone.isEmpty()) {
        QMessageBox::information(this, QString(), tr(NoZoneText));
        return;
    }
    cityName_ = cityName.toStdString();
    timeZoneDisplayName_ = zone.toStdString();
    QDialog::accept();
}
