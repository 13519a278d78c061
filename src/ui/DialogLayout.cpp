#include "ui/DialogLayout.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

QDialogButtonBox* MakeOkCancelButtons(QDialog& dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

void LayOutFieldsDialog(QDialog& dialog, QFormLayout* fields) {
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(fields);
    layout->addStretch(1);
    layout->addWidget(MakeOkCancelButtons(dialog));
}
