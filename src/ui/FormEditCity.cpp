#include "ui/FormEditCity.h"

#include <QFormLayout>
#include <QLineEdit>

#include "data/City.h"
#include "ui/DialogLayout.h"

CFormEditCity::CFormEditCity(City& city, QWidget* parent) : QDialog(parent), city_(city) {
    setWindowTitle(tr("Change City Display Name"));
    setMinimumWidth(360);

    displayName_ = new QLineEdit(QString::fromStdString(city_.CityName), this);
    auto* details = new QLineEdit(QString::fromStdString(city_.Details), this);
    details->setEnabled(false);

    auto* fields = new QFormLayout;
    fields->addRow(tr("Display Name:"), displayName_);
    fields->addRow(tr("Details:"), details);
    LayOutFieldsDialog(*this, fields);

    displayName_->selectAll();
    displayName_->setFocus();
}

void CFormEditCity::accept() {
    city_.CityName = displayName_->text().trimmed().toStdString();
    QDialog::accept();
}
